#!/usr/bin/env bash
# Runs Clepsydrium: the real Windows program under Wine, in a demo taskbar.
# Installs what a fresh machine lacks first (apt-get, as root or with sudo).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
[ "${CLEP_NO_32BIT:-}" = 1 ] && export PATH=$root/scripts/no-32bit:$PATH
for arg in "$@"; do
  if [ "$arg" = --win32 ] && ! why=$("$root/scripts/runs-32bit"); then
    echo "$why, so the 32-bit exe cannot be shown here: leave out --win32 for its 64-bit twin" >&2
    exit 2
  fi
done
"$root/scripts/install-deps.sh"
exec "$root/scripts/demo.sh" "$@"
