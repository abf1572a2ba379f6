#!/usr/bin/env bash
# Builds the two launchers in Release and packs them for download:
#   DIR/marlwick-<version>-windows.zip holding "Marlwick 64.exe", "Marlwick.exe", the sample INI
#   as "Marlwick 64.ini" and "Marlwick.ini", README.md (the part for those who ship the launcher)
#   with its pictures, the licence when the repository has one, and SHA256SUMS of all of them.
# The version is the one of project(... VERSION ...) in CMakeLists.txt.
#
#   tools/release.sh [--out DIR]                 DIR defaults to dist/
#   tools/release.sh --win64-exe F --win32-exe F  pack executables built before, without building
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/dist"
win64_exe=""
win32_exe=""

fail() { echo "release.sh: $*" >&2; exit 2; }

while [ $# -gt 0 ]; do
  case "$1" in
    --out) [ $# -ge 2 ] || fail "--out needs a folder"; out=$2; shift 2 ;;
    --win64-exe) [ $# -ge 2 ] || fail "--win64-exe needs a file"; win64_exe=$2; shift 2 ;;
    --win32-exe) [ $# -ge 2 ] || fail "--win32-exe needs a file"; win32_exe=$2; shift 2 ;;
    -h|--help) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) fail "unknown argument: $1 (see --help)" ;;
  esac
done
if { [ -n "$win64_exe" ] && [ -z "$win32_exe" ]; } || { [ -z "$win64_exe" ] && [ -n "$win32_exe" ]; }; then
  fail "--win64-exe and --win32-exe go together"
fi

version=$(sed -n 's/^project(Marlwick VERSION \([0-9][0-9.]*\)[ )].*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || fail "no project(Marlwick VERSION ...) line in CMakeLists.txt"

if [ -z "$win64_exe" ]; then
  for preset in win64 win32; do
    echo "== Building $preset (Release)"
    (cd "$root" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" --target marlwick -j2)
  done
  win64_exe="$root/build/win64/Marlwick 64.exe"
  win32_exe="$root/build/win32/Marlwick.exe"
fi
for exe in "$win64_exe" "$win32_exe"; do
  [ -f "$exe" ] || fail "no executable at $exe"
done

licence=""
for name in LICENSE LICENSE.txt LICENSE.md LICENCE COPYING; do
  if [ -f "$root/$name" ]; then licence="$root/$name"; break; fi
done

base="marlwick-$version-windows"
mkdir -p "$out" || fail "cannot create $out"
out=$(cd "$out" && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dir="$stage/$base"
mkdir "$dir"

cp "$win64_exe" "$dir/Marlwick 64.exe"
cp "$win32_exe" "$dir/Marlwick.exe"
# Windows line ends, so that every editor shows the comments as lines.
for ini in "Marlwick 64.ini" "Marlwick.ini"; do
  sed 's/\r$//; s/$/\r/' "$root/resources/Marlwick.sample.ini" >"$dir/$ini"
done
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
echo "$zip_path"
