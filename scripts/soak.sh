#!/usr/bin/env bash
# A seeded soak of the real program in the demo taskbar (scripts/soak.py):
#   scripts/soak.sh [--minutes N] [--seed S] [--steps K] [--win32] [--busy]
# Builds the win64 preset (--win32: the shipped 32-bit exe's) if it is not
# there yet, then runs one soak; a failure prints the seed and step count
# that replay it; --busy keeps every core busy meanwhile.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
preset=win64 args=()
while [ $# -gt 0 ]; do
  case $1 in
    --win32) preset=win32 ;;
    --busy) args+=("$1") ;;
    --minutes | --seed | --steps) args+=("$1" "$2"); shift ;;
    *) echo "usage: scripts/soak.sh [--minutes N] [--seed S] [--steps K] [--win32] [--busy]" >&2; exit 2 ;;
  esac
  shift
done
if [ ! -f "$root/build/$preset/src/windows/Clepsydrium.exe" ]; then
  "$root/scripts/install-deps.sh"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" >/dev/null
fi
exec python3 "$root/scripts/soak.py" --build "$root/build/$preset" "${args[@]}"
