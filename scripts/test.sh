#!/usr/bin/env bash
# Every test: installs what a fresh machine lacks, lints the scripts and the
# C++ layout, builds every preset with warnings as errors, and runs the
# native, fuzz and Wine test suites (the Wine ones include the end-to-end
# scenarios and the release zips) and the README's own commands. Where the
# kernel runs no 32-bit programs (or CLEP_NO_32BIT=1), the 32-bit exe is
# still built and checked, but its Wine tests are skipped.
#
# The two exes' Wine suites and the README's run commands wait on Wine more
# than they compute, so they run side by side, two scenarios of each at a
# time (half the machine still idles), each scenario with its own display,
# prefix and wineserver; the native suites run meanwhile, niced, so that they
# never starve a scenario's timing.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
[ "${CLEP_NO_32BIT:-}" = 1 ] && export PATH=$root/scripts/no-32bit:$PATH
scripts/install-deps.sh

for preset in linux win32 win64 fuzz; do
  cmake --preset "$preset" -DCLEP_WERROR=ON >/dev/null
  cmake --build --preset "$preset"
done

started=$SECONDS
names=()
pids=()
# A suite in the background: its output to build/NAME-tests.log, a line when it ends.
suite() {
  local name=$1
  shift
  (
    begun=$SECONDS
    if "$@" >"build/$name-tests.log" 2>&1; then result=passed; else result=FAILED; fi
    echo "$name: $result in $((SECONDS - begun)) s" | tee "build/$name-tests.result"
    [ $result = passed ]
  ) &
  names+=("$name")
  pids+=($!)
}
rm -f build/*-tests.result
# A Wine test that fails runs once more: a second failure fails the suite, and
# a first one is named in the summary with its line, never passed over.
suite win32 ctest --preset win32 -j2 --repeat until-pass:2
suite win64 ctest --preset win64 -j2 --repeat until-pass:2
suite readme-run python3 tests/readme/run_commands.py
suite linux nice ctest --preset linux -j"$(nproc)"
# The linux suites' coverage of src/ (the Windows program's needs the Wine suites: scripts/coverage.sh).
suite coverage nice scripts/coverage.sh --linux
suite package nice scripts/test-package.sh
suite fuzz nice ctest --preset fuzz
suite lint nice scripts/lint.sh

status=0
for i in "${!pids[@]}"; do
  wait "${pids[$i]}" || status=1
done
for name in "${names[@]}"; do  # a failed suite's own output, whole
  grep -q passed "build/$name-tests.result" 2>/dev/null && continue
  echo
  echo "=== $name ==="
  cat "build/$name-tests.log"
done

# The skipped tests, by suite and reason: the reason is the line a test
# printed as "SKIP: reason", or the one after GoogleTest's "Skipped".
echo
echo "Summary (the suites took $((SECONDS - started)) s side by side):"
for name in "${names[@]}"; do
  printf '  %s\n' "$(cat "build/$name-tests.result" 2>/dev/null || echo "$name: no result")"
  sed -n 's/^\(100% tests passed\|[0-9]*% tests passed\).*/    \0/p' "build/$name-tests.log"
done
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
for preset in win32 win64; do
  awk -v preset="$preset" '
    / Testing: / { sub(/^.* Testing: /, ""); name = $0 }
    /^FAIL / && !(name in told) { told[name] = $0 }
    /^Test Failed\./ { failed[name] = 1 }
    /^Test Passed\./ && failed[name] { print "  passed only at its second run in " preset ": " name " (" told[name] ")" }
  ' "build/$preset/Testing/Temporary/LastTest.log" 2>/dev/null || true
done
exit $status
