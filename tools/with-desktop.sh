#!/usr/bin/env bash
# Runs a command on a private virtual desktop: Xvfb (1024 x 768), a window manager and a taskbar,
# all torn down after. The command finds the display in DISPLAY.
#   tools/with-desktop.sh build/host/backends/gtk/tarvik
#   TARVIK_WM=xfwm4 tools/with-desktop.sh build/host/backends/gtk/tarvik
# TARVIK_WM picks the window manager: openbox (the default), xfwm4, icewm (its own taskbar),
# mutter (in X11 mode) or kwin (kwin_x11); the others get a tint2 taskbar. xfwm4, mutter and kwin
# run on a session bus of their own (dbus-run-session), shared with the command.
# TARVIK_DISPLAYS picks the display numbers to try (first-last, default 150-199).
set -uo pipefail

icewm_config=""
wm_name="${TARVIK_WM:-openbox}"
case "$wm_name" in
  openbox) wm_command=(openbox --sm-disable); taskbar=tint2 ;;
  xfwm4) wm_command=(xfwm4 --compositor=off --sm-client-disable); taskbar=tint2 ;;
  icewm)
    # Its own taskbar, without the load meters (their colours are no part of a window's entry).
    wm_command=(icewm)
    taskbar=""
    icewm_config="$(mktemp -d)"
    export ICEWM_PRIVCFG="$icewm_config"
    printf 'TaskBarShowCPUStatus=0\nTaskBarShowNetStatus=0\nTaskBarShowMEMStatus=0\n' > "$ICEWM_PRIVCFG/preferences"
    ;;
  mutter) wm_command=(mutter --x11 --sm-disable); taskbar=tint2 ;;
  kwin) wm_command=(kwin_x11); taskbar=tint2 ;;
  *)
    echo "with-desktop: unknown window manager '$wm_name' (openbox, xfwm4, icewm, mutter, kwin)" >&2
    exit 2
    ;;
esac
if ! command -v "${wm_command[0]}" >/dev/null; then
  echo "with-desktop: ${wm_command[0]} is not installed (bash tools/setup.sh test installs it)" >&2
  exit 3
fi
# The desktops' window managers want a session bus; the command shares it.
if [ "$wm_name" != openbox ] && [ "$wm_name" != icewm ] && [ -z "${TARVIK_DESKTOP_BUS:-}" ]; then
  export TARVIK_DESKTOP_BUS=1
  exec dbus-run-session -- "$0" "$@"
fi

range="${TARVIK_DISPLAYS:-150-199}"
screen="${TARVIK_SCREEN:-1024x768x24}"
pids=()
cleanup() {
  for (( i=${#pids[@]}-1; i>=0; i-- )); do kill "${pids[$i]}" 2>/dev/null; wait "${pids[$i]}" 2>/dev/null; done
  [ -n "$icewm_config" ] && rm -rf "$icewm_config"
}
trap cleanup EXIT

. "$(dirname "$0")/private-xvfb.sh"
start_private_xvfb with-desktop "$range" "$screen"
export DISPLAY="$display"
# The socket comes before the server takes connections; a loaded machine may take a while.
for _ in $(seq 1 300); do
  xprop -root _NET_WORKAREA >/dev/null 2>&1 && break
  sleep 0.1
done

# Window manager first, then the taskbar, which reserves its strip of the screen: the work area
# shrinks once it is up.
# A window manager may give up at once if it cannot connect: a few tries. Mutter and KWin take
# some seconds to start on a loaded machine.
log="$(mktemp)"
wm=""
for _ in 1 2 3; do
  "${wm_command[@]}" >"$log" 2>&1 &
  wm_pid=$!
  for _ in $(seq 1 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && wm=1 && break
    kill -0 "$wm_pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$wm" ] && break
  kill "$wm_pid" 2>/dev/null
  wait "$wm_pid" 2>/dev/null
  sleep 1
done
if [ -z "$wm" ]; then
  echo "with-desktop: $wm_name did not come up on $display:" >&2
  cat "$log" >&2
  rm -f "$log"
  exit 3
fi
pids+=("$wm_pid")
rm -f "$log"
if [ -n "$taskbar" ]; then
  "$taskbar" >/dev/null 2>&1 &
  pids+=($!)
fi
full="${screen%x*}"
for _ in $(seq 1 300); do
  area=$(xprop -root _NET_WORKAREA 2>/dev/null | sed -n 's/.*= *[0-9]*, *[0-9]*, *\([0-9]*\), *\([0-9]*\).*/\1x\2/p')
  [ -n "$area" ] && [ "$area" != "$full" ] && break
  sleep 0.1
done

"$@"
