#!/usr/bin/env bash
# Runs the test suite N times beside K busy loops, without retries, and says for each test that
# failed how often and with what message: the check that the suite passes at its first try also on
# a busy machine.
#   tools/soak.sh [-n RUNS] [-k BUSY] [-j JOBS] [-L LABELS] [-E EXCLUDED] [BUILD]
# RUNS defaults to 3, BUSY (loops of one core each) to 2, JOBS to the cores, BUILD to build/;
# LABELS and EXCLUDED are ctest label expressions. Exits 1 when any run had a failure.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs=3 busy=2 jobs="$(nproc)" labels="" excluded=""
while getopts "n:k:j:L:E:" opt; do
  case "$opt" in
    n) runs="$OPTARG" ;;
    k) busy="$OPTARG" ;;
    j) jobs="$OPTARG" ;;
    L) labels="$OPTARG" ;;
    E) excluded="$OPTARG" ;;
    *) echo "usage: soak.sh [-n RUNS] [-k BUSY] [-j JOBS] [-L LABELS] [-E EXCLUDED] [BUILD]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
build="$(realpath "${1:-$root/build}")"
out="$build/test-out/soak"
rm -rf "$out"
mkdir -p "$out"

loops=()
stop_loops() { [ ${#loops[@]} -eq 0 ] || kill "${loops[@]}" 2>/dev/null; }
trap stop_loops EXIT
for _ in $(seq 1 "$busy"); do
  (while :; do :; done) &
  loops+=($!)
done

filter=()
[ -n "$labels" ] && filter+=(-L "$labels")
[ -n "$excluded" ] && filter+=(-LE "$excluded")
echo "soak: $runs runs of ctest ${filter[*]} -j$jobs in $build beside $busy busy loops"
for run in $(seq 1 "$runs"); do
  start=$SECONDS
  (cd "$build" && ctest -j"$jobs" "${filter[@]}" --output-on-failure --output-junit "$out/run-$run.xml" >"$out/run-$run.log" 2>&1)
  echo "soak: run $run: $(grep -E '^[0-9]+% tests passed' "$out/run-$run.log" || echo 'no summary') ($((SECONDS - start)) s)"
done
stop_loops
loops=()

# Each failed test: in how many runs, and the first line of each failure that says what was expected.
python3 - "$runs" "$out"/run-*.xml <<'EOF'
import sys, re, xml.etree.ElementTree as ET
runs, files = int(sys.argv[1]), sys.argv[2:]
failed, total = {}, set()
for f in files:
    for case in ET.parse(f).getroot().iter("testcase"):
        name = case.get("name")
        total.add(name)
        if case.get("status") in ("fail", "failed") or case.find("failure") is not None:
            text = case.findtext("system-out") or ""
            lines = [l.strip() for l in text.splitlines() if re.search(r"FAIL|Failure|[Ee]xpected|error|Timeout", l)]
            failed.setdefault(name, []).append(lines[0][:200] if lines else "(no message; see the run's log)")
passed = len(total) - len(failed)
for name, messages in sorted(failed.items()):
    print(f"FAILED {name}: {len(messages)} of {runs} runs")
    for m in dict.fromkeys(messages):
        print(f"    {m}")
print(f"soak: {passed} passed, {len(failed)} failed (tests that failed in any of {runs} runs)")
sys.exit(1 if failed else 0)
EOF
