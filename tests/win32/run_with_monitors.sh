#!/usr/bin/env bash
# Runs an in-process test under wine64 on a 2048 x 768 virtual screen that Wine sees as two
# monitors: its XRandR use is off (in a prefix of its own), so it reads the monitor list from
# Xinerama, whose library is a preloaded stand-in (Wine opens libXinerama.so.1 by name and gets
# the one loaded, in every Wine process).
#   run_with_monitors.sh TEST.exe STANDIN_DIR
set -u
[ -f "$1" ] || { echo "run_with_monitors: $1 is not built" >&2; exit 2; }
export LD_PRELOAD="$(cd "$2" && pwd)/libXinerama.so.1" TARVIK_SCREEN=2048x768x24 TARVIK_XVFB=1
export WINEPREFIX="${HOME:-/root}/.cache/tarvik-wine64-monitors"
exec "$(dirname "$0")/../../tools/with-wine-display.sh" sh -c '
  "$TARVIK_WINE" reg add "HKCU\\Software\\Wine\\X11 Driver" /v UseXRandR /d N /f >/dev/null 2>&1 && wineserver -w
  "$TARVIK_WINE" "$1"' sh "$1"
