#!/usr/bin/env bash
# A launcher installed in a folder whose path is longer than MAX_PATH still reads its INI file:
# with a main class and the test double of jvm.dll as its "JRE Path" it runs main and ends with 0,
# showing nothing. Had it missed the INI, it would show the "no main class" box and hang until the
# time limit. Arguments: the launcher, the folder of the double's JRE homes.
set -u
launcher=$1
. "$(dirname "$0")/../../wine/wine-env.sh"
marlwick_resolve_prefix "$launcher"
deep="$WINEPREFIX/drive_c/marlwick-deep-$$"
for part in a b c d e f; do deep="$deep/$(printf "$part%.0s" $(seq 48))"; done
mkdir -p "$deep"
trap 'rm -rf "$WINEPREFIX/drive_c/marlwick-deep-$$"' EXIT
cp "$launcher" "$deep/Marlwick 64.exe"
: > "$deep/app.jar"
jre="Z:$(printf '%s' "$2/full" | tr / '\\')"
printf '[Java Runtime Environment]\r\nMain Class=App\r\nJRE Path=%s\r\n[Class Path]\r\nClass Path=\\app.jar\r\n' \
  "$jre" > "$deep/Marlwick 64.ini"
cd "$WINEPREFIX/drive_c"
timeout 60 "$(dirname "$0")/../../wine/run.sh" "$deep/Marlwick 64.exe"
status=$?
echo "exit status $status (0 expected; 124 means the launcher hung on a message box)"
[ "$status" -eq 0 ]
