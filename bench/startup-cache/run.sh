#!/usr/bin/env bash
# Start-up cache benchmark under Wine: the time from process creation to the end of a desktop
# application's start-up work (StartupWork.java: XML, logging, streams and a Swing window built but
# not shown; several thousand classes), as the program itself measures it, for
#   - the runtime's own bin\java.exe,
#   - bin\java.exe with an ahead-of-time cache made by hand (-XX:AOTCache), for reference,
#   - the launcher without "Startup Cache",
#   - the launcher with "Startup Cache=yes" and its cache warm,
# alternating; then the first start with "Startup Cache=yes", which lists the classes for a cache
# that a background process assembles after it, against the launcher without the cache in whole-run
# (wall) time, each after the assembly of the one before has ended; and how long after the first
# start's end the cache was there.
#
#   bench/startup-cache/run.sh [runs per variant, default 11] [first starts, default 3]
#
# Builds the launcher (preset win64), fetches the runtime (tools/fetch-jre.sh, Java 25), lays
# everything out under build/bench-startup-cache and runs it in a Wine prefix of its own. Prints
# medians in ms and the ratios to java.exe, with the load average before and after: the figures
# depend on the machine's load. Not part of the test run.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
runs=${1:-11}
first_runs=${2:-3}
[ "$runs" -ge 1 ] && [ "$first_runs" -ge 1 ] || { echo "usage: $0 [runs] [first starts]" >&2; exit 2; }

. bench/common.sh
bench_build  # or $MARLWICK_BENCH_LAUNCHER, another build of the launcher to measure
jre=$(tools/fetch-jre.sh)

out="$root/build/bench-startup-cache"
rm -rf "$out/plain" "$out/cached" "$out/classes" "$out/results" "$out/java.aot"
mkdir -p "$out/plain/lib" "$out/cached/lib" "$out/classes" "$out/results"
javac --release 11 -d "$out/classes" bench/startup-cache/StartupWork.java
jar --create --file "$out/plain/lib/work.jar" -C "$out/classes" .
cp "$out/plain/lib/work.jar" "$out/cached/lib/work.jar"
cp "$launcher_exe" "$out/plain/Marlwick 64.exe"
cp "$launcher_exe" "$out/cached/Marlwick 64.exe"

jre_win=$(win "$jre")
write_ini() {  # folder, extra line
  printf '[Product Information]\r\nProduct Name=Marlwick Bench\r\nProduct Code={BENCH-CACHE}\r\n[Java Runtime Environment]\r\nMain Class=StartupWork\r\nJRE Path=%s\r\n%s[Class Path]\r\nClass Path=\\lib\\*.jar\r\n' \
    "$jre_win" "$2" >"$1/Marlwick 64.ini"
}
write_ini "$out/plain" ''
write_ini "$out/cached" $'Startup Cache=yes\r\n'
jar_win="$(win "$out/plain/lib/work.jar")"

bench_enter_prefix "$out"
cache_folder="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Marlwick Bench/{BENCH-CACHE}"

run() { bench_run "$out/results" 300 "$@"; }  # <name> <folder> <program> [arguments...]
launcher() { run "$1" "$out/$2" "$out/$2/Marlwick 64.exe"; }
java_exe() { local name=$1; shift; run "$name" "$out/plain" "$jre/bin/java.exe" "$@" -cp "$jar_win" StartupWork; }

# Waits until the cache is in place and no assembly file is left (at most 200 s); appends the time
# it waited to <results>/<name>.wall.us when a name is given.
wait_for_cache() {
  local start=$(date +%s%N) i
  for i in $(seq 1 2000); do
    if ls "$cache_folder"/*.aot >/dev/null 2>&1 && ! ls "$cache_folder"/*.tmp* >/dev/null 2>&1; then
      [ -z "${1:-}" ] || echo $((($(date +%s%N) - start) / 1000)) >>"$out/results/$1.wall.us"
      return 0
    fi
    sleep 0.1
  done
  echo "the launcher made no cache in $cache_folder" >&2; exit 1
}
echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
echo "Warming up; making java.exe's own cache and the launcher's..." >&2
java_exe warmup
java_exe warmup "-XX:AOTCacheOutput=$(win "$out/java.aot")"
launcher warmup plain
launcher warmup cached   # makes the launcher's cache
wait_for_cache
launcher warmup cached

echo "Start to end of start-up work: $runs runs of each, alternating..." >&2
for i in $(seq 1 "$runs"); do
  if [ $((i % 2)) -eq 1 ]; then
    java_exe java; java_exe java-aot "-XX:AOTCache=$(win "$out/java.aot")"; launcher plain plain; launcher cached cached
  else
    launcher cached cached; launcher plain plain; java_exe java-aot "-XX:AOTCache=$(win "$out/java.aot")"; java_exe java
  fi
done

echo "First starts that make the cache: $first_runs, each beside a start without it..." >&2
for _ in $(seq 1 "$first_runs"); do
  rm -f "$cache_folder"/*
  launcher first cached
  wait_for_cache assembly
  launcher plain-beside-first plain
done
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)" >&2

python3 - "$out/results" "$runs" "$first_runs" "$(cut -d' ' -f1-3 /proc/loadavg)" <<'EOF'
import statistics, sys
folder, runs, first_runs, load = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
def read(name, suffix=".us", column=0):
    with open(f"{folder}/{name}{suffix}") as f:
        return [int(line.split()[column]) / 1000.0 for line in f if line.strip()]
def line(label, name, base=None):
    work, wall = read(name), read(name, ".wall.us")
    classes = int(read(name, column=1)[0] * 1000)
    m = statistics.median(work)
    ratio = f"{m / base:6.3f}" if base else " 1.000"
    print(f"  {label:<40} {m:8.1f} ms  (min {min(work):7.1f}, max {max(work):7.1f})  ratio {ratio}"
          f"   whole run {statistics.median(wall):7.1f} ms   {classes} classes")
    return m
print(f"Process start to the end of the start-up work, medians of {runs} runs each, under Wine"
      f" (load average at the end: {load}):")
java = line("bin\\java.exe", "java")
line("bin\\java.exe -XX:AOTCache (by hand)", "java-aot", java)
line("Marlwick 64.exe without the cache", "plain", java)
cached = line("Marlwick 64.exe, Startup Cache warm", "cached", java)
print(f"  goal: the warm cache at most 0.75 x java.exe (stretch 0.6): {cached / java:.3f}")
first, plain = read("first", ".wall.us"), read("plain-beside-first", ".wall.us")
print(f"First start with Startup Cache=yes, whole run, medians of {first_runs}:"
      f" {statistics.median(first):.1f} ms against {statistics.median(plain):.1f} ms without the cache"
      f" ({statistics.median(first) / statistics.median(plain):.3f})")
try:
    assembly = read("assembly", ".wall.us")
    print(f"  the cache was in place {statistics.median(assembly):.1f} ms after the first start had ended (median)")
except FileNotFoundError:
    pass  # a launcher that makes its cache before it ends
EOF
