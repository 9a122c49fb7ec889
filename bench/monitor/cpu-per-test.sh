#!/usr/bin/env bash
# CPU time of one activity test next to the floor (bare Connector/C and POSIX calls doing the
# same round trips and files), from one run: bench_monitor's BM_ActivityTest and BM_Floor in
# interleaved repetitions, so that both meet the same state of the machine. Prints the median
# CPU time per test of each and their ratio; the private MariaDB server's CPU is not counted.
#
#   bench/monitor/cpu-per-test.sh [BUILD_DIR [REPETITIONS]]   (default build/release, 40)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
repetitions=${2:-40}
bench=$build/bench/monitor/bench_monitor
[[ -x $bench ]] || {
    echo "cpu-per-test: $bench not found; build the target bench_monitor first" >&2
    exit 1
}

"$bench" --benchmark_filter='^(BM_ActivityTest|BM_Floor)$' \
    --benchmark_repetitions="$repetitions" --benchmark_min_time=0.3 \
    --benchmark_enable_random_interleaving=true --benchmark_format=json 2>/dev/null |
    python3 -c '
import json, statistics, sys

runs = json.load(sys.stdin)["benchmarks"]
def median(name):
    # Each repetition: CPU time per iteration, in the unit the benchmark reports (us).
    times = [r["cpu_time"] for r in runs
             if r["run_name"] == name and r.get("run_type") == "iteration"]
    if not times:
        sys.exit(f"cpu-per-test: no runs of {name}")
    return statistics.median(times), len(times)
(a, n), (f, _) = median("BM_ActivityTest"), median("BM_Floor")
print(f"CPU time per test (median of {n} interleaved repetitions each)")
for label, value in (("activity test", f"{a:8.1f} us"), ("floor", f"{f:8.1f} us"),
                     ("ratio", f"{a / f:8.2f}x")):
    print(f"  {label:<16}{value}")
'
