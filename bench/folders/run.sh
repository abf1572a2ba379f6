#!/usr/bin/env bash
# The search for Java outside the registry, read from the launch trace (MARLWICK_TRACE) under
# Wine: 300 runtime folders under the usual install folders of the benchmark's own Wine prefix
# (Program Files\Java, \Eclipse Adoptium, \Microsoft\jdk-*, the user's scoop\apps\*\current),
# each with a release file, bin\java.dll and bin\server\jvm.dll, and the real Java 25 runtime as
# Program Files\Java\jdk-25, the newest, which the search picks. No registry key names any of them.
#
#   bench/folders/run.sh [runs, default 10]
#
# Prints, as medians over the runs (and the best run, the figure least disturbed by other work on
# the machine): the folder search itself (from the end of the registry search
# to the pick, the trace's ~320 lines of it included) and the launcher's entry to "JRE found".
# Goal: the folder search under 50 ms. Not part of the test run.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
runs=${1:-10}
[ "$runs" -ge 1 ] || { echo "usage: $0 [runs]" >&2; exit 2; }

. bench/common.sh
bench_build
jre=$(tools/fetch-jre.sh)

out="$root/build/bench-folders"
rm -rf "$out/app" "$out/traces" "$out/classes"
mkdir -p "$out/app/lib" "$out/traces" "$out/classes"
javac --release 11 -d "$out/classes" demo/src/com/example/demo/DemoApp.java
jar --create --file "$out/app/lib/demo.jar" -C "$out/classes" .
cp "$launcher_exe" "$out/app/Marlwick 64.exe"
printf '[Java Runtime Environment]\r\nMain Class=com.example.demo.DemoApp\r\nMaximum Version=any\r\n[Class Path]\r\nClass Path=\\lib\\*.jar\r\n' \
  >"$out/app/Marlwick 64.ini"

bench_enter_prefix "$out"
drive_c="$WINEPREFIX/drive_c"
user_folder=$(find "$drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)
pf="$drive_c/Program Files"
rm -rf "$pf/Java" "$pf/Eclipse Adoptium" "$pf/Microsoft"/jdk-* "$user_folder/scoop"
python3 - "$pf" "$user_folder" <<'PY'
import os, sys
pf, user = sys.argv[1:3]
places = [(os.path.join(pf, "Java"), "jdk-{v}", ""), (os.path.join(pf, "Eclipse Adoptium"), "jdk-{v}-hotspot", ""),
          (os.path.join(pf, "Microsoft"), "jdk-{v}-hotspot", ""),
          (os.path.join(user, "scoop", "apps"), "openjdk{n}", "current")]
for n in range(300):
    folder, pattern, below = places[n % 4]
    version = f"{11 + n % 11}.0.{n}"
    home = os.path.join(folder, pattern.format(v=version, n=n), below)
    os.makedirs(os.path.join(home, "bin", "server"), exist_ok=True)
    for name in ("bin/java.dll", "bin/server/jvm.dll"):
        open(os.path.join(home, name), "w").close()
    with open(os.path.join(home, "release"), "w") as f:
        f.write(f'IMPLEMENTOR="Bench"\nJAVA_VERSION="{version}"\nJVM_VARIANT="Hotspot"\n')
PY
ln -s "$jre" "$pf/Java/jdk-25"

start() {  # run number
  (cd "$out/app" && env -u JAVA_HOME MARLWICK_TRACE="$(win "$out/traces/$1.txt")" timeout 120 \
     "$MARLWICK_WINE_LOADER" "$out/app/Marlwick 64.exe" -nosplash </dev/null >/dev/null 2>&1 9>&-) ||
    { echo "start $1 failed" >&2; exit 1; }
}
echo "Warming up..." >&2
start 0
echo "$runs starts..." >&2
for i in $(seq 1 "$runs"); do start "$i"; done

python3 - "$out/traces" "$runs" <<'PY'
import re, statistics, sys
folder, runs = sys.argv[1], int(sys.argv[2])
def times(path):
    t = {}
    for line in open(path, encoding="utf-8"):
        m = re.match(r"\s*([\d.]+) ms  (.*)", line)
        if not m: continue
        at, text = float(m.group(1)), m.group(2)
        t.setdefault("first", at)
        if text.startswith("jre: other registry view not searched"): t["registry done"] = at
        if text.startswith("jre: picked") and "outside the registry" in text: t["picked"] = at; t["line"] = text
        if text == "phase JRE found": t["JRE found"] = at
        if text.startswith("jre: candidate "): t["candidates"] = t.get("candidates", 0) + 1
    return t
all_ = [times(f"{folder}/{i}.txt") for i in range(1, runs + 1)]
search = statistics.median(t["picked"] - t["registry done"] for t in all_)
found = statistics.median(t["JRE found"] - t["first"] for t in all_)
print(f"{all_[0]['candidates']} candidates; {all_[0]['line']}")
best = min(t["picked"] - t["registry done"] for t in all_)
print(f"Medians of {runs} starts: folder search {search:.1f} ms (best {best:.1f} ms); "
      f"launcher entry to JRE found {found:.1f} ms")
PY
