#!/usr/bin/env bash
# Runs a command with Wine ready on a display: the user's own if there is one (and
# TARVIK_XVFB is not 1), otherwise a private virtual screen of 1024 x 768 that is torn down after.
# TARVIK_WINE names the 64-bit Wine loader for the command to use:
#   tools/with-wine-display.sh sh -c '"$TARVIK_WINE" build/win64/Tarvik.exe'
set -uo pipefail

if [ -z "${TARVIK_WINE:-}" ]; then
  for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)"; do
    [ -n "$candidate" ] && [ -x "$candidate" ] && TARVIK_WINE="$candidate" && break
  done
fi
export TARVIK_WINE="${TARVIK_WINE:-wine64}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko install prompts: the program needs neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
screen="${TARVIK_SCREEN:-1024x768x24}"

xvfb_pid=""
cleanup() {
  # Our own screen goes away: end this prefix's Wine processes first so none is left talking to it.
  [ -n "$xvfb_pid" ] && wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ] || [ "${TARVIK_XVFB:-0}" = 1 ]; then
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    if [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n"
      break
    fi
    xvfb_pid=""
  done
  if [ -z "$xvfb_pid" ]; then
    echo "with-wine-display: could not start Xvfb" >&2
    exit 3
  fi
fi

# A virtual screen has no window manager: there Wine's X11 driver must place, maximize and
# minimize the windows itself (Managed = N), as Windows does, or a maximize would not stick.
# That prefix is kept apart from the one used on a real display.
if [ -n "$xvfb_pid" ]; then
  export WINEPREFIX="${WINEPREFIX:-${HOME:-/root}/.cache/tarvik-wine64-virtual}"
else
  export WINEPREFIX="${WINEPREFIX:-${HOME:-/root}/.cache/tarvik-wine64}"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$TARVIK_WINE" wineboot -i >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && "$TARVIK_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wineserver -w
fi

"$@"
status=$?
exit $status
