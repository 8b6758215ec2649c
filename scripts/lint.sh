#!/usr/bin/env bash
# The project's own scripts and sources as their linters see them: every
# shell script (shellcheck, following what it sources), every Python script
# (pyflakes) and the C++ (clang-format's layout, and clang-tidy over what
# the native build compiles: the Windows sources need mingw's headers and
# take minutes, so they are tidied by hand). A finding silenced in a script
# says why beside it.
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
status=0 units=()
shellcheck -x -P scripts "${shells[@]}" || status=1
pyflakes3 "${pythons[@]}" || status=1
clang-format --dry-run -Werror "${sources[@]}" || status=1
if [ -f build/linux/compile_commands.json ]; then
  mapfile -t units < <(python3 -c 'import json, sys; print("\n".join(sorted({e["file"] for e in json.load(sys.stdin)})))' \
    <build/linux/compile_commands.json | grep -E "^$root/(src|tests)/")
  # Its count of what it hid in system headers goes to stderr, and is dropped; the findings stay.
  printf '%s\n' "${units[@]}" | xargs -P "$(nproc)" -n 1 clang-tidy -p build/linux --quiet 2>/dev/null || status=1
else
  echo "clang-tidy: no build/linux/compile_commands.json; cmake --preset linux first"
  status=1
fi
echo "lint: ${#shells[@]} shell scripts, ${#pythons[@]} Python scripts, ${#sources[@]} C++ files (${#units[@]} through clang-tidy): $([ $status = 0 ] && echo clean || echo FINDINGS)"
exit $status
