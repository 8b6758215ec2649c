#!/usr/bin/env bash
# The project's own scripts and sources as their linters see them: every
# shell script (shellcheck, following what it sources), every Python script
# (pyflakes) and the C++ (clang-format's layout, and clang-tidy over what
# the native build compiles). A finding silenced in a script says why beside it.
# --windows: clang-tidy over the win64 build's sources too, the demo taskbar's
# among them, through mingw's headers (3 minutes more on 2 cores, so not in CI).
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
tidy() {  # tidy BUILD FOLDERS ARG...: clang-tidy over the build's own sources in those folders
  local build=$1 folders=$2 found
  shift 2
  if [ ! -f "$build/compile_commands.json" ]; then
    echo "clang-tidy: no $build/compile_commands.json; configure its preset first"
    return 1
  fi
  mapfile -t found < <(python3 -c 'import json, sys; print("\n".join(sorted({e["file"] for e in json.load(sys.stdin)})))' \
    <"$build/compile_commands.json" | grep -E "^$root/($folders)/")
  units+=("${found[@]}")
  # Its count of what it hid in system headers goes to stderr, and is dropped; the findings stay.
  printf '%s\n' "${found[@]}" | xargs -P "$(nproc)" -n 1 clang-tidy -p "$build" --quiet "$@" 2>/dev/null
}
tidy build/linux 'src|tests' || status=1
if [ "${1:-}" = --windows ]; then
  # clang reads mingw's C++ headers only when told where they are.
  mapfile -t headers < <(x86_64-w64-mingw32-g++-posix -x c++ -E -v /dev/null 2>&1 >/dev/null |
    sed -n 's|^ \(/.*/include/c++.*\)$|--extra-arg=-isystem\1|p')
  tidy build/win64 'src/windows|tools' --extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-nostdinc++ \
    --extra-arg=-Wno-ignored-optimization-argument "${headers[@]}" || status=1
fi
echo "lint: ${#shells[@]} shell scripts, ${#pythons[@]} Python scripts, ${#sources[@]} C++ files (${#units[@]} through clang-tidy): $([ $status = 0 ] && echo clean || echo FINDINGS)"
exit $status
