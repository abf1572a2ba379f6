#!/usr/bin/env bash
# Builds the launcher, fetches the Windows Java runtime, lays out a sample application the way a
# Java team ships it, and starts it under Wine:
#
#   build/demo/Marlwick 64.exe   the launcher
#   build/demo/Marlwick 64.ini   its settings (demo/Marlwick 64.ini)
#   build/demo/lib/demo.jar      the application
#   build/demo/jre64/            the runtime, found beside the launcher
#
# Then prints what the application wrote. Extra arguments go to the application.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
tools/install-deps.sh --if-missing

cmake --preset win64 >/dev/null
cmake --build --preset win64 --target marlwick
jre=$(tools/fetch-jre.sh)

demo="$root/build/demo"
rm -rf "$demo"
mkdir -p "$demo/lib" "$demo/classes"
javac --release 11 -d "$demo/classes" demo/src/com/example/demo/DemoApp.java
jar --create --file "$demo/lib/demo.jar" -C "$demo/classes" .
rm -rf "$demo/classes"
cp "build/win64/Marlwick 64.exe" "demo/Marlwick 64.ini" demo/splash.gif "$demo/"
ln -s "$jre" "$demo/jre64"

export WINEPREFIX=${MARLWICK_WINEPREFIX:-$root/build/demo-wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export MARLWICK_WINEPREFIX=$WINEPREFIX
if [ $# -eq 0 ]; then set -- "first argument" "ñandú" "" '-Dnot=an-option' -nosplash; fi
echo "== Starting build/demo/Marlwick 64.exe with: $(printf '[%s] ' "$@")"
status=0
tests/wine/run.sh "$demo/Marlwick 64.exe" "$@" || status=$?
echo "== The application's standard output (demo-output.log):"
cat "$demo/demo-output.log" 2>/dev/null || echo "(none)"
if [ -s "$demo/demo-error.log" ]; then
  echo "== Its standard error (demo-error.log):"
  cat "$demo/demo-error.log"
fi
echo "== Exit status: $status"
exit "$status"
