#!/usr/bin/env bash
# A launcher installed in a folder whose path is longer than MAX_PATH still reads its INI file:
# with a main class and no JRE anywhere it ends with -1 (status 255) and shows nothing. Had it
# missed the INI, it would show the "no main class" box and hang until the time limit.
set -u
launcher=$1
. "$(dirname "$0")/../../wine/wine-env.sh"
marlwick_resolve_prefix "$launcher"
deep="$WINEPREFIX/drive_c/marlwick-deep-$$"
for part in a b c d e f; do deep="$deep/$(printf "$part%.0s" $(seq 48))"; done
mkdir -p "$deep"
trap 'rm -rf "$WINEPREFIX/drive_c/marlwick-deep-$$"' EXIT
cp "$launcher" "$deep/Marlwick 64.exe"
printf '[Java Runtime Environment]\r\nMain Class=App\r\n' > "$deep/Marlwick 64.ini"
cd "$WINEPREFIX/drive_c"
timeout 60 "$(dirname "$0")/../../wine/run.sh" "$deep/Marlwick 64.exe"
status=$?
echo "exit status $status (255 expected; 124 means the launcher hung on a message box)"
[ "$status" -eq 255 ]
