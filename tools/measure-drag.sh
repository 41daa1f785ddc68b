#!/usr/bin/env bash
# Resize and move drags as a user sees them, for tarvik, Tarvik.exe under wine64 and three peers,
# all on one private virtual desktop (Xvfb 2560 x 1600, openbox, tint2):
#   gtk-wm     a plain GTK 3 window in the window manager's frame, resized by the frame's corner
#   gtk-drag   the same window undecorated, resized by gtk_window_begin_resize_drag from its corner
#   win32-wm   a plain WS_OVERLAPPEDWINDOW window under Wine (which lets the window manager frame it)
# build/tools/drag-meter drags each window's bottom-right corner, then its title bar, with XTest:
# 300 pointer moves of one pixel down and right at 125 Hz, from the window at 290 x 231 and at
# 1920 x 1080. It counts the sizes painted (X Damage) and the positions shown, the time from the
# last pointer move to the last change on screen, and the CPU time of the program and of the X
# server over the drag. Each drag is made RUNS times (default 5); prints medians, the worst lag
# and the ratios to the best peer.
#   tools/measure-drag.sh [BUILD_DIR]       VERBOSE=1 also prints every drag's line
# PROGRAMS="tarvik gtk-drag" measures only those; SIZES="290x231" only that start size;
# TARVIK_BEFORE=PATH also measures another build of tarvik (a copy made before a change) as tarvik-before,
# TARVIK_EXE_BEFORE=PATH another Tarvik.exe as Tarvik.exe-before.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-$root/build}")"
export RUNS="${RUNS:-5}"
export SIZES="${SIZES:-290x231 1920x1080}"
export PROGRAMS="${PROGRAMS:-tarvik-before tarvik gtk-wm gtk-drag Tarvik.exe-before Tarvik.exe win32-wm}"
cmake --build "$build" -j2 --target tarvik drag-meter gtk-minimal >/dev/null
exe="$build/win64/Tarvik.exe"
peer="$build/win64/bench/win32-peer.exe"
if [ -d "$build/win64" ]; then cmake --build "$build" -j2 --target tarvik_win64 >/dev/null; fi

# One line per drag: PROGRAM SIZE MODE shown=... per_s=... lag_ms=... cpu_prog_ms=... cpu_x_ms=...
measure() {
  local out="$1"
  local xpid wmpid
  xpid=$(tr -d ' \n' <"/tmp/.X${DISPLAY#:}-lock")
  wmpid=$(xprop -root _OPENBOX_PID | sed -n 's/.*= *\([0-9]*\).*/\1/p')
  # The first GTK program on a new display pays for setting the display up: not counted.
  "$build/tools/gtk-minimal" & local first=$!; sleep 2; kill "$first"; wait "$first" 2>/dev/null || true

  # drags LABEL TITLE COMMAND...: starts the program, drags its window, ends it.
  drags() {
    local label="$1" title="$2"; shift 2
    [[ " $PROGRAMS " == *" $label "* ]] || return 0
    "$@" >/dev/null 2>&1 &
    local pid=$! window cpu
    window=$(timeout 60 xdotool search --sync --onlyvisible --name "^$title\$" | head -n 1)
    if [ -z "$window" ]; then
      echo "measure-drag: the window of $label did not appear" >&2
      kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
      return
    fi
    sleep 1
    cpu="$pid"
    # Under Wine the program's window calls go through the wineserver: its time counts as the program's.
    if [ -n "${WINEPREFIX:-}" ] && [[ "$*" == *.exe* ]]; then
      for p in $(ls /proc | grep -E '^[0-9]+$'); do
        [[ "$(cat "/proc/$p/comm" 2>/dev/null)" == wineserver* ]] &&
          tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && cpu="$cpu,$p"
      done
    fi
    local meter=("$build/tools/drag-meter" --window "$window" --cpu "prog=$cpu" --cpu "x=$xpid" --cpu "wm=$wmpid")
    "${meter[@]}" --mode corner --moves 30 >/dev/null  # warm-up: caches, fonts, first layouts
    for size in $SIZES; do
      for _ in $(seq 1 "$RUNS"); do
        for mode in corner title; do
          echo "$label $size $mode $("${meter[@]}" --mode "$mode" --start "$size")" >>"$out"
        done
      done
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null || true
  }
  [ -n "${TARVIK_BEFORE:-}" ] && drags tarvik-before Lumenta "$TARVIK_BEFORE"
  drags tarvik Lumenta "$build/host/backends/gtk/tarvik"
  drags gtk-wm GtkPeer "$build/tools/gtk-minimal" --decorated --title GtkPeer
  drags gtk-drag GtkPeer "$build/tools/gtk-minimal" --drag --title GtkPeer
  if [ -n "${TARVIK_WINE:-}" ] && [ -f "$exe" ] && [ -f "$peer" ]; then
    [ -n "${TARVIK_EXE_BEFORE:-}" ] && drags Tarvik.exe-before Lumenta "$TARVIK_WINE" "$TARVIK_EXE_BEFORE"
    drags Tarvik.exe Lumenta "$TARVIK_WINE" "$exe"
    drags win32-wm Win32Peer "$TARVIK_WINE" "$peer" Win32Peer
  fi
}

