#!/usr/bin/env bash
# The installer under Wine, made by tools/release.sh --msi from a branded launcher, the probe
# application and a real runtime (jre64\).
#
#   installer.sh install LAUNCHER PROBE.jar RUNTIME ICON
#       msiexec /i ... /qn installs it per user: the files, the Start-menu shortcut, the uninstall
#       entry and the file association; the application starts from its installed folder and
#       through the association; a newer version replaces it, an older one is refused; msiexec /x
#       removes all it installed and leaves the per-user data the launcher writes.
#   installer.sh sign LAUNCHER PROBE.jar RUNTIME ICON
#       --jar and --sign with a certificate made here: both executables and the installer carry a
#       signature that osslsigncode verifies, and the signed single-file application still starts.
#
# msiexec runs through cmd, which reports its whole exit code (1603: the installation failed).
set -u
mode=$1 launcher=$2 probe=$3 runtime=$4 icon=$5
here=$(cd "$(dirname "$0")" && pwd)
release="$here/../../tools/release.sh"
. "$here/../wine/wine-env.sh"
if [ "$mode" = install ]; then
  # Installing changes the registry: a prefix of its own.
  export MARLWICK_WINEPREFIX="${MARLWICK_BUILD_DIR:?}/wineprefix-installer"
fi
marlwick_resolve_prefix "$launcher"
marlwick_wine_environment
marlwick_create_prefix   # before anything is put in it: an unfinished prefix is made again from scratch
run="$here/../wine/run.sh"
name="Acme Tool" company='Acme "Q" Ltd'
top="$WINEPREFIX/drive_c/marlwick-installer-$$"
top_windows="C:\\marlwick-installer-$$"
mkdir -p "$top/app" "$top/out"
trap 'rm -rf "$top"' EXIT
failures=0
check() {  # check LABEL COMMAND...
  if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}
contains() { grep -qaF -- "$2" <<<"$1"; }

release_msi() {  # release_msi VERSION TARGET [OPTIONS...]: the x64 installer of this version, copied to TARGET
  local version=$1 target=$2 output
  output=$("$release" --out "$top/dist-$version" --win64-exe "$launcher" --win32-exe "$launcher" --name "$name" \
             --version "$version" --company "$company" --icon "$icon" --msi --app "$top/app" "${@:3}" 2>&1)
  check "release.sh $version --msi" test -f "$top/dist-$version/$name-$version-x64.msi" || { echo "$output"; return 1; }
  cp "$top/dist-$version/$name-$version-x64.msi" "$target"
}
msiexec() {  # msiexec ARGUMENTS...: prints the exit code
  "$run" cmd /c "msiexec $* & echo exit=%errorlevel%" 2>&1 | tr -d '\r' | sed -n 's/^exit=//p'
}
registry() {  # registry KEY [reg query options]: the key's values, or nothing
  "$run" reg query "$@" 2>/dev/null | tr -d '\r' | grep -E '^(HKEY_|    )'
}
run_app() {  # run_app PROGRAM ARGUMENTS...: the exit status; the probe's report in $report
  rm -f "$top/out/out.txt"
  (cd "$top/out" && timeout 180 "$run" "$@" >/dev/null 2>&1)
  local status=$?
  report=$(cat "$top/out/out.txt" 2>/dev/null)
  return $status
}

if [ "$mode" = sign ]; then
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$top/key.pem" -out "$top/cert.pem" -days 2 \
    -subj "/CN=Acme Test Signing" -addext extendedKeyUsage=codeSigning 2>/dev/null
  echo "test password" >"$top/password"
  openssl pkcs12 -export -inkey "$top/key.pem" -in "$top/cert.pem" -out "$top/acme.pfx" -passout "file:$top/password"
  printf '[Java Runtime Environment]\r\nMain Class=probe.Report\r\n[Application]\r\nEmbedded Jar=yes\r\nOutput File=%s\\out\\out.txt\r\n' \
    "$top_windows" >"$top/app/$name 64.ini"
  release_msi 1.0.0 "$top/signed.msi" --jar "$probe" --sign "$top/acme.pfx" --sign-password-file "$top/password"
  for file in "$top/dist-1.0.0/$name 64.exe" "$top/dist-1.0.0/$name.exe" "$top/signed.msi"; do
    verified=$(osslsigncode verify -CAfile "$top/cert.pem" -in "$file" 2>&1)
    check "$(basename "$file"): signature verified" contains "$verified" "Signature verification: ok"
    echo "$verified" | grep -E "^(Message digest algorithm|Signer's certificate|	Subject|Signature verification)" | head -5
  done
  # The signed single-file application: the jar first, the signature after it, and Java still
  # finds the jar.
  mkdir "$top/single"
  cp "$top/dist-1.0.0/$name 64.exe" "$top/single/"
  cp "$top/app/$name 64.ini" "$top/single/"
  ln -s "$runtime" "$top/single/jre64"
  run_app "$top/single/$name 64.exe" signed-single-file
  check "signed single-file application: exit status 0 (was $?)" test $? -eq 0
  check "signed single-file application reached main" contains "$report" "arg.0=signed-single-file"
  check "signed single-file application: its class path is the executable" \
    contains "$report" "java.class.path=${top_windows//\\/\\\\}\\\\single\\\\$name 64.exe"
  echo "$failures failed checks"
  [ "$failures" -eq 0 ]
  exit
