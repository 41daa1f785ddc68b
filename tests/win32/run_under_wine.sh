#!/usr/bin/env bash
# Runs one in-process test executable under wine64 on a private virtual screen.
#   run_under_wine.sh TEST.exe WINEPREFIX
# The prefix is the tests' own: there is no window manager on the virtual screen, so Wine's
# X11 driver is told to place, maximize and minimize the windows itself (Managed = N), as
# Windows does; with a manager-less screen and managed windows a maximize would not stick.
set -u
exe="$1"
export WINEPREFIX="$2"
export TARVIK_XVFB=1
here="$(cd "$(dirname "$0")" && pwd)"
[ -f "$exe" ] || { echo "run_under_wine: $exe is not built" >&2; exit 2; }
exec "$here/../../tools/with-wine-display.sh" sh -c '
  "$TARVIK_WINE" reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
  wineserver -w
  "$TARVIK_WINE" "$1"' sh "$exe"
