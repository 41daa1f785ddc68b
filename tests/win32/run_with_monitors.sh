#!/usr/bin/env bash
# Runs one in-process test executable under wine64 on a private virtual screen of 2048 x 768 that
# Wine sees as two monitors of 1024 x 768 side by side: Xvfb cannot lay out two monitors, so
# Wine's XRandR use is turned off (in a prefix of its own) and it reads the monitor list from
# Xinerama, whose library here is a stand-in naming the two. It is preloaded: Wine opens
# libXinerama.so.1 by name, which then finds the one already loaded, in every Wine process.
#   run_with_monitors.sh TEST.exe STANDIN_DIR
set -u
exe="$1"
export LD_PRELOAD="$(cd "$2" && pwd)/libXinerama.so.1${LD_PRELOAD:+:$LD_PRELOAD}"
export TARVIK_SCREEN=2048x768x24 TARVIK_XVFB=1
export WINEPREFIX="${HOME:-/root}/.cache/tarvik-wine64-monitors"
here="$(cd "$(dirname "$0")" && pwd)"
[ -f "$exe" ] || { echo "run_with_monitors: $exe is not built" >&2; exit 2; }
first=0
[ -f "$WINEPREFIX/system.reg" ] || first=1
# shellcheck disable=SC2016
exec "$here/../../tools/with-wine-display.sh" sh -c '
  [ "$2" = 1 ] && "$TARVIK_WINE" reg add "HKCU\\Software\\Wine\\X11 Driver" /v UseXRandR /d N /f >/dev/null 2>&1 && wineserver -w
  "$TARVIK_WINE" "$1"' sh "$exe" "$first"
