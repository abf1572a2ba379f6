#!/usr/bin/env bash
# Start-up benchmark under Wine: the time from process creation to the first line of main, as the
# Java program itself measures it (StartupProbe.java: the process's start instant against the
# clock at main), for the launcher, its console build and the same runtime's own bin\java.exe and
# bin\javaw.exe running the same class with the same class path, alternating.
# Then the class path expansion of a folder with 10,000 jar files: the launcher with \lib\*.jar
# over 10,000 empty *.jar files against the same start with one jar, and java.exe with its own
# wildcard (-cp lib\*) over the same folder.
#
#   bench/startup/run.sh [runs per variant, default 15] [runs with 10,000 jars, default 5]
#
# With MARLWICK_BENCH_BASELINE naming another build of the launcher (an earlier commit's), that
# build runs in the same alternation and its figures and ratio are printed too: a before and
# after measured side by side, under the same load.
#
# Builds the launcher (preset win64), fetches the runtime (tools/fetch-jre.sh), lays everything out
# under build/bench-startup and runs it in a Wine prefix of its own. Prints medians in ms, each
# split at the moment HotSpot records its core initialisation (RuntimeMXBean start time): what
# the host program and the VM's early start-up took, and the module system, class path set-up
# and main class loading after it. For the 10,000-jar runs it also prints how many class path
# entries reached the VM. Not part of the test run: the figures depend on the machine's load.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
runs=${1:-15}
many_runs=${2:-5}
[ "$runs" -ge 1 ] && [ "$many_runs" -ge 1 ] || { echo "usage: $0 [runs] [runs with 10,000 jars]" >&2; exit 2; }

. bench/common.sh
bench_build marlwick_console  # or $MARLWICK_BENCH_LAUNCHER, another build of the launcher to measure
console_exe="$(dirname "$launcher_exe")/Marlwick 64 Console.exe"
jre=$(tools/fetch-jre.sh)

out="$root/build/bench-startup"
app="$out/app"
many="$out/app-10k"
rm -rf "$app" "$many" "$out/classes" "$out/results"
mkdir -p "$app/lib" "$many/lib" "$out/classes" "$out/results"
javac --release 11 -d "$out/classes" bench/startup/StartupProbe.java
jar --create --file "$app/lib/startup.jar" -C "$out/classes" .
cp "$app/lib/startup.jar" "$many/startup.jar"
cp "$launcher_exe" "$app/Marlwick 64.exe"
cp "$console_exe" "$app/Marlwick 64 Console.exe"
cp "$launcher_exe" "$many/Marlwick 64.exe"
# 10,000 empty files: the class is found in the first entry, so the runtime never opens them.
python3 -c 'import sys
for i in range(10000): open("%s/lib/j%05d.jar" % (sys.argv[1], i), "w").close()' "$many"

jre_win=$(win "$jre")
write_ini() {  # folder, class path
  printf '[Java Runtime Environment]\r\nMain Class=StartupProbe\r\nJRE Path=%s\r\n[Class Path]\r\nClass Path=%s\r\n' \
    "$jre_win" "$2" >"$1/Marlwick 64.ini"
}
write_ini "$app" '\lib\*.jar'
cp "$app/Marlwick 64.ini" "$app/Marlwick 64 Console.ini"
baseline=${MARLWICK_BENCH_BASELINE:-}
base="$out/app-baseline"
rm -rf "$base"
if [ -n "$baseline" ]; then
  mkdir -p "$base/lib"
  cp "$app/lib/startup.jar" "$base/lib/"
  cp "$baseline" "$base/Marlwick 64.exe"
  write_ini "$base" '\lib\*.jar'
fi
write_ini "$many" '\startup.jar;\lib\*.jar'
# java.exe gets the class path text that the launcher builds.
app_cp="$(win "$app")\\lib\\startup.jar;"

