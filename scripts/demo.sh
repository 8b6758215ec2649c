#!/usr/bin/env bash
# Shows Clepsydrium at work: the real Windows program under Wine, in the demo
# taskbar (tools/demo-taskbar, loaded into the program's process so that Wine
# shows the ticker's painting).
#
# With $DISPLAY it runs there until you choose Exit in the ticker's menu
# (right-click it). Without, it runs on its own Xvfb, saves a screenshot,
# prints its path and stops. --win11 lays the taskbar out as Windows 11 does;
# --monitors N adds a taskbar for each of N - 1 more monitors, a band of the
# screen each; --scales A,B,... draws each monitor's bar at that scale (whole
# percents from 100 to 300, the primary's first, 100 for those left out) and
# shows the program's end-to-end build, the one that reads each bar's scale
# from the taskbar, as Wine gives every monitor one DPI; --theme
# dark|light|accent paints the bars as Windows 10 and 11 do in that theme (the
# theme's values in the prefix's registry); --win32 shows the shipped 32-bit
# exe instead of its 64-bit twin; --calendar opens the calendar from the
# ticker's menu and points at a day.
set -euo pipefail
layout=classic
monitors=1
preset=win64
theme=""
calendar=""
scales=""
usage() { echo "usage: scripts/run.sh [--win11] [--monitors N] [--scales A,B,...] [--theme dark|light|accent] [--win32] [--calendar]" >&2; exit 2; }
while [ $# -gt 0 ]; do
  case $1 in
    --win11) layout=win11 ;;
    --monitors) [[ ${2:-} =~ ^[1-9]$ ]] || usage; monitors=$2; shift ;;
    --scales) [[ ${2:-} =~ ^[1-3][0-9][0-9](,[1-3][0-9][0-9])*$ ]] || usage; scales=$2; shift ;;
    --theme) [[ ${2:-} =~ ^(dark|light|accent)$ ]] || usage; theme=$2; shift ;;
    --win32) preset=win32 ;;
    --calendar) calendar=1 ;;
    *) usage ;;
  esac
  shift
done
percents=()
[ -n "$scales" ] && IFS=, read -ra percents <<<"$scales"
[ ${#percents[@]} -le "$monitors" ] || usage
for percent in "${percents[@]}"; do
  [ "$percent" -le 300 ] || usage
done
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

cmake --preset $preset >/dev/null
exe=Clepsydrium
[ -n "$scales" ] && exe=Clepsydrium-faultable
cmake --build --preset $preset --target $exe demo_taskbar_dll demo_inject >/dev/null
build=$root/build/$preset
out=$root/build/demo
mkdir -p "$out/app" "$out/shell"
cp "$build/src/windows/$exe.exe" "$out/app/Clepsydrium.exe"
rm -f "$out/shell/"*

export WINEPREFIX=$out/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$root/scripts/wine" --check "$build/src/windows/$exe.exe" >&2 || exit 2
"$root/scripts/wine-prefix" "$WINEPREFIX"

winpath() { local p=$1; echo "Z:${p//\//\\}"; }

xvfb=""
program=""
cleanup() {
  [ -n "$program" ] && kill "$program" 2>/dev/null
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
  fi
  return 0
}
trap cleanup EXIT

source "$root/scripts/poll.sh"

headless=""
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  # A strip of desktop above the taskbar is all there is to see, and a band
  # for each other monitor's, grown with its scale. Xvfb picks a free display
  # and writes its number once it listens.
  screen_height=${calendar:+160}
  for ((n = 0; n < monitors; n++)); do
    screen_height=$((screen_height + (n == 0 ? 120 : 80) * ${percents[n]:-100} / 100))
  done
  rm -f "$out/display"
  Xvfb -displayfd 3 -screen 0 "640x${screen_height}x24" -nolisten tcp -noreset 3>"$out/display" \
    >"$out/xvfb.log" 2>&1 &
  xvfb=$!
  display_ready() { grep -q '^[0-9]*$' "$out/display" 2>/dev/null && [ -n "$(cat "$out/display")" ]; }
  poll 20 display_ready || { echo "Xvfb did not start" >&2; exit 1; }
  number=$(head -n1 "$out/display")
  export DISPLAY=:$number
fi

# Without a theme the prefix's values go: the classic bars.
export CLEP_SHELL_DIR CLEP_SHELL_DEMO=1 CLEP_SHELL_LAYOUT=$layout CLEP_SHELL_MONITORS=$monitors \
  CLEP_SHELL_THEME=${theme:-classic} CLEP_SHELL_SCALES=$scales
CLEP_SHELL_DIR=$(winpath "$out/shell")
taskbar=$build/tools/demo-taskbar
"$root/scripts/wine" "$taskbar/demo_inject.exe" "$(winpath "$taskbar/demo_taskbar.dll")" \
  "$(winpath "$out/app/Clepsydrium.exe")" >"$out/program.log" 2>&1 &
program=$!

# The tickers' faces, in the tray or (Windows 11) in the bar itself and in
# every other bar; or a box.
has_text() {
  local faces
  faces=$(grep -cE '^(child|bar|s[0-9]+)\.[0-9]+\.0\.text= *[IVXLivxl-]*:[IVXLivxl:-]*$' \
    "$out/shell/state.txt" 2>/dev/null) || true
  [ "${faces:-0}" -ge "$monitors" ]
}
said_no() { grep -q $'\tdialog ' "$out/shell/events.log" 2>/dev/null; }
settled() { has_text || said_no; }
if ! poll 60 settled; then
  echo "the ticker did not show its text; see $out" >&2
  exit 1
fi
if ! has_text; then
  [ -n "$headless" ] && import -display "$DISPLAY" -window root "$out/clepsydrium-demo.png"
  echo "the program showed a message box instead of the ticker; see $out" >&2
  exit 1
fi

if [ -z "$headless" ]; then
  echo "Clepsydrium runs on $DISPLAY: right-click the ticker for its menu, Exit to end."
  wait "$program" || true
  program=""
  exit 0
fi

# The tickers read their bars again for 1.5 s after start, as a bar paints late.
sleep 1.5
if [ -n "$calendar" ]; then
  # A right-click on the primary's ticker, the menu's second item, then a day.
  read -r x y w h < <(awk -F= '$1 ~ /^child\./ && $2 == "ClepsydriumTicker" { sub(/class$/, "rect", $1); key = $1 }
    { value[$1] = $2 } END { split(value["tray_origin"], o, " "); split(value[key], r, " ");
    print o[1] + r[1], o[2] + r[2], r[3], r[4] }' "$out/shell/state.txt")
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 3
  sleep 0.5
  xdotool key --delay 15 Down Down Return
  months='Ianuarius|Februarius|Martius|Aprilis|Maius|Iunius|Iulius|Augustus|September|October|November|December'
  # A search fails outright when a window it reads goes meanwhile (the menu, a
  # tooltip): it is made again, not taken for the calendar's absence.
  window=""
  for _ in $(seq 40); do
    window=$(xdotool search --onlyvisible --name "^($months) " 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    sleep 0.25
  done
  if [ -z "$window" ]; then
    echo "the calendar did not open; see $out" >&2
    exit 1
  fi
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT * 11 / 20))
  sleep 1.5  # the tooltip's delay
fi

shot=$out/clepsydrium-demo.png
import -display "$DISPLAY" -window root "$shot"
echo "$shot"
