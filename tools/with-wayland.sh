#!/usr/bin/env bash
# Runs a command on a private headless Wayland desktop: a Wayland compositor nested in an Xvfb
# screen of its own (1024 x 768), all torn down after.
#   tools/with-wayland.sh build/host/backends/gtk/tarvik
#   TARVIK_WL=sway tools/with-wayland.sh build/host/backends/gtk/tarvik
# TARVIK_WL picks the compositor: mutter (the default; --nested --wayland --no-x11, on a session
# bus of its own shared with the command) or sway (the X11 backend with the pixman renderer; it
# refuses to run as root, so it runs as the system user tarvik-wl, made on first use).
# The command gets WAYLAND_DISPLAY (an absolute path to the compositor's socket), an
# XDG_RUNTIME_DIR of its own and no DISPLAY: no X server reaches it by chance. The Xvfb screen
# under the compositor is named in TARVIK_INPUT_DISPLAY, for input (XTest on the Xvfb screen
# reaches the nested compositor as a pointer) and screenshots (its root window shows the
# compositor's output); TARVIK_WL names the compositor, and under sway SWAYSOCK its IPC socket.
# TARVIK_DISPLAYS picks the X display numbers to try (first-last, default 150-199).
# Exits with 77 (without running the command) where the compositor cannot be started here.
set -uo pipefail
no_compositor=77

compositor="${TARVIK_WL:-mutter}"
screen="${TARVIK_SCREEN:-1024x768x24}"
size="${screen%x*}"
sway_user=tarvik-wl
case "$compositor" in
  mutter) binary=mutter ;;
  sway) binary=sway ;;
  *)
    echo "with-wayland: unknown compositor '$compositor' (mutter, sway)" >&2
    exit 2
    ;;
esac
if ! command -v "$binary" >/dev/null; then
  echo "with-wayland: $binary is not installed (bash tools/setup.sh test installs it)" >&2
  exit "$no_compositor"
fi
# Mutter wants a session bus; the command shares it.
if [ "$compositor" = mutter ] && [ -z "${TARVIK_DESKTOP_BUS:-}" ]; then
  export TARVIK_DESKTOP_BUS=1
  exec dbus-run-session -- "$0" "$@"
fi

pids=()
scratch="$(mktemp -d /tmp/tarvik-wl.XXXXXX)"
cleanup() {
  for (( i=${#pids[@]}-1; i>=0; i-- )); do kill "${pids[$i]}" 2>/dev/null; wait "${pids[$i]}" 2>/dev/null; done
  rm -rf "$scratch"
}
trap cleanup EXIT

# An Xvfb of our own, as tools/with-desktop.sh picks one.
range="${TARVIK_DISPLAYS:-150-199}"
. "$(dirname "$0")/private-xvfb.sh"
start_private_xvfb with-wayland "$range" "$screen"
for _ in $(seq 1 300); do
  DISPLAY="$display" xprop -root _XKB_RULES_NAMES >/dev/null 2>&1 && break
  sleep 0.1
done

# The compositor's runtime directory: its socket (and sway's IPC socket) appear there.
runtime="$scratch/compositor"
mkdir -m 700 "$runtime"
socket_name=wayland-tarvik
log="$scratch/compositor.log"
case "$compositor" in
  mutter)
    # Nested, mutter's output is the size its debug mode names, in a window at the screen's corner.
    DISPLAY="$display" XDG_RUNTIME_DIR="$runtime" MUTTER_DEBUG_DUMMY_MODE_SPECS="$size" \
      mutter --nested --wayland --no-x11 --sm-disable --wayland-display "$socket_name" >"$log" 2>&1 &
    ;;
  sway)
    if ! id -u "$sway_user" >/dev/null 2>&1; then
      useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$sway_user" ||
        { echo "with-wayland: cannot create the user $sway_user for sway" >&2; exit "$no_compositor"; }
    fi
    chown "$sway_user" "$runtime"
    # A stacking desktop rather than tiles: windows float at the size they ask for, centred,
    # on a plain backdrop, with no bar.
    config="$scratch/sway.config"
    printf '%s\n' "output * mode ${size} position 0 0 bg #203040 solid_color" \
      'for_window [app_id=".*"] floating enable' 'focus_follows_mouse no' >"$config"
    chmod 644 "$config"
    chmod 711 "$scratch"
    DISPLAY="$display" XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=x11 WLR_RENDERER=pixman WLR_X11_OUTPUTS=1 \
      WAYLAND_DISPLAY= setpriv --reuid="$sway_user" --regid="$(id -g "$sway_user")" --clear-groups \
      env HOME="$runtime" sway --config "$config" >"$log" 2>&1 &
    ;;
esac
compositor_pid=$!
pids+=("$compositor_pid")

# Up once its socket takes connections (sway: once its IPC answers too). On a loaded machine
# mutter takes some seconds.
up=""
for _ in $(seq 1 600); do
  kill -0 "$compositor_pid" 2>/dev/null || break
  if [ "$compositor" = sway ]; then
    ipc="$(ls "$runtime"/sway-ipc.*.sock 2>/dev/null | head -n 1)"
    wl="$(ls "$runtime"/wayland-* 2>/dev/null | grep -v "\.lock$" | head -n 1)"
    [ -S "$wl" ] && [ -n "$ipc" ] && SWAYSOCK="$ipc" swaymsg -t get_outputs >/dev/null 2>&1 &&
      { socket="$wl"; export SWAYSOCK="$ipc"; up=1; break; }
  elif [ -S "$runtime/$socket_name" ]; then
    socket="$runtime/$socket_name"
    up=1
    break
  fi
  sleep 0.1
done
if [ -z "$up" ]; then
  echo "with-wayland: $compositor did not come up on $display:" >&2
  cat "$log" >&2
  exit "$no_compositor"
fi
# The compositor's first frame on the Xvfb screen: its backdrop, no longer Xvfb's black.
width="${size%x*}" height="${size#*x}"
for _ in $(seq 1 300); do
  centre="$(DISPLAY="$display" import -window root -crop "1x1+$((width / 2))+$((height / 2))" txt:- 2>/dev/null | tail -n 1)"
  [ -n "$centre" ] && [[ "$centre" != *"#000000"* ]] && break
  sleep 0.1
done

command_runtime="$scratch/client"
mkdir -m 700 "$command_runtime"
export WAYLAND_DISPLAY="$socket" XDG_RUNTIME_DIR="$command_runtime" TARVIK_INPUT_DISPLAY="$display" TARVIK_WL="$compositor"
env -u DISPLAY "$@"
