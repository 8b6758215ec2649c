#!/usr/bin/env bash
# Every test: installs what a fresh machine lacks, builds every preset with
# warnings as errors, and runs the native, fuzz and Wine test suites (the
# Wine ones include the end-to-end scenarios and the release zips). Where the
# kernel runs no 32-bit programs (or CLEP_NO_32BIT=1), the 32-bit exe is
# still built and checked, but its Wine tests are skipped.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
[ "${CLEP_NO_32BIT:-}" = 1 ] && export PATH=$root/scripts/no-32bit:$PATH
scripts/install-deps.sh

for preset in linux win32 win64 fuzz; do
  cmake --preset "$preset" -DCLEP_WERROR=ON >/dev/null
  cmake --build --preset "$preset"
done

status=0
summary=()
suite() {
  local name=$1 log=build/$1-tests.log
  shift
  if "$@" 2>&1 | tee "$log"; then
    summary+=("$name: passed")
  else
    summary+=("$name: FAILED")
    status=1
  fi
}
suite linux ctest --preset linux -j"$(nproc)"
# The linux suites' coverage of src/ (the Windows program's needs the Wine suites: scripts/coverage.sh).
suite coverage scripts/coverage.sh --linux
suite package scripts/test-package.sh
suite win32 ctest --preset win32
suite fuzz ctest --preset fuzz
suite win64 ctest --preset win64

# The skipped tests, by suite and reason: the reason is the line a test
# printed as "SKIP: reason", or the one after GoogleTest's "Skipped".
echo
echo "Summary:"
printf '  %s\n' "${summary[@]}"
for preset in linux win32 fuzz win64; do
  awk -v preset="$preset" '
    FILENAME ~ /tests.log$/ && /\*\*\*Skipped/ { sub(/^.*Test +#[0-9]+: /, ""); skipped[$1] = 1; next }
    / Testing: / { sub(/^.* Testing: /, ""); name = $0 }
    /^SKIP: / && skipped[name] { sub(/^SKIP: /, ""); why[$0] = why[$0] " " name }
    gtest { why[$0] = why[$0] " " name; gtest = 0 }
    /: Skipped$/ { gtest = skipped[name] }
    END { for (w in why) print "  skipped in " preset ":" why[w] " (" w ")" }
  ' "build/$preset-tests.log" "build/$preset/Testing/Temporary/LastTest.log" 2>/dev/null || true
done
exit $status
