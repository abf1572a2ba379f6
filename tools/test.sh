#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests and short fuzzing runs, the Windows
# tests under Wine (in a private Wine prefix, on a private X display when none is set) and the PE
# checks of both builds. Installs what it needs first when something is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --if-missing
tools/build.sh
for version in 25 21 17; do tools/fetch-jre.sh "$version" >/dev/null; done
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" tools/run-ctest.sh
fi
exec tools/run-ctest.sh
