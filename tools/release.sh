#!/usr/bin/env bash
# Builds the two launchers in Release and packs them for download:
#   DIR/marlwick-<version>-windows.zip holding "Marlwick 64.exe", "Marlwick.exe", the sample INI
#   as "Marlwick 64.ini" and "Marlwick.ini", README.md (the part for those who ship the launcher)
#   with its pictures, the licence when the repository has one, and SHA256SUMS of all of them.
# The version is the one of project(... VERSION ...) in CMakeLists.txt.
#
#   tools/release.sh [--out DIR]                  DIR defaults to dist/
#   tools/release.sh [--out DIR] --name NAME --icon FILE.ico --version X.Y.Z[.W]
#       --company TEXT --description TEXT --copyright TEXT
#       [--execution-level asInvoker|highestAvailable|requireAdministrator]
#                                                 branded: DIR/NAME 64.exe, DIR/NAME.exe and
#                                                 DIR/NAME-<version>-windows.zip (INIs named to match)
#   tools/release.sh --win64-exe F --win32-exe F  pack executables built before, without building
#       [--win64-console-exe F --win32-console-exe F]   ...with the console builds of both
# The console builds (for command-line tools) go in beside the windowed ones as "NAME 64 Console.exe"
# and "NAME Console.exe" with their INIs; --console-name C names them "C 64.exe" and "C.exe".
# The branding options set the CMake cache variables MARLWICK_NAME, MARLWICK_ICON, MARLWICK_VERSION,
# MARLWICK_COMPANY, MARLWICK_DESCRIPTION, MARLWICK_COPYRIGHT and MARLWICK_EXECUTION_LEVEL, which a
# build from source can set the same way; the builds go to build/release-win64 and -win32.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/dist"
win64_exe=""
win32_exe=""
branded=""
win64_console_exe=""
win32_console_exe=""
console_name=""
name="Marlwick"
icon="$root/resources/Marlwick.ico"
version=""
company="Marlwick"
description=""
copyright=""
level="asInvoker"

fail() { echo "release.sh: $*" >&2; exit 2; }

while [ $# -gt 0 ]; do
  case "$1" in
    --out) [ $# -ge 2 ] || fail "--out needs a folder"; out=$2; shift 2 ;;
    --win64-exe) [ $# -ge 2 ] || fail "--win64-exe needs a file"; win64_exe=$2; shift 2 ;;
    --win32-exe) [ $# -ge 2 ] || fail "--win32-exe needs a file"; win32_exe=$2; shift 2 ;;
    --win64-console-exe) [ $# -ge 2 ] || fail "$1 needs a file"; win64_console_exe=$2; shift 2 ;;
    --win32-console-exe) [ $# -ge 2 ] || fail "$1 needs a file"; win32_console_exe=$2; shift 2 ;;
    --console-name) [ $# -ge 2 ] && [ -n "$2" ] || fail "--console-name needs a name"; console_name=$2; shift 2 ;;
    --name|--icon|--version|--company|--description|--copyright|--execution-level)
      [ $# -ge 2 ] || fail "$1 needs a value"
      case "$1" in
        --name) name=$2 ;;
        --icon) icon=$2 ;;
        --version) version=$2 ;;
        --company) company=$2 ;;
        --description) description=$2 ;;
        --copyright) copyright=$2 ;;
        --execution-level) level=$2 ;;
      esac
      branded=yes; shift 2 ;;
    -h|--help) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
    *) fail "unknown argument: $1 (see --help)" ;;
  esac
done
if { [ -n "$win64_exe" ] && [ -z "$win32_exe" ]; } || { [ -z "$win64_exe" ] && [ -n "$win32_exe" ]; }; then
  fail "--win64-exe and --win32-exe go together"
fi

if { [ -n "$win64_console_exe" ] || [ -n "$win32_console_exe" ]; } &&
   { [ -z "$win64_console_exe" ] || [ -z "$win32_console_exe" ] || [ -z "$win64_exe" ]; }; then
  fail "--win64-console-exe and --win32-console-exe go together, with --win64-exe and --win32-exe"
fi

if [ -z "$version" ]; then
  version=$(sed -n 's/^project(Marlwick VERSION \([0-9][0-9.]*\)[ )].*/\1/p' "$root/CMakeLists.txt")
  [ -n "$version" ] || fail "no project(Marlwick VERSION ...) line in CMakeLists.txt"
fi
if [ -n "$branded" ] && [ -n "$win64_exe" ]; then
  fail "executables built before cannot be branded: leave out --win64-exe and --win32-exe"
