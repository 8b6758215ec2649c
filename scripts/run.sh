#!/usr/bin/env bash
# Runs Clepsydrium: the real Windows program under Wine, in a demo taskbar.
# Installs what a fresh machine lacks first (apt-get, as root or with sudo).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/install-deps.sh"
exec "$root/scripts/demo.sh" "$@"
