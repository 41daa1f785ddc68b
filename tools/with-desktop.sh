#!/usr/bin/env bash
# Runs a command on a private virtual desktop: Xvfb (1024 x 768), the openbox window manager and
# a tint2 taskbar, all torn down after. The command finds the display in DISPLAY.
#   tools/with-desktop.sh build/host/gtk/tarvik
# TARVIK_DISPLAYS picks the display numbers to try (first-last, default 150-199).
set -uo pipefail

range="${TARVIK_DISPLAYS:-150-199}"
screen="${TARVIK_SCREEN:-1024x768x24}"
pids=()
cleanup() {
  for (( i=${#pids[@]}-1; i>=0; i-- )); do kill "${pids[$i]}" 2>/dev/null; wait "${pids[$i]}" 2>/dev/null; done
}
trap cleanup EXIT

display=""
for n in $(seq "${range%-*}" "${range#*-}"); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.1
  done
  # Ours only if the server's lock names our process: another run may have taken the number first.
  if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$xvfb" 2>/dev/null &&
     [ "$(tr -d ' \n' < "/tmp/.X$n-lock" 2>/dev/null)" = "$xvfb" ]; then
    pids+=("$xvfb")
    display=":$n"
    break
  fi
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
done
if [ -z "$display" ]; then
  echo "with-desktop: could not start Xvfb on any display in $range" >&2
  exit 3
fi
export DISPLAY="$display"
# The socket comes before the server takes connections; a loaded machine may take a while.
for _ in $(seq 1 300); do
  xprop -root _NET_WORKAREA >/dev/null 2>&1 && break
  sleep 0.1
done

# Window manager first, then the taskbar, which reserves its strip of the screen: the work area
# shrinks once it is up.
# Openbox gives up at once if it cannot connect: a few tries.
log="$(mktemp)"
wm=""
for _ in 1 2 3; do
  openbox --sm-disable >"$log" 2>&1 &
  openbox=$!
  for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && wm=1 && break
    kill -0 "$openbox" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$wm" ] && break
  kill "$openbox" 2>/dev/null
  wait "$openbox" 2>/dev/null
  sleep 1
done
if [ -z "$wm" ]; then
  echo "with-desktop: openbox did not come up on $display:" >&2
  cat "$log" >&2
  rm -f "$log"
  exit 3
fi
pids+=("$openbox")
rm -f "$log"
tint2 >/dev/null 2>&1 &
pids+=($!)
full="${screen%x*}"
for _ in $(seq 1 300); do
  area=$(xprop -root _NET_WORKAREA 2>/dev/null | sed -n 's/.*= *[0-9]*, *[0-9]*, *\([0-9]*\), *\([0-9]*\).*/\1x\2/p')
  [ -n "$area" ] && [ "$area" != "$full" ] && break
  sleep 0.1
done

"$@"