fi
case "$icon" in /*) ;; *) icon="$PWD/$icon" ;; esac
brand=(-DMARLWICK_NAME="$name" -DMARLWICK_ICON="$icon" -DMARLWICK_VERSION="$version"
       -DMARLWICK_COMPANY="$company" -DMARLWICK_DESCRIPTION="$description"
       -DMARLWICK_COPYRIGHT="$copyright" -DMARLWICK_EXECUTION_LEVEL="$level")
# The build's own check of the values, before anything is built or written.
if ! message=$(cmake "${brand[@]}" -P "$root/cmake/Branding.cmake" 2>&1); then
  message=$(printf '%s\n' "$message" | sed -n '/^CMake Error/,$p' | sed '1d; s/^ *//; /^$/d; /^Call Stack/,$d' | tr '\n' ' ')
  fail "${message% }"
fi

if [ -z "$win64_exe" ]; then
  for preset in win64 win32; do
    echo "== Building $preset (Release) in build/release-$preset"
    (cd "$root" && cmake --preset "$preset" -B "build/release-$preset" "${brand[@]}" >/dev/null &&
       cmake --build "build/release-$preset" --target marlwick marlwick_console -j2)
  done
  win64_exe="$root/build/release-win64/$name 64.exe"
  win32_exe="$root/build/release-win32/$name.exe"
  win64_console_exe="$root/build/release-win64/$name 64 Console.exe"
  win32_console_exe="$root/build/release-win32/$name Console.exe"
fi
for exe in "$win64_exe" "$win32_exe" ${win64_console_exe:+"$win64_console_exe" "$win32_console_exe"}; do
  [ -f "$exe" ] || fail "no executable at $exe"
done

licence=""
for candidate in LICENSE LICENSE.txt LICENSE.md LICENCE COPYING; do
  if [ -f "$root/$candidate" ]; then licence="$root/$candidate"; break; fi
done

if [ -n "$branded" ]; then base="$name-$version-windows"; else base="marlwick-$version-windows"; fi
mkdir -p "$out" || fail "cannot create $out"
out=$(cd "$out" && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dir="$stage/$base"
mkdir "$dir"

cp "$win64_exe" "$dir/$name 64.exe"
cp "$win32_exe" "$dir/$name.exe"
# Windows line ends, so that every editor shows the comments as lines.
for ini in "$name 64.ini" "$name.ini"; do
  sed 's/\r$//; s/$/\r/' "$root/resources/Marlwick.sample.ini" >"$dir/$ini"
done
# The console builds, under their names, each with its INI.
if [ -n "$win64_console_exe" ]; then
  if [ -n "$console_name" ]; then console64="$console_name 64" console32="$console_name"
  else console64="$name 64 Console" console32="$name Console"; fi
  cp "$win64_console_exe" "$dir/$console64.exe"
  cp "$win32_console_exe" "$dir/$console32.exe"
  for ini in "$console64.ini" "$console32.ini"; do
    sed 's/\r$//; s/$/\r/' "$root/resources/Marlwick.sample.ini" >"$dir/$ini"
  done
fi
# The README without the sections for those who build the launcher.
awk '
  /^## / { skip = ($0 == "## The two commands" || $0 == "## Building" || $0 == "## Layout") }
  !skip
' "$root/README.md" >"$dir/README.md"
# ...with the pictures it shows.
grep -o '(docs/screenshots/[^)]*)' "$dir/README.md" | tr -d '()' | sort -u | while IFS= read -r picture; do
  mkdir -p "$dir/$(dirname "$picture")"
  cp "$root/$picture" "$dir/$picture"
done
if [ -n "$licence" ]; then
  cp "$licence" "$dir/$(basename "$licence")"
else
  echo "release.sh: note: the repository has no licence file; the archive holds none" >&2
fi
(cd "$dir" && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort | \
   while IFS= read -r f; do sha256sum -- "$f"; done >SHA256SUMS)

zip_path="$out/$base.zip"
rm -f "$zip_path"
(cd "$stage" && zip -q -X -r "$zip_path" "$base")
if [ -n "$branded" ]; then
  cp "$dir/$name 64.exe" "$dir/$name.exe" "$out/"
  echo "$out/$name 64.exe"
  echo "$out/$name.exe"
  cp "$dir/$console64.exe" "$dir/$console32.exe" "$out/"
  echo "$out/$console64.exe"
  echo "$out/$console32.exe"
fi
echo "$zip_path"
