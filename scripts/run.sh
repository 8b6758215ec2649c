#!/usr/bin/env bash
# Runs Clepsydrium. Until the Windows program can be shown here, this builds
# everything native and prints the Roman time and the Latin date of now.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
cmake --preset linux >/dev/null
cmake --build --preset linux >/dev/null
exec build/linux/src/tools/clepsydrium-print "$@"
