# Sourced by the scripts that need an X server of their own.
# start_private_xvfb NAME RANGE SCREEN: starts Xvfb on the first free display number in RANGE
# (FIRST-LAST) with the SCREEN geometry, adds its process to the caller's `pids` and sets
# `display` (":N"); exits with status 3, naming NAME, when no number in RANGE gives one.
start_private_xvfb() {
  local name="$1" range="$2" screen="$3" n xvfb
  display=""
  for n in $(seq "${range%-*}" "${range#*-}"); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    # -noreset: as its last client leaves, a server resets and drops whoever connects meanwhile
    # (a program starting just after a one-shot query).
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp -noreset >/dev/null 2>&1 &
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
      return 0
    fi
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
  done
  echo "$name: could not start Xvfb on any display in $range" >&2
  exit 3
}
