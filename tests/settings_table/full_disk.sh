#!/usr/bin/env bash
# Runs the settings table's full-disk case on a small tmpfs of its own, which
# only root can mount: skipped (77) otherwise. Usage: full_disk.sh COMMAND...
set -eu
mkdir -p full-disk
if mountpoint -q full-disk; then umount full-disk; fi
mount -t tmpfs -o size=64k clep-full-disk full-disk 2>/dev/null || exit 77
trap 'umount full-disk' EXIT
CLEP_FULL_DISK=full-disk "$@" --gtest_filter='*FullDisk*'