fi

# The application folder: its INI, the probe jar, the runtime, an empty folder, names with spaces
# and letters beyond ASCII.
mkdir "$top/app/lib"
cp "$probe" "$top/app/lib/probe.jar"
cp -rL "$runtime" "$top/app/jre64"
mkdir -p "$top/app/empty folder" "$top/app/docs" "$top/app/données"
echo notes >"$top/app/docs/read me.txt"
echo é >"$top/app/données/é.txt"
printf '[Product Information]\r\nProduct Name=%s\r\nProduct Code=installer-%s\r\n[Java Runtime Environment]\r\nMain Class=probe.Report\r\n[Class Path]\r\nClass Path=\\lib\\probe.jar\r\n[Application]\r\nOutput File=%s\\out\\out.txt\r\n' \
  "$name" "$$" "$top_windows" >"$top/app/$name 64.ini"

user=$(id -un)
installed="$WINEPREFIX/drive_c/users/$user/AppData/Local/Programs/$name"
installed_windows="C:\\users\\$user\\AppData\\Local\\Programs\\$name"
menu="$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/$name.lnk"
uninstall_entries() {  # the uninstall entries of the product: "version publisher" lines
  local root
  for root in HKLM HKCU; do
    registry "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s
  done | awk -v name="$name" '
    /^HKEY/ { if (shown == name) print version " " publisher; shown = ""; version = ""; publisher = "" }
    $1 == "DisplayName" { sub(/^ *DisplayName +REG_SZ +/, ""); shown = $0 }
    $1 == "DisplayVersion" { version = $3 }
    $1 == "Publisher" { sub(/^ *Publisher +REG_SZ +/, ""); publisher = $0 }
    END { if (shown == name) print version " " publisher }'
}
listing() { (cd "$1" && find -L . -mindepth 1 ! -path './jre64/*' | LC_ALL=C sort); }
cleanup() {
  if [ -n "$(uninstall_entries)" ]; then
    for package in "$top/v2.msi" "$top/v1.msi" "$top/machine.msi"; do [ -f "$package" ] && msiexec /x "$(windows "$package")" /qn >/dev/null; done
  fi
  rm -rf "$top" "$WINEPREFIX/drive_c/users/$user/AppData/Roaming/$name" "$WINEPREFIX/drive_c/users/$user/AppData/Local/$name"
}
trap cleanup EXIT
windows() { printf 'C:\\%s' "${1#$WINEPREFIX/drive_c/}" | tr / '\\'; }

release_msi 1.0.0 "$top/v1.msi" --associate .acmedoc "Acme document" || exit 1
echo "installer: $(stat -c %s "$top/v1.msi") bytes"
check "install 1.0.0 per user" test "$(msiexec /i "$(windows "$top/v1.msi")" /qn)" = 0
check "every file and folder in %LOCALAPPDATA%\\Programs\\$name" \
  test "$(listing "$installed")" = "$( (listing "$top/app"; echo "./$name 64.exe") | LC_ALL=C sort)"
check "the runtime complete" test "$(cd "$installed" && find jre64 -type f | wc -l)" = "$(find -L "$runtime" -type f | wc -l)"
check "the Start-menu shortcut" test -f "$menu"
shortcut=$(strings -e l "$menu"; strings "$menu")
check "the shortcut points at the installed executable" contains "$shortcut" "$installed_windows\\$name 64.exe"
check "the shortcut has the icon" contains "$shortcut" "app.ico"
check "one uninstall entry: version and publisher" test "$(uninstall_entries)" = "1.0.0 $company"
icon_value=$(registry 'HKCU\Software\Microsoft\Installer\Products' /s | grep ProductIcon)
check "the uninstall entry's icon" contains "$icon_value" "app.ico"
command_value=$(registry 'HKCU\Software\Classes\AcmeTool.acmedoc\shell\open\command' /ve)
check "the association's command" contains "$command_value" "\"$installed_windows\\$name 64.exe\" \"%1\""
echo "$icon_value"; echo "$command_value"

