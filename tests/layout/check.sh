#!/usr/bin/env bash
# The shape the code keeps: the core builds anywhere and holds no state, only
# src/windows touches Windows, nothing redefines the C++ runtime's own
# functions, and the shipped exe stays small and needs only Windows' own DLLs.
# Usage: check.sh ROOT NM CORE_LIB WINDOWS_OBJECT... -- EXE MAX_BYTES
set -uo pipefail
root=$1 nm=$2
shift 2
objects=()
while [ "$1" != "--" ]; do objects+=("$1"); shift; done
exe=$2 max=$3
failed=0
fail() { echo "FAIL: $*"; failed=1; }

cd "$root" || exit 1
core=(src/clock src/calendar src/settings src/startup src/taskbar src/menu src/trace)
hits=$(grep -rnE '#\s*include\s*[<"](windows|unistd|fcntl|sys/|platform/|posix/)' "${core[@]}")
[ -z "$hits" ] || fail "platform headers in the core:"$'\n'"$hits"
hits=$(grep -rnlE '#\s*include\s*<(windows|shellapi|commdlg|commctrl)\.h>' src tests |
  grep -v '^src/windows/')
[ -z "$hits" ] || fail "Windows headers outside src/windows: $hits"
hits=$(grep -rnE '^\s*namespace (std|__gnu_cxx|__cxxabiv1)\b|\b(__throw_[a-z_]+|__verbose_terminate_handler|__cxa_[a-z_]+)\s*\(' src)
[ -z "$hits" ] || fail "the runtime's own functions defined in src:"$'\n'"$hits"

# Writable data: only a function's own statics (LatinDates::For's tables)
# and their guards; section symbols aside.
# The objects' own format by name: nm would read their LTO symbols otherwise.
format=$("${nm%nm}objdump" -f "${objects[0]}" | sed -n 's/.*file format //p')
hits=$("$nm" --target="$format" -C "${objects[@]}" 2>/dev/null | grep -E ' [BbDd] ' |
  grep -vE ' \.(bss|data|gcc_except_table|rsrc)|guard variable for |\)::')
[ -z "$hits" ] || fail "writable data at namespace or file scope:"$'\n'"$hits"

dlls=$("${nm%nm}objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
bad=$(grep -viE '^((kernel|user|gdi|shell|advapi)32|msvcrt)\.dll$' <<<"$dlls")
{ [ -n "$dlls" ] && [ -z "$bad" ]; } || fail "imports beyond Windows' own DLLs: ${bad:-none read}"

size=$(wc -c <"$exe")
[ "$size" -le "$max" ] || fail "$exe is $size bytes, more than $max"
echo "exe: $size bytes (at most $max)"
exit $failed
