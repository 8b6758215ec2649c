#!/usr/bin/env bash
# Every test: installs what a fresh machine lacks, builds the three presets
# with warnings as errors, and runs the native and the Wine test suites.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
scripts/install-deps.sh

for preset in linux win32 win64; do
  cmake --preset "$preset" -DCLEP_WERROR=ON >/dev/null
  cmake --build --preset "$preset"
done

status=0
ctest --preset linux -j"$(nproc)" || status=1
ctest --preset win32 || status=1
ctest --preset win64 || status=1
exit $status
