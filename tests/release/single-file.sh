#!/usr/bin/env bash
# A single-file application: the probe jar appended to a branded launcher by tools/embed-jar.py,
# started with the real runtime from a folder that holds only the executable, its INI and jre64\
# (the runtime, through a link). The probe reports the class path that the virtual machine got,
# which must be the executable itself. Also what the tool refuses, and that it then changes nothing.
# Arguments: the branded launcher, the probe jar, the runtime.
set -u
launcher=$1 probe=$2 runtime=$3
here=$(cd "$(dirname "$0")" && pwd)
embed="$here/../../tools/embed-jar.py"
. "$here/../wine/wine-env.sh"
marlwick_resolve_prefix "$launcher"
top="$WINEPREFIX/drive_c/marlwick-single-file-$$"
trap 'rm -rf "$top"' EXIT
mkdir -p "$top/app" "$top/out"
failures=0
check() {  # check LABEL COMMAND...
  if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}
refused() {  # refused LABEL EXPECTED-TEXT FILE-THAT-MUST-NOT-CHANGE ARGUMENTS...
  local label=$1 expected=$2 file=$3 before message
  shift 3
  before=$(sha256sum <"$file")
  message=$(python3 "$embed" "$@" 2>&1 >/dev/null) && { echo "FAIL $label: accepted"; failures=$((failures + 1)); return; }
  check "$label: says \"$expected\"" grep -q -- "$expected" <<<"$message"
  check "$label: $(basename "$file") unchanged" test "$before" = "$(sha256sum <"$file")"
}

exe="$top/app/$(basename "$launcher")"
cp "$launcher" "$exe"
cp "$launcher" "$top/signed.exe"
# A certificate table entry, as signing leaves it (the tool reads only the directory entry).
python3 - "$top/signed.exe" <<'EOF'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
pe = struct.unpack_from("<I", data, 0x3C)[0]
optional = pe + 24
directories = optional + (112 if struct.unpack_from("<H", data, optional)[0] == 0x20B else 96)
struct.pack_into("<II", data, directories + 8 * 4, len(data), 8)
open(sys.argv[1], "wb").write(bytes(data) + b"\0" * 8)
EOF
printf 'not a jar' >"$top/notes.txt"
# An executable cut short inside its optional header, and the executable named again through a link.
python3 -c 'import struct, sys; data = open(sys.argv[1], "rb").read()
open(sys.argv[2], "wb").write(data[:struct.unpack_from("<I", data, 0x3C)[0] + 24 + 60])' "$exe" "$top/cut.exe"
ln -s "$exe" "$top/link.exe"
refused "not a jar" "not a jar" "$exe" "$top/notes.txt" "$exe"
refused "not an executable" "not a Windows executable" "$top/notes.txt" "$probe" "$top/notes.txt"
refused "signed executable" "signed" "$top/signed.exe" "$probe" "$top/signed.exe"
refused "one bad executable among good ones" "signed" "$exe" "$probe" "$exe" "$top/signed.exe"
refused "executable cut short" "cut short" "$top/cut.exe" "$probe" "$top/cut.exe"
refused "one executable named twice" "the same file" "$exe" "$probe" "$exe" "$top/link.exe"
check "jar appended" python3 "$embed" "$probe" "$exe"
refused "appended twice" "already carries an archive" "$exe" "$probe" "$exe"

ln -s "$runtime" "$top/app/jre64"
windows() { printf 'C:%s' "${1#$WINEPREFIX/drive_c}" | tr / '\\'; }
printf '[Java Runtime Environment]\r\nMain Class=probe.Report\r\n[Application]\r\nEmbedded Jar=yes\r\nOutput File=%s\r\n' \
  "$(windows "$top/out/out.txt")" >"${exe%.exe}.ini"
check "folder holds only the executable, its INI and jre64" \
  test "$(ls "$top/app" | sort | tr '\n' '|')" = "$(basename "${exe%.exe}").exe|$(basename "${exe%.exe}").ini|jre64|"
(cd "$top/out" && timeout 180 "$here/../wine/run.sh" "$exe" single-file)
status=$?
check "exit status 0 (was $status)" test "$status" -eq 0
check "main ran to its end" grep -qa "^end=1" "$top/out/out.txt"
check "argument reached main" grep -qxa "arg.0=single-file" "$top/out/out.txt"
expected="java.class.path=$(windows "$exe" | sed 's/\\/\\\\/g');"
check "the class path is the executable itself" grep -qxaF "$expected" "$top/out/out.txt"
# Signing after the append puts the certificate table (8-byte aligned, some kilobytes) after the
# jar: Java still finds the archive.
python3 -c 'import sys; open(sys.argv[1], "ab").write(b"\0" * (8 - len(open(sys.argv[1], "rb").read()) % 8) + b"\x30\x82" * 6000)' "$exe"
rm -f "$top/out/out.txt"
(cd "$top/out" && timeout 180 "$here/../wine/run.sh" "$exe" signed)
status=$?
check "bytes after the jar: exit status 0 (was $status)" test "$status" -eq 0
check "bytes after the jar: main ran to its end" grep -qa "^end=1" "$top/out/out.txt"
[ "$failures" -eq 0 ] || { echo "--- out.txt:"; cat "$top/out/out.txt" 2>/dev/null; }
echo "$failures failed checks"
[ "$failures" -eq 0 ]
