#!/usr/bin/env bash
# Prints the README's figures: the hot paths against a bare local-time read
# (medians of 10 runs), heap allocations per same-second tick, and both exe
# sizes, and the start-up time under Wine against two empty programs': one
# that opens no window and one that opens and shows one small window; and
# the idle cost, with seconds and without, against a one-window clock's.
# Needs the linux, win32 and win64 builds (scripts/test.sh makes them).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bench=${BENCH:-$root/build/linux/tests/bench/clepsydrium_bench}

echo "machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -n 1)"
"$bench" --benchmark_repetitions=10 --benchmark_report_aggregates_only=true \
  --benchmark_format=json 2>/dev/null | python3 -c '
import json, sys
runs = {b["run_name"][3:]: b for b in json.load(sys.stdin)["benchmarks"]
        if b.get("aggregate_name") == "median"}
base = runs["LocalNow"]["cpu_time"]
print("| path | ns (median of 10) | x LocalNow |\n|---|---|---|")
for name, run in runs.items():
    print("| %s | %.1f | %.2f |" % (name, run["cpu_time"], run["cpu_time"] / base))
print("heap allocations per same-second tick: %g"
      % runs["TickSameSecond"]["allocs_per_tick"])
'
for build in win32 win64; do
  exe=$root/build/$build/src/windows/Clepsydrium.exe
  [ -f "$exe" ] && echo "$build exe: $(wc -c <"$exe") bytes"
done
python3 "$root/scripts/measure-startup.py" --build "$root/build/win64"
python3 "$root/scripts/measure-idle.py" --build "$root/build/win64"
python3 "$root/scripts/measure-idle.py" --build "$root/build/win64" --settings DisplaySeconds=0
