#!/usr/bin/env bash
# Start-up time to the first painted frame and resident memory of the native program, beside a
# minimal GTK 3 window measured in the same run, on a private virtual desktop (or on $DISPLAY
# with TARVIK_ON_DISPLAY=1): gtk-minimal is an empty undecorated window of the same size,
# gtk-label the same with one label (fonts loaded, as tarvik loads them for its caption). Each is
# started RUNS times (default 10), in turn; prints the median and the range of each.
#   tools/measure-startup.sh [BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-$root/build}")"
runs="${RUNS:-10}"
cmake --build "$build" --target tarvik first-frame gtk-minimal >/dev/null

# One line per start: NAME first_frame_ms=... rss_kb=...
measure() {
  local out="$1"
  # The first GTK program on a new display pays for setting the display up (GDK loads GL to
  # choose its visuals, some 40 MB, and caches the choice on the root window): not counted.
  "$build/tools/first-frame" "$build/tools/gtk-minimal" >/dev/null
  for _ in $(seq 1 "$runs"); do
    echo "tarvik $("$build/tools/first-frame" "$build/host/backends/gtk/tarvik")" >>"$out"
    echo "gtk-minimal $("$build/tools/first-frame" "$build/tools/gtk-minimal")" >>"$out"
    echo "gtk-label $("$build/tools/first-frame" "$build/tools/gtk-minimal" --label)" >>"$out"
  done
}

results="$(mktemp)"
trap 'rm -f "$results"' EXIT
if [ "${TARVIK_ON_DISPLAY:-0}" = 1 ]; then
  measure "$results"
else
  export -f measure
  export build runs
  "$root/tools/with-desktop.sh" bash -c 'measure "$0"' "$results"
fi

[ "${VERBOSE:-0}" = 1 ] && cat "$results"
echo "start-up to the first painted frame and resident memory, $runs runs each ($(nproc) CPUs):"
# Median and range of a column of numbers.
stats() { sort -n | awk '{ v[NR] = $1 } END { printf "%.1f (%.1f .. %.1f)", v[int((NR + 1) / 2)], v[1], v[NR] }'; }
for program in tarvik gtk-minimal gtk-label; do
  lines="$(grep "^$program " "$results")"
  ms="$(sed 's/.*first_frame_ms=\([0-9.]*\).*/\1/' <<<"$lines" | stats)"
  mb="$(sed 's/.*rss_kb=\([0-9]*\).*/\1/' <<<"$lines" | awk '{ print $1 / 1024 }' | stats)"
  printf "  %-12s first frame median %s ms   RSS median %s MB\n" "$program" "$ms" "$mb"
done
