#!/usr/bin/env bash
# Builds and runs the benchmarks (the simulated host, then the Win32 backend under wine64), and
# prints each figure beside its floor and target, and the size of the shipping Tarvik.exe:
#   tools/bench.sh [BUILD_DIR] [-- GOOGLE_BENCHMARK_FLAGS...]
# Each benchmark runs five times; the tables use the fastest run, since on a shared machine
# the least disturbed run is the best estimate of what the code costs.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
if [ $# -gt 0 ] && [ "$1" != "--" ]; then build="$1"; shift; fi
[ "${1:-}" = "--" ] && shift

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
fi
cmake --build "$build" -j"$(nproc)" >/dev/null || { echo "bench: build failed" >&2; exit 1; }

echo "== $(uname -srm), $(nproc) CPUs: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
"$build/bench/tarvik-bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.2 --benchmark_color=false "$@"

# The Win32 backend under wine64, on a virtual screen that holds a 1920 x 1080 window.
win32_bench="$build/win64/bench/tarvik-win32-bench.exe"
if [ -f "$win32_bench" ]; then
  echo
  TARVIK_XVFB=1 TARVIK_SCREEN=2560x1440x24 "$root/tools/with-wine-display.sh" sh -c '"$TARVIK_WINE" "$1"' sh "$win32_bench"
else
  echo "bench: $win32_bench is not built (mingw-w64 missing?): no Win32 figures"
fi

# The shipping program's size.
exe="$build/win32/Tarvik.exe"
if [ -f "$exe" ]; then
  size=$(stat -c %s "$exe")
  echo
  printf '  %-58s %9d bytes  < 409600  %s\n' "Tarvik.exe (i686, shipping build)" "$size" \
    "$([ "$size" -lt 409600 ] && echo met || echo MISSED)"
fi
