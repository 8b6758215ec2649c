#!/usr/bin/env bash
# full_disk.sh COMMAND...: the settings table's full-disk case on a tmpfs only root can mount (else 77, skipped).
set -eu
mkdir -p full-disk
if mountpoint -q full-disk; then umount full-disk; fi
mount -t tmpfs -o size=64k clep-full-disk full-disk 2>/dev/null || { echo 'SKIP: only root can mount the small tmpfs'; exit 77; }
trap 'umount full-disk' EXIT
CLEP_FULL_DISK=full-disk "$@" --gtest_filter='*FullDisk*'
