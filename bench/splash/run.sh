#!/usr/bin/env bash
# Splash benchmark under Wine: how long after process creation the splash is on screen, for the
# launcher's own window (a GIF) and for the JRE's native splash (a PNG through splashscreen.dll),
# beside the time to the first line of main (bench/startup/StartupProbe.java) in the same runs.
#
#   bench/splash/run.sh [runs per variant, default 10]
#
# Builds the launcher and bench/splash/SplashBench.cpp (preset win64), fetches the runtime, lays
# everything out under build/bench-splash and runs it in a Wine prefix of its own, on a private X
# display when none is set. Prints medians in ms. Not part of the test run: the figures depend on
# the machine's load.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
runs=${1:-10}
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"; fi

. bench/common.sh
bench_build splash_bench
jre=$(tools/fetch-jre.sh)

out="$root/build/bench-splash"
rm -rf "$out/app" "$out/classes" "$out/results"
mkdir -p "$out/app/lib" "$out/classes" "$out/results"
javac --release 11 -d "$out/classes" bench/startup/StartupProbe.java
jar --create --file "$out/app/lib/startup.jar" -C "$out/classes" .
cp "$launcher_exe" "$out/app/Marlwick 64.exe"
cp demo/splash.gif "$out/app/splash.gif"
convert demo/splash.gif "$out/app/splash.png"

write_ini() {  # prefer-native value
  printf '[Java Runtime Environment]\r\nMain Class=StartupProbe\r\nJRE Path=%s\r\n[Class Path]\r\nClass Path=\\lib\\*.jar\r\n[Display]\r\nSplash Screen=%s\r\nPreffer Native Splash Screen=%s\r\n' \
    "$(win "$jre")" "$2" "$1" >"$out/app/Marlwick 64.ini"
}

bench_enter_prefix "$out"

run() {  # name
  (cd "$out/app" && timeout 120 "$MARLWICK_WINE_LOADER" "$root/build/win64/bench/splash_bench.exe" \
     "$(win "$out/app/Marlwick 64.exe")" "$(win "$out/results/$1.main")" </dev/null 2>/dev/null 9>&-) \
    | tr -d '\r' >>"$out/results/$1.splash"
}

echo "Warming up..." >&2
write_ini no splash.gif; run warmup; run warmup
echo "$runs runs each of the own window, the native splash and no splash, alternating..." >&2
for _ in $(seq 1 "$runs"); do
  write_ini no splash.gif; run own
  write_ini yes splash.png; run native
  write_ini no ""; run none
done

python3 - "$out/results" "$runs" <<'PY'
import statistics, sys
folder, runs = sys.argv[1], int(sys.argv[2])
def values(path, column=0):
    with open(path) as f:
        return [int(line.split()[column]) / 1000.0 for line in f if line.strip() and line.split()[0] != "none"]
print(f"Process start to splash visible and to main, medians of {runs} runs each, under Wine:")
for label, name in (("own splash window (GIF)", "own"), ("native splash, splashscreen.dll (PNG)", "native"),
                    ("no splash", "none")):
    splash, main = values(f"{folder}/{name}.splash"), values(f"{folder}/{name}.main")
    shown = f"splash {statistics.median(splash):7.1f} ms (min {min(splash):6.1f})" if splash else f"{'no splash':>31}"
    print(f"  {label:<40} {shown}   main {statistics.median(main):7.1f} ms (min {min(main):7.1f})")
PY
