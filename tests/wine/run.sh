#!/usr/bin/env bash
# Runs a Windows program under 64-bit Wine in the test run's private prefix and returns its exit
# status (Wine passes on the low 8 bits of the Windows exit code).
#
#   tests/wine/run.sh <program.exe> [arguments...]
#
# The prefix (see wine-env.sh): $MARLWICK_WINEPREFIX, else $MARLWICK_BUILD_DIR/wineprefix, else
# wineprefix in the build folder above the program. It is created on first use, under a lock, so
# parallel tests may share it. Without $DISPLAY the program gets a private Xvfb shared by all runs
# in the same prefix. The environment is passed on as it is, LANG included.
#
# A test of the 32-bit launcher sets MARLWICK_NEEDS_X86 (see marlwick_check_x86 in wine-env.sh).
# Also: MARLWICK_WINEDEBUG (default -all), MARLWICK_WINE_VERBOSE=1 (prints the prefix and timings).
set -u
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

[ $# -ge 1 ] || marlwick_die "usage: run.sh <program.exe> [arguments...]"
[ -x "$MARLWICK_WINE_LOADER" ] || marlwick_die "no Wine loader at $MARLWICK_WINE_LOADER"
marlwick_resolve_prefix "$1"
marlwick_wine_environment
mkdir -p "$(dirname "$WINEPREFIX")"

marlwick_enter_prefix
# 77: CTest reports the test as skipped (SKIP_RETURN_CODE of marlwick_add_wine_test_per_arch).
if [ -n "${MARLWICK_NEEDS_X86:-}" ]; then marlwick_check_x86 || exit 77; fi

[ -n "${MARLWICK_WINE_VERBOSE:-}" ] && echo "tests/wine: WINEPREFIX=$WINEPREFIX DISPLAY=$DISPLAY LANG=${LANG:-}" >&2
# The program writes to a file that is copied to our output while it runs, not to our output
# itself: the first Windows program in a prefix starts wineserver and Wine's system processes
# (services.exe, explorer.exe, ...), which keep the descriptors they inherit for as long as the
# prefix is in use. Had they inherited our output, a pipe to CTest, CTest would wait for them.
log=$(mktemp "${TMPDIR:-/tmp}/marlwick-wine-run.XXXXXX") || marlwick_die "no temporary file"
trap 'rm -f "$log"' EXIT
# In the background so that a TERM (ctest's or timeout's time limit) reaches the program too.
exec 7<&0
"$MARLWICK_WINE_LOADER" "$@" 0<&7 7<&- 9>&- >"$log" 2>&1 &
program=$!
tail -s 0.1 -n +1 -f --pid="$program" "$log" 0</dev/null 7<&- 9>&- &
copier=$!
trap 'kill -TERM "$program" 2>/dev/null' TERM INT HUP
status=0
wait "$program" || status=$?
while kill -0 "$program" 2>/dev/null; do wait "$program" || status=$?; done
wait "$copier"
exit "$status"
