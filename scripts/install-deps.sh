#!/usr/bin/env bash
# Installs the packages of scripts/packages.txt that this machine lacks. A
# name with an architecture (wine32:i386) adds that architecture first; i386
# ones are left out where the kernel runs no 32-bit programs.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mapfile -t wanted < <(grep -vE '^\s*(#|$)' "$here/packages.txt")
if ! "$here/runs-32bit" >/dev/null; then
  mapfile -t wanted < <(printf '%s\n' "${wanted[@]}" | grep -v ':i386$')
fi
missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
for arch in $(printf '%s\n' "${missing[@]}" | sed -n 's/^[^:]*:\(.*\)$/\1/p' | sort -u); do
  if [ "$arch" != "$(dpkg --print-architecture)" ] &&
    ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
    $sudo dpkg --add-architecture "$arch"
  fi
done
# Another install running on this machine is waited for, not failed on.
$sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
  "${missing[@]}" >/dev/null
