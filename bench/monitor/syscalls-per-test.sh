#!/usr/bin/env bash
# System calls per activity test, next to the floor (bare Connector/C and POSIX calls doing the
# same round trips and files): bench_monitor's BM_ActivityTest and BM_Floor each run under
# strace (the benchmark's own thread; the private MariaDB server is not traced). The trace is
# cut into tests at each reply file the benchmark puts in place, and a test's calls are counted
# without the benchmark's own (placing the reply, reading the CPU-time clocks). Prints the
# median test of each, their ratio and the activity test's calls by name.
#
#   bench/monitor/syscalls-per-test.sh [BUILD_DIR]   (default build/release; a Release build)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
bench=$build/bench/monitor/bench_monitor
[[ -x $bench ]] || {
    echo "syscalls-per-test: $bench not found; build the target bench_monitor first" >&2
    exit 1
}
command -v strace >/dev/null || {
    echo "syscalls-per-test: strace is missing (scripts/install-deps.sh installs it)" >&2
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for name in BM_ActivityTest BM_Floor; do
    strace -o "$work/$name.trace" -s 256 -e signal=none \
        "$bench" --benchmark_filter="^$name\$" --benchmark_min_time=0.2 >"$work/$name.out" 2>&1 || {
        cat "$work/$name.out" >&2
        exit 1
    }
done

python3 - "$work/BM_ActivityTest.trace" "$work/BM_Floor.trace" <<'PY'
import collections, re, statistics, sys

# The benchmark's reply, put in place before every test: opened with O_TRUNC in rec/.
marker = re.compile(r'^openat\(AT_FDCWD, "[^"]*/rec/[^"]*", O_WRONLY\|O_CREAT\|O_TRUNC.*= (\d+)$')
call = re.compile(r'^([a-z_0-9]+)\((\d+)?')
benchmark_clock = re.compile(r'^clock_gettime\(CLOCK_(PROCESS|THREAD)_CPUTIME_ID')

def tests(path):
    """Each test's calls by name: from one reply to the next, without the benchmark's own."""
    found, current, reply_fd = [], None, None
    for line in open(path, errors="replace"):
        line = line.rstrip("\n")
        if m := marker.match(line):
            if current is not None:
                found.append(current)
            current, reply_fd = collections.Counter(), m.group(1)
            continue
        m = call.match(line)
        if current is None or not m or benchmark_clock.match(line):
            continue
        if reply_fd is not None and m.group(2) == reply_fd:
            if m.group(1) == "close":
                reply_fd = None
            continue
        current[m.group(1)] += 1
    return found  # the calls after the last reply are the benchmark's ending: left out

activity, floor = tests(sys.argv[1]), tests(sys.argv[2])
if not activity or not floor:
    sys.exit("syscalls-per-test: no tests found in the traces")
def median(found):
    return statistics.median(sum(t.values()) for t in found)
a, f = median(activity), median(floor)
typical = min(activity, key=lambda t: abs(sum(t.values()) - a))
print(f"System calls per test (median of {len(activity)} activity tests, {len(floor)} floor tests)")
print(f"  {'activity test':<16}{a:>8.1f}")
print(f"  {'floor':<16}{f:>8.1f}")
print(f"  {'ratio':<16}{a / f:>8.2f}x")
print("  the median activity test's calls: " +
      ", ".join(f"{n} {c}" for n, c in typical.most_common()))
PY
