#!/usr/bin/env bash
# Pictures of the launcher's dialogs for the README, in English and Spanish: builds the dialog
# tests, shows each dialog under Wine on a private X display, and writes
#
#   docs/screenshots/jre-not-found-en.png    docs/screenshots/jre-not-found-es.png
#   docs/screenshots/jre-not-found-refused-en.png   docs/screenshots/jre-not-found-refused-es.png
#   docs/screenshots/java-exception-en.png   docs/screenshots/java-exception-es.png
#
# (The Spanish pictures need the es_ES.UTF-8 locale on this machine; see tests/wine/README.md.)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

cmake --preset win64 >/dev/null
cmake --build --preset win64 --target marlwick_dialog_component_test

out="$root/docs/screenshots"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

export MARLWICK_BUILD_DIR="$root/build/win64"
export MARLWICK_SCREENSHOT_DIR="Z:${work//\//\\}"
program="$root/build/win64/tests/system/dialogs/marlwick_dialog_component_test.exe"
shoot() {
  if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" tests/wine/run.sh "$program" Screenshots
  else
    tests/wine/run.sh "$program" Screenshots
  fi
}
( unset LC_ALL LC_CTYPE LC_MESSAGES; LANG=en_US.UTF-8 MARLWICK_EXPECT_LANGUAGE=en shoot )
( unset LC_ALL LC_CTYPE LC_MESSAGES; LANG=es_ES.UTF-8 MARLWICK_EXPECT_LANGUAGE=es shoot )

for picture in "$work"/*.bmp; do
  convert "$picture" "$out/$(basename "${picture%.bmp}").png"
done
ls -1 "$out"
