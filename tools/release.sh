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
#   tools/release.sh --win64-exe F --win32-exe F  pack executables built before, without building;
#                                                 --name, --version, --company and --icon then
#                                                 name the files and describe the installer
# Installer and signing (both optional):
#   --msi --app FOLDER   also DIR/NAME-<version>-x64.msi: the x64 launcher and FOLDER's files (its
#                        INI, lib\, jre64\, ...) installed per user; [--x86] an x86 one as well
#   [--per-machine] [--upgrade-code GUID] [--associate .EXT "Description"]...
#   --jar APP.jar        appended to both executables (a single-file application), before signing
#   --sign FILE.pfx --sign-password-file FILE [--timestamp URL]
#                        SHA-256 Authenticode signatures on both executables and the installers,
#                        each verified; any failure leaves nothing written
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
built_only=""
msi=""
x86=""
app=""
per_machine=""
upgrade_code=""
associations=()
jar=""
pfx=""
password_file=""
timestamp=""

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
      case "$1" in --description|--copyright|--execution-level) built_only=$1 ;; esac
      branded=yes; shift 2 ;;
    --msi) msi=yes; shift ;;
    --x86) x86=yes; shift ;;
    --per-machine) per_machine=yes; shift ;;
    --app) [ $# -ge 2 ] || fail "--app needs a folder"; app=$2; shift 2 ;;
    --upgrade-code) [ $# -ge 2 ] || fail "--upgrade-code needs a GUID"; upgrade_code=$2; shift 2 ;;
    --associate) [ $# -ge 3 ] || fail "--associate needs an extension and a description"
      associations+=(--associate "$2" "$3"); shift 3 ;;
    --jar) [ $# -ge 2 ] || fail "--jar needs a file"; jar=$2; shift 2 ;;
    --sign) [ $# -ge 2 ] || fail "--sign needs a .pfx file"; pfx=$2; shift 2 ;;
    --sign-password-file) [ $# -ge 2 ] || fail "--sign-password-file needs a file"; password_file=$2; shift 2 ;;
    --timestamp) [ $# -ge 2 ] || fail "--timestamp needs a URL"; timestamp=$2; shift 2 ;;
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
if [ -n "$built_only" ] && [ -n "$win64_exe" ]; then
  fail "executables built before cannot be branded with $built_only: leave out --win64-exe and --win32-exe"
fi
case "$icon" in /*) ;; *) icon="$PWD/$icon" ;; esac
brand=(-DMARLWICK_NAME="$name" -DMARLWICK_ICON="$icon" -DMARLWICK_VERSION="$version"
       -DMARLWICK_COMPANY="$company" -DMARLWICK_DESCRIPTION="$description"
       -DMARLWICK_COPYRIGHT="$copyright" -DMARLWICK_EXECUTION_LEVEL="$level"
       -DMARLWICK_CONSOLE_NAME="$console_name")
# The build's own check of the values, before anything is built or written.
if ! message=$(cmake "${brand[@]}" -P "$root/cmake/Branding.cmake" 2>&1); then
  message=$(printf '%s\n' "$message" | sed -n '/^CMake Error/,$p' | sed '1d; s/^ *//; /^$/d; /^Call Stack/,$d' | tr '\n' ' ')
  fail "${message% }"
fi

# The installer's and the signature's inputs, also before anything is built.
if [ -z "$msi" ]; then
  for given in "$x86:--x86" "$app:--app" "$per_machine:--per-machine" "$upgrade_code:--upgrade-code" \
               "${associations[*]:-}:--associate"; do
    [ -z "${given%:*}" ] || fail "${given##*:} belongs to an installer: add --msi"
  done
else
  [ -n "$app" ] || fail "--msi needs --app DIR: the application's files (its INI, lib\\, ...)"
  msi_values=(--name "$name" --version "$version" --company "$company" --icon "$icon" --app "$app"
              ${per_machine:+--per-machine} ${upgrade_code:+--upgrade-code "$upgrade_code"} "${associations[@]}")
  msi_arches=(x64 ${x86:+x86})
  for arch in "${msi_arches[@]}"; do
    message=$(python3 "$root/tools/make-msi.py" --check --arch "$arch" "${msi_values[@]}" 2>&1) || fail "${message#make-msi: }"
  done
  command -v wixl >/dev/null || fail "wixl is not installed (Debian package wixl; tools/install-deps.sh installs it)"
fi
if [ -n "$jar" ]; then
  [ -f "$jar" ] || fail "--jar $jar: no such file"
  [ "$(head -c 4 "$jar" | od -An -tx1 | tr -d ' \n')" = 504b0304 ] || fail "--jar $jar: not a jar (zip) archive"
fi
if [ -n "$pfx" ] || [ -n "$password_file" ] || [ -n "$timestamp" ]; then
  [ -n "$pfx" ] || fail "--sign-password-file and --timestamp belong to --sign"
  [ -n "$password_file" ] || fail "--sign needs --sign-password-file (the password never goes on the command line)"
  [ -f "$pfx" ] || fail "--sign $pfx: no such file"
  [ -f "$password_file" ] && [ -r "$password_file" ] || fail "--sign-password-file $password_file: no such readable file"
  command -v osslsigncode >/dev/null || fail "osslsigncode is not installed (tools/install-deps.sh installs it)"
  # The certificates, which also proves the password: each signature is verified against them.
  certificates=$(mktemp)
  trap 'rm -f "$certificates"' EXIT
  openssl pkcs12 -in "$pfx" -passin "file:$password_file" -nokeys -out "$certificates" 2>/dev/null ||
    openssl pkcs12 -legacy -in "$pfx" -passin "file:$password_file" -nokeys -out "$certificates" 2>/dev/null ||
    fail "--sign $pfx: cannot open it with the password in $password_file (wrong password, or not a .pfx)"
  if [ -f /etc/ssl/certs/ca-certificates.crt ]; then cat /etc/ssl/certs/ca-certificates.crt >>"$certificates"; fi
  # What is checked is the signature and its certificate; revocation lists are the user's machine's
  # business and would make a release depend on the network.
  offline=()
  if osslsigncode verify --help 2>&1 | grep -q -- -ignore-crl; then offline=(-ignore-crl); fi
fi

if [ -z "$win64_exe" ]; then
  for preset in win64 win32; do
    echo "== Building $preset (Release) in build/release-$preset"
    (cd "$root" && cmake --preset "$preset" -B "build/release-$preset" "${brand[@]}" >/dev/null &&
       cmake --build "build/release-$preset" --target marlwick marlwick_console -j2)
  done
  win64_exe="$root/build/release-win64/$name 64.exe"
  win32_exe="$root/build/release-win32/$name.exe"
  # The console builds are named (and their version blocks name them) as they ship.
  if [ -n "$console_name" ]; then
    win64_console_exe="$root/build/release-win64/$console_name 64.exe"
    win32_console_exe="$root/build/release-win32/$console_name.exe"
  else
    win64_console_exe="$root/build/release-win64/$name 64 Console.exe"
    win32_console_exe="$root/build/release-win32/$name Console.exe"
  fi
fi
for exe in "$win64_exe" "$win32_exe" ${win64_console_exe:+"$win64_console_exe" "$win32_console_exe"}; do
  [ -f "$exe" ] || fail "no executable at $exe"
done

licence=""
for candidate in LICENSE LICENSE.txt LICENSE.md LICENCE COPYING; do
  if [ -f "$root/$candidate" ]; then licence="$root/$candidate"; break; fi
done

if [ -n "$branded" ]; then base="$name-$version-windows"; else base="marlwick-$version-windows"; fi
stage=$(mktemp -d)
trap 'rm -rf "$stage" "${certificates:-}"' EXIT
dir="$stage/$base"
ready="$stage/ready"   # what goes to $out, once everything has worked
mkdir "$dir" "$ready"

cp "$win64_exe" "$dir/$name 64.exe"
cp "$win32_exe" "$dir/$name.exe"
# A signature covers the whole file: the jar goes in first.
if [ -n "$jar" ]; then
  python3 "$root/tools/embed-jar.py" "$jar" "$dir/$name 64.exe" "$dir/$name.exe" >/dev/null || fail "--jar: the jar was not appended"
fi
sign() {  # sign FILE: signs it in place and verifies the signature
  local signed="$1.signed" output
  output=$(osslsigncode sign -pkcs12 "$pfx" -readpass "$password_file" -h sha256 -n "$name" \
             ${timestamp:+-ts "$timestamp"} -in "$1" -out "$signed" 2>&1) ||
    fail "signing $(basename "$1") failed: $(printf '%s' "$output" | tail -n 3 | tr '\n' ' ')"
  output=$(osslsigncode verify -CAfile "$certificates" ${timestamp:+-TSA-CAfile "$certificates"} "${offline[@]}" \
             -in "$signed" 2>&1) ||
    fail "the signature of $(basename "$1") does not verify: $(printf '%s' "$output" | grep -i -m 3 'fail\|error' | tr '\n' ' ')"
  mv "$signed" "$1"
}
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
if [ -n "$pfx" ]; then
  sign "$dir/$name 64.exe"
  sign "$dir/$name.exe"
  if [ -n "$win64_console_exe" ]; then
    sign "$dir/$console64.exe"
    sign "$dir/$console32.exe"
  fi
fi
# Windows line ends, so that every editor shows the comments as lines.
for ini in "$name 64.ini" "$name.ini"; do
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

# ./ keeps a name that begins with - from being read as an option.
(cd "$stage" && zip -q -X -r "$ready/$base.zip" "./$base")
outputs=("$base.zip")
if [ -n "$msi" ]; then
  for arch in "${msi_arches[@]}"; do
    if [ "$arch" = x64 ]; then exe="$dir/$name 64.exe"; else exe="$dir/$name.exe"; fi
    package="$name-$version-$arch.msi"
    message=$(python3 "$root/tools/make-msi.py" --out "$ready/$package" --exe "$exe" --arch "$arch" "${msi_values[@]}" 2>&1) ||
      fail "${message#make-msi: }"
    if [ -n "$pfx" ]; then sign "$ready/$package"; fi
    outputs+=("$package")
  done
fi
if [ -n "$branded" ]; then
  cp "$dir/$name 64.exe" "$dir/$name.exe" "$ready/"
  outputs=("$name 64.exe" "$name.exe" "${outputs[@]}")
  if [ -n "$win64_console_exe" ]; then
    cp "$dir/$console64.exe" "$dir/$console32.exe" "$ready/"
    outputs=("$console64.exe" "$console32.exe" "${outputs[@]}")
  fi
fi

mkdir -p "$out" || fail "cannot create $out"
out=$(cd "$out" && pwd)
for file in "${outputs[@]}"; do
  rm -f "$out/$file"
  mv "$ready/$file" "$out/$file"
  echo "$out/$file"
done
