#!/usr/bin/env bash
# Runs the Windows program, Tarvik.exe, under Wine: on the user's display if there is one, otherwise on a virtual
# screen, where it takes a screenshot, closes the window and says where the picture is.
set -uo pipefail
build="$1"
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/out"
mkdir -p "$out"

# The shipping build is 32-bit. Where the kernel runs no 32-bit code (32-bit Wine fails, or runs
# only through qemu's emulation, which takes minutes to start), the 64-bit build of the same
# sources stands in.
exe="$build/win32/Tarvik.exe"
loader="wine"
if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] || ! { [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; }; then
  exe="$build/win64/Tarvik.exe"
  loader=""  # with-wine-display.sh supplies the 64-bit loader
fi
if [ ! -f "$exe" ]; then
  echo "Tarvik: no Windows build here; the simulated window instead:"
  printf 'start\nsnapshot %s\n' "$out/tarvik.png" | "$build/tools/tarvik-sim"
  echo "Tarvik: the window at its start size is in $out/tarvik.png"
  exit 0
fi

if [ -n "${DISPLAY:-}" ]; then
  echo "Tarvik: starting $exe on $DISPLAY"
  exec "$root/tools/with-wine-display.sh" sh -c "${loader:-\"\$TARVIK_WINE\"} \"$exe\""
fi

TARVIK_XVFB=1 "$root/tools/with-wine-display.sh" sh -c '
  "${0:-$TARVIK_WINE}" "$1" &
  pid=$!
  window=$(timeout 60 xdotool search --sync --name "^Lumenta$" | head -n 1)
  if [ -z "$window" ]; then echo "Tarvik: the window did not appear" >&2; kill $pid; exit 1; fi
  sleep 1  # let the first frame reach the screen
  import -window root "png:$2"
  # Close it as a user would: its close button sits at 266, 15 in the window.
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + 266)) $((Y + 15)) click 1
  for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill $pid 2>/dev/null
  wait $pid
  echo "Tarvik: ran $1 on a virtual screen; the screenshot is $2"
' "$loader" "$exe" "$out/tarvik-wine.png"
