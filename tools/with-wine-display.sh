#!/usr/bin/env bash
# Runs a command with Wine ready on a display: the user's own if there is one (and
# TARVIK_XVFB is not 1), otherwise a private virtual screen of 1024 x 768 that is torn down after.
# With TARVIK_WM set (openbox, xfwm4, icewm, mutter, kwin) the virtual screen is a desktop instead:
# that window manager and a taskbar (tools/with-desktop.sh), with Wine in its normal managed mode,
# as a Linux desktop user runs the program. TARVIK_WINE names the 64-bit Wine loader for the command to use:
#   tools/with-wine-display.sh sh -c '"$TARVIK_WINE" build/win64/Tarvik.exe'
# TARVIK_DPI=144 or 192 runs Wine at that many dots per inch (the desktop's LogPixels), in a
# prefix of its own for each DPI; 96, the default, is 100%.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

if [ -n "${TARVIK_WM:-}" ] && [ -z "${TARVIK_ON_DESKTOP:-}" ]; then
  export TARVIK_ON_DESKTOP=1
  exec "$here/with-desktop.sh" "$here/with-wine-display.sh" "$@"
fi

if [ -z "${TARVIK_WINE:-}" ]; then
  for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)"; do
    [ -n "$candidate" ] && [ -x "$candidate" ] && TARVIK_WINE="$candidate" && break
  done
fi
export TARVIK_WINE="${TARVIK_WINE:-wine64}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko install prompts: the program needs neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
screen="${TARVIK_SCREEN:-1024x768x24}"

xvfb_pid=""
cleanup() {
  # Our own screen goes away: end this prefix's Wine processes first so none is left talking to it.
  { [ -n "$xvfb_pid" ] || [ -n "${TARVIK_ON_DESKTOP:-}" ]; } && wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

if [ -z "${TARVIK_ON_DESKTOP:-}" ] && { [ -z "${DISPLAY:-}" ] || [ "${TARVIK_XVFB:-0}" = 1 ]; }; then
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp -noreset >/dev/null 2>&1 &  # as in private-xvfb.sh
    xvfb_pid=$!
    for _ in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    if [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n"
      break
    fi
    xvfb_pid=""
  done
  if [ -z "$xvfb_pid" ]; then
    echo "with-wine-display: could not start Xvfb" >&2
    exit 3
  fi
fi

# A virtual screen has no window manager: there Wine's X11 driver must place, maximize and
# minimize the windows itself (Managed = N), as Windows does, or a maximize would not stick.
# That prefix is kept apart from the ones used under a window manager (the virtual desktop's and
# the user's display), where Wine leaves those to the window manager.
dpi="${TARVIK_DPI:-96}"
dpi_suffix=""
[ "$dpi" != 96 ] && dpi_suffix="-dpi$dpi"
if [ -n "$xvfb_pid" ]; then
  export WINEPREFIX="${WINEPREFIX:-${HOME:-/root}/.cache/tarvik-wine64-virtual$dpi_suffix}"
elif [ -n "${TARVIK_ON_DESKTOP:-}" ]; then
  export WINEPREFIX="${WINEPREFIX:-${HOME:-/root}/.cache/tarvik-wine64-desktop$dpi_suffix}"
else
  export WINEPREFIX="${WINEPREFIX:-${HOME:-/root}/.cache/tarvik-wine64$dpi_suffix}"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$TARVIK_WINE" wineboot -i >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && "$TARVIK_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  [ "$dpi" != 96 ] && "$TARVIK_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -w
fi

# Chinese tooltips: Wine's interface fonts (the tooltip's is Tahoma) have no Chinese glyphs, and
# Wine falls back only to the fonts their FontLink entries name. They are linked to WenQuanYi Micro
# Hei (fonts-wqy-microhei), and Windows' own Chinese faces are replaced by it, once per prefix.
chinese_font="wqy-microhei.ttc,WenQuanYi Micro Hei"
if ! grep -q '^"Tahoma"=str(7):"wqy-microhei' "$WINEPREFIX/system.reg" 2>/dev/null; then
  # A list of one text, as the bytes of an ANSI registry file: the text, its end and the list's end.
  multi_sz=$(printf '%s' "$chinese_font" | od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//')
  reg_file="$WINEPREFIX/tarvik-fonts.reg"
  {
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\n'
    for face in "Tahoma" "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI"; do
      printf '"%s"=hex(7):%s00,00\n' "$face" "$multi_sz"
    done
    printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n'
    for face in "SimSun" "NSimSun" "Microsoft YaHei" "SimHei"; do
      printf '"%s"="WenQuanYi Micro Hei"\n' "$face"
    done
  } > "$reg_file"
  "$TARVIK_WINE" regedit /S "$reg_file" >/dev/null 2>&1
  wineserver -w
fi

"$@"
status=$?
exit $status
