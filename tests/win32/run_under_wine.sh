#!/usr/bin/env bash
# Runs one in-process test executable under wine64 on a private virtual screen.
#   run_under_wine.sh TEST.exe
set -u
exe="$1"
export TARVIK_XVFB=1
here="$(cd "$(dirname "$0")" && pwd)"
[ -f "$exe" ] || { echo "run_under_wine: $exe is not built" >&2; exit 2; }
exec "$here/../../tools/with-wine-display.sh" sh -c '"$TARVIK_WINE" "$1"' sh "$exe"