run_app "$installed/$name 64.exe" from-the-menu
check "the installed application: exit status 0 (was $?)" test $? -eq 0
check "the installed application reached main" contains "$report" "arg.0=from-the-menu"
check "with the installed runtime and jar" contains "$report" "java.class.path=${installed_windows//\\/\\\\}\\\\lib\\\\probe.jar"

# What the launcher writes per user while running: the per-user INI ("JRE Path") and the start-up cache.
user_ini="$WINEPREFIX/drive_c/users/$user/AppData/Roaming/$name/installer-$$/$name 64.ini"
cache="$WINEPREFIX/drive_c/users/$user/AppData/Local/$name/installer-$$/$name 64.0123456789abcdef.aot"
mkdir -p "$(dirname "$user_ini")" "$(dirname "$cache")"
printf '[Java Runtime Environment]\r\nJRE Path=C:\\jre\r\n' >"$user_ini"
echo cache >"$cache"

# 1.1.0 drops a file and adds one: it replaces 1.0.0.
rm "$top/app/docs/read me.txt"
echo new >"$top/app/docs/new.txt"
release_msi 1.1.0 "$top/v2.msi" --associate .acmedoc "Acme document" || exit 1
check "install 1.1.0 over 1.0.0" test "$(msiexec /i "$(windows "$top/v2.msi")" /qn)" = 0
check "one uninstall entry, 1.1.0" test "$(uninstall_entries)" = "1.1.0 $company"
check "1.1.0's files" test "$(listing "$installed")" = "$( (listing "$top/app"; echo "./$name 64.exe") | LC_ALL=C sort)"
check "1.0.0 refused over 1.1.0 (1603)" test "$(msiexec /i "$(windows "$top/v1.msi")" /qn)" = 1603
check "still one uninstall entry, 1.1.0" test "$(uninstall_entries)" = "1.1.0 $company"

check "uninstall" test "$(msiexec /x "$(windows "$top/v2.msi")" /qn)" = 0
check "the installed folder is gone" test ! -e "$installed"
check "the shortcut is gone" test ! -e "$menu"
check "no uninstall entry" test -z "$(uninstall_entries)"
check "no association" test -z "$(registry 'HKCU\Software\Classes\.acmedoc')$(registry 'HKCU\Software\Classes\AcmeTool.acmedoc')"
check "no product key" test -z "$(registry "HKCU\\Software\\$company\\$name")"
check "no product icon" test -z "$(registry 'HKCU\Software\Microsoft\Installer\Products' /s | grep ProductIcon)"
check "the per-user INI stays" test -f "$user_ini"
check "the start-up cache stays" test -f "$cache"

# Per machine: Program Files, the shortcut for all users, and the association in the machine's
# classes, where Wine's shell finds it (it does not read the user's classes).
machine="$WINEPREFIX/drive_c/Program Files/$name"
machine_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/$name.lnk"
release_msi 1.1.0 "$top/machine.msi" --per-machine --associate .acmedoc "Acme document" || exit 1
check "install per machine" test "$(msiexec /i "$(windows "$top/machine.msi")" /qn)" = 0
check "every file and folder in Program Files\\$name" \
  test "$(listing "$machine")" = "$( (listing "$top/app"; echo "./$name 64.exe") | LC_ALL=C sort)"
# Windows puts it in the menu of all users; Wine 8 in the installing user's.
check "the shortcut" test -f "$machine_menu" -o -f "$menu"
echo letter >"$top/letter.acmedoc"
run_app start /wait "$(windows "$top/letter.acmedoc")"
check "opening a document starts the application with its path" \
  contains "$report" "arg.0=${top_windows//\\/\\\\}\\\\letter.acmedoc"
check "uninstall per machine" test "$(msiexec /x "$(windows "$top/machine.msi")" /qn)" = 0
check "Program Files\\$name is gone" test ! -e "$machine"
check "the shortcut is gone" test ! -e "$machine_menu" -a ! -e "$menu"
check "no association for the machine" test -z "$(registry 'HKLM\Software\Classes\.acmedoc')"
check "no uninstall entry" test -z "$(uninstall_entries)"
echo "$failures failed checks"
[ "$failures" -eq 0 ]
