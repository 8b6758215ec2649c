#!/usr/bin/env bash
# The project's own scripts and sources as their linters see them: every
# shell script (shellcheck, following what it sources), every Python script
# (pyflakes) and the C++ (clang-format's layout). A finding silenced in a
# script says why beside it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
mapfile -t files < <(git ls-files)
shells=() pythons=() sources=()
for file in "${files[@]}"; do
  case $file in
    *.sh) shells+=("$file") ;;
    *.py) pythons+=("$file") ;;
    *.cpp | *.h) sources+=("$file") ;;
    scripts/* | tests/*) head -n 1 "$file" | grep -qE '^#!.*\b(ba)?sh\b' && shells+=("$file") ;;
  esac
done
status=0
shellcheck -x -P scripts "${shells[@]}" || status=1
pyflakes3 "${pythons[@]}" || status=1
clang-format --dry-run -Werror "${sources[@]}" || status=1
echo "lint: ${#shells[@]} shell scripts, ${#pythons[@]} Python scripts, ${#sources[@]} C++ files: $([ $status = 0 ] && echo clean || echo FINDINGS)"
exit $status
