#!/usr/bin/env bash
# run_fuzz.sh FUZZER CORPUS WORKDIR SECONDS: fuzzes a scratch copy of the seed
# corpus; a finding is kept in WORKDIR and fails the run.
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3 seconds=$4
rm -rf "$work/corpus" && cp -r "$seeds" "$work/corpus"
cd "$work"
"$fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$work/finding-" "$work/corpus" 2>&1 | tail -n 25
