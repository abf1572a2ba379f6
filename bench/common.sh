# Shared by the benchmark scripts (sourced from the repository's root): the launcher to measure,
# Windows paths, a Wine prefix of the benchmark's own, and one timed start.

# Sets launcher_exe: $MARLWICK_BENCH_LAUNCHER (another build to measure; then nothing is built),
# else the win64 preset's launcher, built with any further targets named.
bench_build() {
  launcher_exe=${MARLWICK_BENCH_LAUNCHER:-}
  if [ -n "$launcher_exe" ] && [ $# -eq 0 ]; then return 0; fi
  cmake --preset win64 >/dev/null
  cmake --build --preset win64 --target marlwick "$@" >/dev/null
  [ -n "$launcher_exe" ] || launcher_exe="build/win64/Marlwick 64.exe"
}

# A Linux path as Wine's Z: drive shows it.
win() { echo "Z:$1" | tr / '\\'; }

# Enters the prefix <folder>/wineprefix, made on first use, and keeps its wineserver running until
# the script ends, so that no start pays for bringing it up.
bench_enter_prefix() {
  export MARLWICK_WINEPREFIX="$1/wineprefix"
  . tests/wine/wine-env.sh
  marlwick_resolve_prefix ""
  marlwick_wine_environment
  marlwick_enter_prefix
  "$WINESERVER" -p 9>&-
  trap '"$WINESERVER" -k 2>/dev/null || true' EXIT
}

# bench_run <results folder> <time limit> <name> <folder> <program> [arguments...]: one start in
# <folder>; the program is given the Windows path of <results>/<name>.us to append its own figure
# to, and the wall time of the whole run goes to <results>/<name>.wall.us.
bench_run() {
  local results=$1 limit=$2 name=$3 folder=$4 start end
  shift 4
  start=$(date +%s%N)
  (cd "$folder" && timeout "$limit" "$MARLWICK_WINE_LOADER" "$@" "$(win "$results/$name.us")" \
     </dev/null >/dev/null 2>&1 9>&-) || { echo "run $name failed: $*" >&2; exit 1; }
  end=$(date +%s%N)
  echo $(((end - start) / 1000)) >>"$results/$name.wall.us"
}
