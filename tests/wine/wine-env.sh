# Shared by run.sh and setup-prefix.sh (sourced, not run): finds the test run's Wine prefix,
# sets Wine's environment, creates the prefix once, and keeps one private X server per prefix.
#
# The prefix is, in this order:
#   1. $MARLWICK_WINEPREFIX
#   2. $MARLWICK_BUILD_DIR/wineprefix
#   3. <dir>/wineprefix for the nearest folder <dir> above the program that holds CMakeCache.txt
#      (the build folder the program was built in)
# Beside the prefix lie three small files: <prefix>.lock (held while the prefix is created and
# while the X server is set up), <prefix>.users (every running run.sh holds a shared lock on it)
# and <prefix>.display (the private X server's display number and process ids).

MARLWICK_WINE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
MARLWICK_WINE_LOADER=${MARLWICK_WINE_LOADER:-/usr/lib/wine/wine64}
MARLWICK_WINESERVER=${MARLWICK_WINESERVER:-/usr/lib/wine/wineserver}

marlwick_die() {
  echo "tests/wine: $*" >&2
  exit 125
}

# Sets WINEPREFIX from the conventions above; $1 is the program to be run (may be empty).
marlwick_resolve_prefix() {
  local program=${1:-} dir
  if [ -n "${MARLWICK_WINEPREFIX:-}" ]; then
    WINEPREFIX=$MARLWICK_WINEPREFIX
  elif [ -n "${MARLWICK_BUILD_DIR:-}" ]; then
    WINEPREFIX=$MARLWICK_BUILD_DIR/wineprefix
  else
    WINEPREFIX=
    if [ -n "$program" ] && [ -e "$program" ]; then
      dir=$(cd "$(dirname "$program")" && pwd)
      while [ "$dir" != / ]; do
        if [ -f "$dir/CMakeCache.txt" ]; then WINEPREFIX=$dir/wineprefix; break; fi
        dir=$(dirname "$dir")
      done
    fi
    [ -n "$WINEPREFIX" ] || marlwick_die "no Wine prefix: set MARLWICK_WINEPREFIX or MARLWICK_BUILD_DIR"
  fi
  case $WINEPREFIX in /*) ;; *) WINEPREFIX=$PWD/$WINEPREFIX ;; esac
  WINEPREFIX=${WINEPREFIX%/}
  export WINEPREFIX
}

marlwick_wine_environment() {
  export WINEDEBUG=${MARLWICK_WINEDEBUG:--all}
  # No Mono or Gecko install prompts, no menu entries or file associations in the user's home.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
  export WINELOADER=$MARLWICK_WINE_LOADER
  export WINESERVER=$MARLWICK_WINESERVER
}

# What the prefix is set up with; a prefix made with other settings is set up again.
MARLWICK_PREFIX_CONFIG="managed=N"

# Creates the prefix unless it is there; the caller holds <prefix>.lock.
marlwick_create_prefix_locked() {
  local ready=$WINEPREFIX/.marlwick-ready start=$SECONDS
  if [ -f "$ready" ] && [ "$(cat "$ready")" = "$MARLWICK_PREFIX_CONFIG" ]; then return 0; fi
  if [ ! -f "$ready" ]; then
    rm -rf "$WINEPREFIX"   # an earlier creation that did not finish
    mkdir -p "$(dirname "$WINEPREFIX")"
    # Without a display: wineboot needs none, and its helper processes must not hold on to an X server.
    env -u DISPLAY timeout 300 "$MARLWICK_WINE_LOADER" wineboot -i >/dev/null 2>&1 \
      || marlwick_die "wineboot -i failed for $WINEPREFIX"
  fi
  # Windows not managed by a window manager: with none running (Xvfb), Wine would otherwise wait
  # 2 s for the window manager each time a window is hidden, e.g. when a message box closes.
  env -u DISPLAY timeout 60 "$MARLWICK_WINE_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' \
    /v Managed /d N /f >/dev/null 2>&1 || marlwick_die "could not configure $WINEPREFIX"
  if [ ! -f "$ready" ]; then
    timeout 120 "$MARLWICK_WINESERVER" -w || marlwick_die "wineserver did not finish after wineboot"
  fi
  echo "$MARLWICK_PREFIX_CONFIG" >"$ready"
  if [ -n "${MARLWICK_WINE_VERBOSE:-}" ]; then
    echo "tests/wine: set up $WINEPREFIX in $((SECONDS - start)) s" >&2
  fi
  return 0
}

marlwick_create_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock -x 8
    marlwick_create_prefix_locked
  ) 8>>"$WINEPREFIX.lock"
}

# Prints the private X server's display (":N") if it and its keeper are alive.
marlwick_private_display() {
  local display xpid keeper
  [ -f "$WINEPREFIX.display" ] || return 1
  read -r display xpid keeper <"$WINEPREFIX.display" || return 1
  kill -0 "$xpid" 2>/dev/null && kill -0 "$keeper" 2>/dev/null && [ -e "/tmp/.X11-unix/X$display" ] || return 1
  echo ":$display"
}

# Makes sure a private X server runs for the prefix and prints its display; the caller holds
# <prefix>.lock and a shared lock on <prefix>.users.
marlwick_ensure_display_locked() {
  local display i
  if display=$(marlwick_private_display); then echo "$display"; return 0; fi
  rm -f "$WINEPREFIX.display"
  setsid bash "$MARLWICK_WINE_DIR/xvfb-keeper.sh" "$WINEPREFIX" </dev/null >/dev/null 2>&1 8>&- 9>&- &
  for i in $(seq 1 200); do
    if display=$(marlwick_private_display); then echo "$display"; return 0; fi
    sleep 0.05
  done
  return 1
}

# Registers the calling script as a user of $WINEPREFIX for as long as it runs (descriptor 9),
# creates the prefix on first use and, without $DISPLAY, points DISPLAY at the prefix's Xvfb.
marlwick_enter_prefix() {
  exec 9>>"$WINEPREFIX.users"
  flock -s 9
  exec 8>>"$WINEPREFIX.lock"
  flock -x 8
  marlwick_create_prefix_locked
  if [ -z "${DISPLAY:-}" ]; then
    DISPLAY=$(marlwick_ensure_display_locked) || marlwick_die "could not start Xvfb"
    export DISPLAY
  fi
  flock -u 8
  exec 8>&-
}

# For a test of the 32-bit launcher ($MARLWICK_NEEDS_X86 names it): prints why it cannot run here
# and fails when the 32-bit build is missing or Wine cannot run 32-bit programs in this prefix
# (wine32:i386 not installed). $MARLWICK_X86_PROBE, a 32-bit program that exits with 32 under WoW64,
# is run once per prefix; its success is remembered in <prefix>.x86.
marlwick_check_x86() {
  local loader=${MARLWICK_WINE_LOADER%64} status=0
  if [ ! -e "$MARLWICK_NEEDS_X86" ]; then
    echo "tests/wine: skipped: no 32-bit build ($MARLWICK_NEEDS_X86; build the win32 preset first)"
    return 1
  fi
  if [ ! -x "$loader" ]; then
    echo "tests/wine: skipped: no 32-bit Wine loader ($loader; tools/install-deps.sh installs wine32:i386)"
    return 1
  fi
  [ -f "$WINEPREFIX.x86" ] && return 0
  [ -n "${MARLWICK_X86_PROBE:-}" ] || return 0
  timeout 60 "$MARLWICK_WINE_LOADER" "$MARLWICK_X86_PROBE" </dev/null >/dev/null 2>&1 8>&- 9>&- || status=$?
  if [ "$status" -ne 32 ]; then
    echo "tests/wine: skipped: a 32-bit Windows program does not run in $WINEPREFIX (status $status)"
    return 1
  fi
  touch "$WINEPREFIX.x86"
}
