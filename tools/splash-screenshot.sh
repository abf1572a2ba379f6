#!/usr/bin/env bash
# The README's splash screenshot: starts the demo (tools/demo.sh) with its splash picture on a
# private X display, waits until main is running (the launcher's splash stays up until main
# returns; "--pause-ms" keeps main busy), photographs the screen and crops it around the splash.
#
#   tools/splash-screenshot.sh [output.png, default docs/screenshots/splash-demo.png]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=${1:-docs/screenshots/splash-demo.png}
mkdir -p "$(dirname "$out")"

if [ -z "${MARLWICK_SPLASH_SHOT_DISPLAY:-}" ]; then
  # A display of our own, so that nothing else is on the picture.
  exec env MARLWICK_SPLASH_SHOT_DISPLAY=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

log="$root/build/demo/demo-output.log"
rm -f "$log"
tools/demo.sh "--pause-ms=8000" >/tmp/marlwick-splash-demo.$$ 2>&1 &
demo=$!
trap 'kill $demo 2>/dev/null || true; rm -f /tmp/marlwick-splash-demo.$$' EXIT
for _ in $(seq 1 600); do
  if grep -q "max heap" "$log" 2>/dev/null; then break; fi
  if ! kill -0 $demo 2>/dev/null; then cat /tmp/marlwick-splash-demo.$$ >&2; echo "the demo ended early" >&2; exit 1; fi
  sleep 0.2
done
grep -q "max heap" "$log" || { echo "main never ran" >&2; exit 1; }
sleep 0.5
import -window root -crop 640x400+320+312 +repage "$out"
wait $demo || true
echo "$out"
