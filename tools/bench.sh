#!/usr/bin/env bash
# Builds and runs the benchmarks, and prints each figure beside its floor and target:
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
cmake --build "$build" -j"$(nproc)" --target tarvik-bench >/dev/null || { echo "bench: build failed" >&2; exit 1; }

echo "== $(uname -srm), $(nproc) CPUs: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
"$build/bench/tarvik-bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.2 --benchmark_color=false "$@"
