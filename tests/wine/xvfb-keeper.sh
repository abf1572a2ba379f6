#!/usr/bin/env bash
# Keeps a private X server for one Wine prefix while test programs run in it (started by run.sh,
# detached). Once no run.sh has held <prefix>.users for a few seconds it ends every Wine process
# left in the prefix (a program that a timed-out test left behind, the desktop process that draws
# on this X server) and then the X server itself.
set -u
prefix=$1
idle_limit=${MARLWICK_XVFB_IDLE_SECONDS:-3}

# Own open file descriptions: locks taken here are not shared with the run.sh that started us.
exec 8>>"$prefix.lock" 9>>"$prefix.users"

displayfile=$(mktemp)
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$displayfile" </dev/null >/dev/null 2>&1 &
xpid=$!
display=
for _ in $(seq 1 200); do
  display=$(tr -dc 0-9 <"$displayfile")
  [ -n "$display" ] && break
  kill -0 "$xpid" 2>/dev/null || break
  sleep 0.05
done
rm -f "$displayfile"
if [ -z "$display" ]; then
  kill "$xpid" 2>/dev/null
  exit 1
fi
echo "$display $xpid $$" >"$prefix.display.$$"
mv -f "$prefix.display.$$" "$prefix.display"

idle=0
while sleep 1; do
  if ! kill -0 "$xpid" 2>/dev/null; then
    flock -x 8
    rm -f "$prefix.display"
    exit 1
  fi
  flock -x 8
  if flock -x -n 9; then
    idle=$((idle + 1))
    if [ "$idle" -ge "$idle_limit" ]; then
      # Still holding both locks: no run.sh can start until the prefix is quiet again.
      rm -f "$prefix.display"
      WINEPREFIX=$prefix timeout 30 "${WINESERVER:-/usr/lib/wine/wineserver}" -k 2>/dev/null
      kill "$xpid" 2>/dev/null
      wait "$xpid" 2>/dev/null
      exit 0
    fi
    flock -u 9
  else
    idle=0
  fi
  flock -u 8
done
