#!/usr/bin/env bash
# Every test: installs what a fresh machine lacks, builds every preset with
# warnings as errors, and runs the native, fuzz and Wine test suites (the
# Wine ones include the end-to-end scenarios and the release zips).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
scripts/install-deps.sh

for preset in linux win32 win64 fuzz; do
  cmake --preset "$preset" -DCLEP_WERROR=ON >/dev/null
  cmake --build --preset "$preset"
done

status=0
ctest --preset linux -j"$(nproc)" || status=1
scripts/test-package.sh || status=1
ctest --preset win32 || status=1
ctest --preset fuzz || status=1
ctest --preset win64 || status=1
exit $status
