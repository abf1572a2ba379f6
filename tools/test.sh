#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests, the Windows tests under Wine (in a
# private Wine prefix, on a private X display when none is set) and the PE checks of both builds.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh
if [ -x tools/fetch-jre.sh ]; then tools/fetch-jre.sh >/dev/null; fi
run_ctest() {
  ctest --test-dir build/host --output-on-failure --timeout 120 &&
  ctest --test-dir build/win32 --output-on-failure --timeout 120 &&
  ctest --test-dir build/win64 --output-on-failure --timeout 300 -j2
}
if [ -z "${DISPLAY:-}" ]; then
  export -f run_ctest
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c run_ctest
fi
run_ctest