results="$(mktemp)"
trap 'rm -f "$results"' EXIT
export -f measure
export build exe peer
export TARVIK_SCREEN=2560x1600x24
if [ -f "$exe" ] && { command -v wine64 >/dev/null 2>&1 || [ -x /usr/lib/wine/wine64 ]; }; then
  # A Wine prefix of its own: the desktop's wineserver is ended afterwards.
  TARVIK_WM=openbox WINEPREFIX="${HOME:-/root}/.cache/tarvik-wine64-drag" \
    "$root/tools/with-wine-display.sh" bash -c 'measure "$0"' "$results"
else
  "$root/tools/with-desktop.sh" bash -c 'measure "$0"' "$results"
fi

[ "${VERBOSE:-0}" = 1 ] && cat "$results"
echo "drags of 300 one-pixel pointer moves at 125 Hz, $RUNS runs each; $(nproc) CPUs: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "shown/s: sizes (corner) or positions (title) on screen per second of the drag; share: of the 300 pointer positions;"
echo "lag: last pointer move to the last change on screen, median (worst); CPU over the drag, median ms; x best peer"
awk '
  function field(name,   i) { for (i = 4; i <= NF; ++i) if (index($i, name "=") == 1) return substr($i, length(name) + 2); return "" }
  function median(list,   n, v, i, j, t) {
    n = split(list, v, " ")
    for (i = 2; i <= n; ++i) for (j = i; j > 1 && v[j - 1] + 0 > v[j] + 0; --j) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  }
  function worst(list,   n, v, i, m) { n = split(list, v, " "); m = v[1]; for (i = 2; i <= n; ++i) if (v[i] + 0 > m + 0) m = v[i]; return m }
  {
    key = $1 SUBSEP $2 SUBSEP $3
    if (!(key in seen)) { seen[key] = 1; order[++count] = key }
    rate[key] = rate[key] " " field("per_s"); share[key] = share[key] " " field("share")
    lag[key] = lag[key] " " field("lag_ms"); prog[key] = prog[key] " " field("cpu_prog_ms")
    xs[key] = xs[key] " " field("cpu_x_ms"); wm[key] = wm[key] " " field("cpu_wm_ms")
  }
  END {
    for (i = 1; i <= count; ++i) {
      k = order[i]; split(k, p, SUBSEP); group = p[2] SUBSEP p[3]
      r[k] = median(rate[k]); l[k] = median(lag[k])
      if (p[1] ~ /^(gtk-wm|gtk-drag|win32-wm)$/) {
        if (!(group in bestRate) || r[k] > bestRate[group]) bestRate[group] = r[k]
        if (!(group in bestLag) || l[k] < bestLag[group]) bestLag[group] = l[k]
      }
    }
    printf "  %-13s %-9s %-6s %8s %6s %16s %9s %7s %7s %9s %8s\n", "program", "size", "drag", "shown/s", "share", "lag ms", "prog CPU", "X CPU", "WM CPU", "x shown/s", "x lag"
    for (i = 1; i <= count; ++i) {
      k = order[i]; split(k, p, SUBSEP); group = p[2] SUBSEP p[3]
      rr = (group in bestRate) && bestRate[group] > 0 ? sprintf("%.2f", r[k] / bestRate[group]) : "-"
      lr = (group in bestLag) && bestLag[group] > 0 ? sprintf("%.2f", l[k] / bestLag[group]) : "-"
      printf "  %-13s %-9s %-6s %8.1f %6.2f %7.1f (%6.1f) %9.0f %7.0f %7.0f %9s %8s\n", p[1], p[2], p[3], r[k], median(share[k]),
        l[k], worst(lag[k]), median(prog[k]), median(xs[k]), median(wm[k]), rr, lr
    }
  }' "$results"
