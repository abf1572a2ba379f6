#!/usr/bin/env bash
# The launcher's own work before it loads the JVM library, read from the launch trace
# (MARLWICK_TRACE) under Wine, for two starts:
#
#   demo      the demo application (demo/), its runtime in jre64\ beside the launcher
#   registry  no "JRE Path" and no local runtime: the registry holds 500 versions under the two
#             classic Sun keys (250 each, every one with a library file; the default "VM Provider"
#             reads no other classic key, and one that reads the IBM key would park the main
#             thread) and the real runtime under Software\JavaSoft\JDK, which the search picks
#             as the newest
#
#   bench/trace/run.sh [runs, default 10]
#
# With MARLWICK_BENCH_BASELINE naming another build of the launcher, that build's demo start runs
# in the same alternation (as "demo-base"), for a before and after under the same load.
#
# Prints, as medians over the runs, the times from the trace's phases: process start to the
# launcher's first line, first line to "settings read", to "JRE found" and to "loading the JVM
# library". Runs in a Wine prefix of its own under build/bench-trace. Not part of the test run.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
runs=${1:-10}
[ "$runs" -ge 1 ] || { echo "usage: $0 [runs]" >&2; exit 2; }

. bench/common.sh
bench_build
jre=$(tools/fetch-jre.sh)

out="$root/build/bench-trace"
rm -rf "$out/demo" "$out/demo-base" "$out/registry" "$out/homes" "$out/traces" "$out/classes"
mkdir -p "$out/demo/lib" "$out/registry/lib" "$out/homes" "$out/traces" "$out/classes"
javac --release 11 -d "$out/classes" demo/src/com/example/demo/DemoApp.java
jar --create --file "$out/demo/lib/demo.jar" -C "$out/classes" .
cp "$out/demo/lib/demo.jar" "$out/registry/lib/demo.jar"
cp "$launcher_exe" "$out/demo/Marlwick 64.exe"
cp "demo/Marlwick 64.ini" demo/splash.gif "$out/demo/"
ln -s "$jre" "$out/demo/jre64"
baseline=${MARLWICK_BENCH_BASELINE:-}
if [ -n "$baseline" ]; then
  cp -r "$out/demo" "$out/demo-base"
  cp "$baseline" "$out/demo-base/Marlwick 64.exe"
fi
cp "$launcher_exe" "$out/registry/Marlwick 64.exe"
printf '[Java Runtime Environment]\r\nMain Class=com.example.demo.DemoApp\r\nMaximum Version=any\r\n[Class Path]\r\nClass Path=\\lib\\*.jar\r\n' \
  >"$out/registry/Marlwick 64.ini"

# 500 homes with a library file each, and the registry file that names them and the real runtime.
python3 - "$out/homes" "$(win "$out/homes")" "$(win "$jre")" "$out/registry.reg" <<'PY'
import os, sys
homes, homes_win, jre_win, reg = sys.argv[1:5]
vendors = [("JavaSoft", "Java Development Kit", True), ("JavaSoft", "Java Runtime Environment", False)]
subs = ["client", "classic", "hotspot", "server", "jrockit"]
lines = ["Windows Registry Editor Version 5.00", ""]
n = 0
for vendor, key, jdk in vendors:
    for i in range(250):
        home = f"jre{n}"
        lib = os.path.join(homes, home, *(["jre"] if jdk else []), "bin", subs[n % 5])
        os.makedirs(lib, exist_ok=True)
        open(os.path.join(lib, "jvm.dll"), "w").close()
        lines += [f"[HKEY_LOCAL_MACHINE\\Software\\{vendor}\\{key}\\1.{5 + i % 5}.0_{i}]",
                  '"JavaHome"="' + (homes_win + "\\" + home).replace("\\", "\\\\") + '"', ""]
        n += 1
lines += ["[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\JDK\\25]", '"JavaHome"="' + jre_win.replace("\\", "\\\\") + '"', ""]
open(reg, "w", encoding="utf-16").write("\r\n".join(lines))
PY

bench_enter_prefix "$out"
"$MARLWICK_WINE_LOADER" regedit /S "$(win "$out/registry.reg")" </dev/null >/dev/null 2>&1 9>&-

start() {  # name folder
  (cd "$2" && MARLWICK_TRACE="$(win "$out/traces/$1-$3.txt")" timeout 120 "$MARLWICK_WINE_LOADER" \
     "$2/Marlwick 64.exe" -nosplash </dev/null >/dev/null 2>&1 9>&-) || { echo "start $1 failed" >&2; exit 1; }
}
echo "Warming up..." >&2
start warmup "$out/demo" 0
start warmup "$out/registry" 0
[ -z "$baseline" ] || start warmup "$out/demo-base" 0
echo "$runs starts each, alternating..." >&2
for i in $(seq 1 "$runs"); do
  start demo "$out/demo" "$i"
  [ -z "$baseline" ] || start demo-base "$out/demo-base" "$i"
  start registry "$out/registry" "$i"
done

python3 - "$out/traces" "$runs" "$baseline" <<'PY'
import re, statistics, sys
folder, runs, baseline = sys.argv[1], int(sys.argv[2]), sys.argv[3]
def phases(path):
    times = {}
    for line in open(path, encoding="utf-8"):
        m = re.match(r"\s*([\d.]+) ms  (.*)", line)
        if not m: continue
        t, text = float(m.group(1)), m.group(2).rstrip()
        if "first" not in times: times["first"] = t
        for name in ("settings read", "JRE found", "loading the JVM library", "VM created", "main called"):
            if text == "phase " + name: times[name] = t
        if text.startswith("jre: candidate") and text.endswith("admitted"):
            times["admitted"] = times.get("admitted", 0) + 1
    return times
print(f"Launcher's own work before LoadLibrary of the JVM library, medians of {runs} starts (ms):")
print(f"  {'start':<10}{'to entry':>10}{'settings':>10}{'JRE found':>11}{'LoadLibrary':>13}{'  (entry to LoadLibrary)':>26}")
for name in ("demo", "registry") + (("demo-base",) if baseline else ()):
    all_ = [phases(f"{folder}/{name}-{i}.txt") for i in range(1, runs + 1)]
    med = lambda key: statistics.median(p[key] for p in all_)
    own = statistics.median(p["loading the JVM library"] - p["first"] for p in all_)
    extra = f", {all_[0].get('admitted', 0)} candidates admitted" if name == "registry" else ""
    print(f"  {name:<10}{med('first'):>10.1f}{med('settings read'):>10.1f}{med('JRE found'):>11.1f}"
          f"{med('loading the JVM library'):>13.1f}{own:>20.1f} ms{extra}")
PY
