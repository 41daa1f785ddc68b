#!/usr/bin/env bash
# Runs the native program, tarvik: on the user's display if there is one, otherwise on a private
# virtual desktop (Xvfb, openbox, tint2), where it takes a screenshot, closes the window with its
# own close button and says where the picture is.
set -uo pipefail
build="$1"
root="$(cd "$(dirname "$0")/.." && pwd)"
exe="$build/host/backends/gtk/tarvik"
if [ ! -x "$exe" ]; then
  echo "Tarvik: $exe has not been built (is libgtk-3-dev installed?)" >&2
  exit 1
fi

if [ -n "${DISPLAY:-}" ]; then
  echo "Tarvik: starting $exe on $DISPLAY"
  exec "$exe"
fi

out="$root/out"
mkdir -p "$out"
"$root/tools/with-desktop.sh" bash -c '
  "$1" &
  pid=$!
  window=$(timeout 30 xdotool search --sync --onlyvisible --name "^Lumenta$" | head -n 1)
  if [ -z "$window" ]; then echo "Tarvik: the window did not appear" >&2; kill $pid; exit 1; fi
  sleep 1  # let the first frame reach the screen
  import -window root "png:$2"
  # Close it as a user would: its close button lies 31 pixels left of the right edge, 8 down.
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + WIDTH - 31 + 8)) $((Y + 8 + 8)) click 1
  for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill $pid 2>/dev/null
  wait $pid
  status=$?
  echo "Tarvik: ran $1 on a virtual desktop ($DISPLAY); the screenshot is $2; exit status $status"
' _ "$exe" "$out/tarvik.png"