bench_enter_prefix "$out"
run() { bench_run "$out/results" 120 "$@"; }  # <name> <folder> <program> [arguments...]
launcher() { run "$1" "$2" "$2/Marlwick 64.exe"; }
console() { run console "$app" "$app/Marlwick 64 Console.exe"; }
java_exe() { run "$1" "$app" "$jre/bin/$2" -cp "$3" StartupProbe; }

echo "Warming up (the first start in a fresh prefix takes about 10 s)..." >&2
for _ in 1 2; do
  launcher warmup "$app"
  run warmup "$app" "$app/Marlwick 64 Console.exe"
  [ -z "$baseline" ] || launcher warmup "$base"
  java_exe warmup java.exe "$app_cp"
  java_exe warmup javaw.exe "$app_cp"
done

echo "Start to main: $runs runs each of the launcher, its console build, java.exe and javaw.exe, alternating..." >&2
for i in $(seq 1 "$runs"); do
  if [ $((i % 2)) -eq 1 ]; then
    launcher launcher "$app"; console; java_exe java java.exe "$app_cp"; java_exe javaw javaw.exe "$app_cp"
    [ -z "$baseline" ] || launcher baseline "$base"
  else
    [ -z "$baseline" ] || launcher baseline "$base"
    java_exe javaw javaw.exe "$app_cp"; java_exe java java.exe "$app_cp"; console; launcher launcher "$app"
  fi
done

echo "Class path of 10,000 jars: $many_runs runs each, alternating..." >&2
launcher warmup "$many"
java_exe warmup java.exe "$(win "$many")\\startup.jar;$(win "$many")\\lib\\*"
for i in $(seq 1 "$many_runs"); do
  launcher one-jar "$app"
  launcher many-jars "$many"
  java_exe java-many-jars java.exe "$(win "$many")\\startup.jar;$(win "$many")\\lib\\*"
done

python3 - "$out/results" "$runs" "$many_runs" "$baseline" <<'EOF'
import statistics, sys
folder, runs, many_runs, baseline = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
def read(name, column, suffix=".us", scale=1000.0):
    with open(f"{folder}/{name}{suffix}") as f:
        return [int(line.split()[column]) / scale for line in f if line.strip()]
def line(label, name, show_entries=False):
    main, before, wall = read(name, 0), read(name, 1), read(name, 0, ".wall.us")
    m, b = statistics.median(main), statistics.median(before)
    entries = f"  [{int(read(name, 2, scale=1)[0])} class path entries reached the VM]" if show_entries else ""
    print(f"  {label:<42} {m:7.1f} ms  (min {min(main):6.1f}, max {max(main):6.1f})"
          f"  = {b:6.1f} to VM init + {statistics.median([x - y for x, y in zip(main, before)]):6.1f} to main"
          f"   whole run {statistics.median(wall):7.1f} ms{entries}")
    return m, b
print(f"Process start to the first line of main, medians of {runs} runs each, under Wine:")
launcher = line("Marlwick 64.exe", "launcher")
console = line("Marlwick 64 Console.exe", "console")
java = line("bin\\java.exe", "java")
javaw = line("bin\\javaw.exe", "javaw")
print(f"  ratio launcher / java.exe  = {launcher[0] / java[0]:.3f}   (goal: at most 1.05)")
print(f"  ratio launcher / javaw.exe = {launcher[0] / javaw[0]:.3f}")
print(f"  ratio console build / java.exe = {console[0] / java[0]:.3f}")
if baseline:
    base = line("baseline launcher", "baseline")
    print(f"  ratio baseline / java.exe  = {base[0] / java[0]:.3f}")
print(f"Class path expansion, medians of {many_runs} runs each:")
one = line("Marlwick 64.exe, \\lib\\*.jar = 1 jar", "one-jar", True)
many = line("Marlwick 64.exe, \\startup.jar;\\lib\\*.jar, 10,001", "many-jars", True)
jmany = line("java.exe -cp startup.jar;lib\\* (10,001)", "java-many-jars", True)
print(f"  10,000 more jars cost the launcher {many[0] - one[0]:.1f} ms to main; its own search and"
      f" option building lie in the {many[1] - one[1]:.1f} ms more to VM init")
EOF
