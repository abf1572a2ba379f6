#!/usr/bin/env bash
# Builds the launcher, fetches the Windows Java runtime, lays out a sample application the way a
# Java team ships it, and starts it under Wine:
#
#   build/demo/Marlwick 64.exe   the launcher
#   build/demo/Marlwick 64.ini   its settings (demo/Marlwick 64.ini)
#   build/demo/lib/demo.jar      the application
#   build/demo/jre64/            the runtime, found beside the launcher
#
# and beside it the modular sample (two modules, started from its main module):
#
#   build/demo/modular/Modular Demo.exe   the same launcher under the sample's name
#   build/demo/modular/Modular Demo.ini   its settings (demo/modular/Modular Demo.ini)
#   build/demo/modular/mods/              com.example.app.jar (the main module) and com.example.greeting.jar
#   build/demo/modular/jre64/             the runtime
#
# Then starts one of them and prints what it wrote: the classic sample, or with --modular as the
# first argument the modular one. Extra arguments go to the application.
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

modular="$demo/modular"
mkdir -p "$modular/mods" "$modular/classes"
javac --release 11 -d "$modular/classes/com.example.greeting" $(find demo/modular/com.example.greeting -name '*.java')
jar --create --file "$modular/mods/com.example.greeting.jar" -C "$modular/classes/com.example.greeting" .
javac --release 11 --module-path "$modular/mods" -d "$modular/classes/com.example.app" $(find demo/modular/com.example.app -name '*.java')
jar --create --file "$modular/mods/com.example.app.jar" --main-class com.example.app.Main -C "$modular/classes/com.example.app" .
rm -rf "$modular/classes"
cp "build/win64/Marlwick 64.exe" "$modular/Modular Demo.exe"
cp "demo/modular/Modular Demo.ini" "$modular/"
ln -s "$jre" "$modular/jre64"

export WINEPREFIX=${MARLWICK_WINEPREFIX:-$root/build/demo-wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export MARLWICK_WINEPREFIX=$WINEPREFIX
program="$demo/Marlwick 64.exe" output="$demo/demo-output.log" errors="$demo/demo-error.log"
if [ "${1:-}" = --modular ]; then
  shift
  program="$modular/Modular Demo.exe" output="$modular/modular-output.log" errors="$modular/modular-error.log"
fi
if [ $# -eq 0 ]; then set -- "first argument" "ñandú" "" '-Dnot=an-option' -nosplash; fi
echo "== Starting ${program#"$root"/} with: $(printf '[%s] ' "$@")"
status=0
tests/wine/run.sh "$program" "$@" || status=$?
echo "== The application's standard output ($(basename "$output")):"
cat "$output" 2>/dev/null || echo "(none)"
if [ -s "$errors" ]; then
  echo "== Its standard error ($(basename "$errors")):"
  cat "$errors"
fi
echo "== Exit status: $status"
exit "$status"
