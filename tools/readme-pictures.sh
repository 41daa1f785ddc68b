#!/usr/bin/env bash
# Makes the README's pictures of the native window on a virtual desktop: at start, with the
# pointer resting on the maximize button (hover look and tooltip), and maximized.
#   tools/readme-pictures.sh build/host/backends/gtk/tarvik docs/images
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
exe="$(realpath "$1")"
dir="$(realpath -m "$2")"
mkdir -p "$dir"
"$root/tools/with-desktop.sh" bash -c '
  set -euo pipefail
  "$1" &
  pid=$!
  window=$(timeout 30 xdotool search --sync --onlyvisible --name "^Lumenta$" | head -n 1)
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$window")"
  margin=24
  crop="$((WIDTH + 2 * margin))x$((HEIGHT + 2 * margin + 30))+$((X - margin))+$((Y - margin))"
  import -window root -crop "$crop" +repage "$2/start.png"
  # Rest on the maximize button (52 pixels left of the right edge, 8 down) until the tooltip shows.
  xdotool mousemove $((X + WIDTH - 200)) $((Y + 100)) sleep 0.2 mousemove $((X + WIDTH - 52 + 8)) $((Y + 16))
  sleep 1.5
  import -window root -crop "$crop" +repage "$2/hover.png"
  xdotool click 1
  sleep 1
  xdotool mousemove 500 400
  sleep 0.5
  import -window root -resize 50% "$2/maximized.png"
  xdotool mousemove $((1024 - 31 + 8)) 16 click 1
  wait $pid
' _ "$exe" "$dir"
echo "readme-pictures: wrote $dir/start.png, hover.png, maximized.png"
