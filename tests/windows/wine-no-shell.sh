#!/usr/bin/env bash
# With no test shell, Wine's own taskbar window has no notification area: the
# exe must say so in its error box titled "Clepsydrium" and exit with code 1.
# Usage: wine-no-shell.sh EXE OUTDIR
set -uo pipefail
exe=$1
out=$2
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
mkdir -p "$out"

# A prefix of its own: its own wineserver, so no test shell of another test
# can be running in it, and stopping it stops nothing else.
export WINEPREFIX=$out/wineprefix

xvfb=""
exepid=""
cleanup() {
  [ -n "$exepid" ] && kill "$exepid" 2>/dev/null
  wineserver -k 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/poll.sh"

# Xvfb picks a free display itself and writes its number once it listens.
displayfile=$out/xvfb-display
rm -f "$displayfile"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
poll 20 test -s "$displayfile" || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$displayfile")

# The first run creates the prefix (wineboot), which takes a while. Wine's
# msgbox trace gives the box's text.
codefile=$out/exit-code
tracefile=$out/wine-trace.log
rm -f "$codefile"
(
  WINEDEBUG=-all,trace+msgbox "$root/scripts/wine-run" "$exe" 2>"$tracefile"
  echo $? >"$codefile"
) &
exepid=$!

box=$(timeout 120 xdotool search --sync --onlyvisible --name '^Clepsydrium$' | head -n1)
[ -n "$box" ] || fail "no message box titled Clepsydrium"
import -display "$DISPLAY" -window root "$out/wine-no-shell.png" || echo "no screenshot" >&2

xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box"
xdotool key --window "$box" Return
poll 30 test -s "$codefile" || fail "the exe still runs after the box was closed"
exepid=""
code=$(cat "$codefile")
[ "$code" -eq 1 ] || fail "exit code $code, expected 1"
expected='L"Run-time error -2147221503 (80040001)"'
grep -qF "$expected" "$tracefile" || fail "the box did not say $expected: $(cat "$tracefile")"
echo "error box shown, exit code 1 (screenshot $out/wine-no-shell.png)"
