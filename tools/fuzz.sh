#!/usr/bin/env bash
# Runs every libFuzzer harness (tests/fuzz) for longer than the test run does:
#
#   tools/fuzz.sh [seconds per harness, default 300] [harness names...]
#
# The harnesses are built by the host preset (with clang, in build/host/fuzz). New inputs that
# reach new code are kept in build/host/fuzz/found/<name>; a crash leaves its input in
# build/host/fuzz/ and the script ends with status 1. To keep new seeds, merge them:
#   build/host/fuzz/tests/fuzz/fuzz_<name> -merge=1 tests/fuzz/corpus/<name> build/host/fuzz/found/<name>
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
shift || true
if ! command -v clang++ >/dev/null 2>&1; then tools/install-deps.sh; fi
cmake --preset host >/dev/null
cmake --build --preset host --target marlwick_fuzzers
harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
  harnesses=($(sed -n 's/^set(MARLWICK_FUZZ_HARNESSES//p; s/^    \([A-Za-z ]*\))$/\1/p' tests/fuzz/Harnesses.cmake | tr -d ')'))
fi
fuzz=build/host/fuzz
status=0
for name in "${harnesses[@]}"; do
  mkdir -p "$fuzz/found/$name"
  echo "== $name: ${seconds} s"
  log="$fuzz/$name.log"
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$fuzz/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$fuzz/" -print_final_stats=1 "$fuzz/found/$name" "tests/fuzz/corpus/$name" >"$log" 2>&1; then
    status=1
  fi
  grep -E "^stat::number_of_executed_units|^stat::new_units_added|ERROR|does not hold|SUMMARY" "$log" || true
done
exit $status
