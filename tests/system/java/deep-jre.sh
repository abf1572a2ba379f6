#!/usr/bin/env bash
# A Java runtime installed in a folder deeper than the virtual machine can handle (its home about
# 320 characters long) still starts: the launcher hands it over in its short form. The runtime is
# the real one, reached through a link at the end of the deep folder; the application is the probe,
# which prints "end=1" as its last line. Arguments: the launcher, the probe jar, the runtime.
set -u
launcher=$1 probe=$2 runtime=$3
. "$(dirname "$0")/../../wine/wine-env.sh"
marlwick_resolve_prefix "$launcher"
top="$WINEPREFIX/drive_c/marlwick-deep-jre-$$"
trap 'rm -rf "$top"' EXIT
deep="$top"
for part in a b c d e f; do deep="$deep/$(printf "$part%.0s" $(seq 48))"; done
mkdir -p "$deep" "$top/app/lib"
ln -s "$runtime" "$deep/jre"
cp "$launcher" "$top/app/Marlwick 64.exe"
cp "$probe" "$top/app/lib/probe.jar"
home="C:$(printf '%s' "${deep#$WINEPREFIX/drive_c}/jre" | tr / '\\')"
echo "JRE home: $home (${#home} characters)"
printf '[Java Runtime Environment]\r\nMain Class=probe.Report\r\nJRE Path=%s\r\n[Class Path]\r\nClass Path=\\lib\\probe.jar\r\n[Application]\r\nOutput File=out.txt\r\nOverride WorkingDir=yes\r\n' \
  "$home" > "$top/app/Marlwick 64.ini"
cd "$top/app"
timeout 120 "$(dirname "$0")/../../wine/run.sh" "$top/app/Marlwick 64.exe"
status=$?
echo "exit status $status (0 expected; 1 means the virtual machine refused the long folder)"
grep -a "^env.VX_JVM_HOME=" "$top/app/out.txt" || true
[ "$status" -eq 0 ] && grep -qa "^end=1" "$top/app/out.txt"
