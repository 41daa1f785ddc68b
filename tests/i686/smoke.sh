#!/usr/bin/env bash
# The shipping 32-bit Tarvik.exe under Wine on a virtual screen, as a user sees it: the window
# opens centred at 290 x 231 with cut corners and its frame, and the close button ends it with
# status 0. Exits 77 (skipped) where 32-bit Wine cannot run at all.
set -u
exe="$1"
root="$(cd "$(dirname "$0")/../.." && pwd)"
[ -f "$exe" ] || { echo "smoke: $exe is not built"; exit 1; }
if ! "$root/tools/enable-i386-emulation.sh"; then
  echo "smoke: 32-bit Wine cannot run on this machine; skipped"
  exit 77
fi
# Under qemu's i386 emulation, 32-bit Wine can place its fixed-address regions (the shared user
# data at 0x7ffe0000) only in a guest address space qemu reserves whole; elsewhere this is unused.
export QEMU_RESERVED_VA="${QEMU_RESERVED_VA:-0xffff0000}"
export WINEPREFIX="${HOME:-/root}/.cache/tarvik-wine32-virtual" TARVIK_XVFB=1 TARVIK_WINE=/usr/lib/wine/wine
exec "$root/tools/with-wine-display.sh" sh -c '
  fail() { echo "smoke: $*"; kill $pid 2>/dev/null; exit 1; }
  shot=$(mktemp --suffix=.png)
  pixel() { convert "$shot" -format "%[pixel:p{$1,$2}]" info:; }
  log=$(mktemp)
  WINEDEBUG=err+virtual "$TARVIK_WINE" "$1" >"$log" 2>&1 &
  pid=$!
  # Emulated, the first start takes minutes: wait for the window while the program lives.
  window=""
  for i in $(seq 1 900); do
    window=$(xdotool search --name "^Lumenta$" 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    if ! kill -0 $pid 2>/dev/null; then
      # The emulator could not give 32-bit Wine the memory it needs: no 32-bit program runs here.
      if grep -q "failed to map the shared user data" "$log"; then
        echo "smoke: 32-bit Wine cannot run programs on this machine ($(grep -m1 "failed to map" "$log")); skipped"
        exit 77
      fi
      fail "expected a window named Lumenta; the program ended first: $(tail -n 3 "$log")"
    fi
    sleep 1
  done
  [ -n "$window" ] || fail "expected a window named Lumenta within 900 s, none came"
  geometry=$(xdotool getwindowgeometry "$window" | tr -d "\n")
  case "$geometry" in
    *"Position: 367,269"*"Geometry: 290x231"*) ;;
    *) fail "expected the window at 367,269 sized 290x231, got: $geometry" ;;
  esac
  # Wait until the frame is on the screen: the interior turns the back colour.
  for i in $(seq 1 120); do
    import -window root "png:$shot"
    [ "$(pixel 517 369)" = "srgb(250,250,250)" ] && break
    sleep 1
  done
  [ "$(pixel 517 369)" = "srgb(250,250,250)" ] || fail "expected the interior at 517,369 in rgb 250, got $(pixel 517 369)"
  [ "$(pixel 367 269)" = "srgb(0,0,0)" ] || fail "expected the top-left corner cut (root black), got $(pixel 367 269)"
  [ "$(pixel 656 499)" = "srgb(0,0,0)" ] || fail "expected the bottom-right corner cut, got $(pixel 656 499)"
  cp "$shot" "$2"
  # The close button sits at 259..275, 8..23 in the window.
  xdotool mousemove 633 284 mousedown 1 mouseup 1
  for i in $(seq 1 300); do kill -0 $pid 2>/dev/null || break; sleep 1; done
  kill -0 $pid 2>/dev/null && fail "expected the program to end after a click on close; it is still running"
  wait $pid
  status=$?
  [ $status -eq 0 ] || fail "expected exit status 0 after close, got $status"
  echo "smoke: the 32-bit Tarvik.exe opened, painted its frame and closed with status 0 (screenshot $2)"
' sh "$exe" "${2:-/tmp/tarvik-i686.png}"
