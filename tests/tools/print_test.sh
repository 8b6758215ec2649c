#!/usr/bin/env bash
# Black-box cases of clepsydrium-print: arguments and INI in, output and exit code out.
# A check's `condition && passed=... || { failed=...; }` is meant: the count cannot fail, so the
# failure branch runs only when the condition does.
# shellcheck disable=SC2015
set -u
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work  # no user file here: the tester's own settings must not reach the cases
unset XDG_CONFIG_HOME
passed=0 failed=0
stamp() { while IFS= read -r line; do echo "$EPOCHREALTIME $line"; done; }  # each line with its arrival
fraction() { local f=${1#*.}; echo $((10#${f:0:3})); }                       # milliseconds past the second

ini() {  # ini NAME LINE... : writes an INI file with a [Configuration] section
  local file=$work/$1.ini
  shift
  printf '[Configuration]\r\n' >"$file"
  printf '%s\r\n' "$@" >>"$file"
}

check() {  # check NAME EXPECTED-EXIT EXPECTED-STDOUT ARG... ("<none>": no output at all)
  local name=$1 code=$2 want=$3 status
  shift 3
  "$tool" "$@" >"$work/stdout" 2>"$work/stderr"
  status=$?
  if [ "$want" = "<none>" ]; then : >"$work/want"; else printf '%s\n' "$want" >"$work/want"; fi
  if [ "$status" = "$code" ] && cmp -s "$work/stdout" "$work/want"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAIL %s: exit %s (want %s)\n--- got\n%s\n--- want\n%s\n' "$name" "$status" "$code" \
      "$(cat -A "$work/stdout")" "$(cat -A "$work/want")"
  fi
}

bad() {  # bad NAME WORD ARG... : exit 2, nothing on stdout, stderr names WORD then the usage
  local name=$1 word=$2
  shift 2
  check "$name" 2 "<none>" "$@"
  if ! head -n 1 "$work/stderr" | grep -qF -- "$word" || ! grep -q '^usage:' "$work/stderr"; then
    failed=$((failed + 1))
    printf 'FAIL %s: stderr does not name %s and give the usage:\n%s\n' "$name" "$word" "$(cat "$work/stderr")"
  fi
}

at="2024-01-02 14:25:07"
ini additive 'MedievalScript=0' 'RomanYear=1'
ini short 'DisplaySeconds=0' 'Lowercase=1' 'ZeroAsDash=1'
ini notip 'ToolTip=0'
ini cal 'MedievalScript=0' 'Lowercase=1' 'RomanYear=1'
ini feasts 'RomanFeasts=1' 'Lowercase=1'

ini midnight 'ZeroAsDash=1'  # a face that remembered midnight as its last second would print nothing
check midnight 0 "[-:-:-]" --ini "$work/midnight.ini" --format '[{text}]' --at "2024-01-01 00:00:00"
check leap-day 0 $'I:I:I\na.d. I Kalendas Martias MMXXIV' --at "2024-02-29 01:01:01"
check pad 0 $'     XIV:XXV:VII     \na.d. IV Nonas Ianuarias MMXXIV' --pad --at "$at"
check pad-additive-format 0 '[      XIIII:XXV:VII       ] a.d. IIII Nonas Ianuarias MMDCCLXXVII a.u.c.' \
  --ini "$work/additive.ini" --pad --format '[{text}] {tooltip}' --at "$at"
TZ=UTC0 check pad-short-json 0 '{"text": "     -:v     ", "tooltip": "kalendis ianuariis mm", "hora": "vigilia iii", "class": "clepsydrium"}' \
  --ini "$work/short.ini" --pad --json --at "2000-01-01 00:05:00" --place 41.9,12.5
check settings 0 "; read from $work/short.ini"$'\n[Configuration]\nDisplaySeconds=0\nLowercase=1\nToolTip=1
MedievalScript=1\nRomanYear=0\nZeroAsDash=1\nRomanFeasts=0\nRomanHours=0\nLatitude=\nLongitude=
; not used here, only by the Windows ticker: Borders ColourText ColourBack FontName FontBold FontItalic FontSize EveryTaskbar' \
  --ini "$work/short.ini" --settings
[ "$("$tool" --settings | head -n 1)" = "; no settings file $work/.config/clepsydrium/Clepsydrium.ini: the defaults" ] &&
  passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL settings-none: $("$tool" --settings)"; }
for missing in "$work/none.ini" "$work"; do  # exit 2, naming the file
  check "unreadable-ini-$missing" 2 "<none>" --ini "$missing" --at "$at"
  grep -qF "settings file $missing:" "$work/stderr" || { failed=$((failed + 1)); echo "FAIL $missing not named"; }
done

# The user's file: $XDG_CONFIG_HOME's (set and absolute) or else ~/.config's; --ini wins.
mkdir -p "$work/xdg/clepsydrium" "$work/home/.config/clepsydrium"
cp "$work/notip.ini" "$work/xdg/clepsydrium/Clepsydrium.ini"
cp "$work/short.ini" "$work/home/.config/clepsydrium/Clepsydrium.ini"
short=$'xiv:xxv\na.d. iv nonas ianuarias mmxxiv'
HOME=$work/home XDG_CONFIG_HOME=$work/xdg check user-file-xdg 0 $'XIV:XXV:VII\n' --at "$at"
HOME=$work/home XDG_CONFIG_HOME=$work/none check user-file-xdg-none 0 $'XIV:XXV:VII\na.d. IV Nonas Ianuarias MMXXIV' --at "$at"
for xdg in "" relative; do
  HOME=$work/home XDG_CONFIG_HOME=$xdg check "user-file-home-xdg-'$xdg'" 0 "$short" --at "$at"
done
HOME=$work/home check user-file-home-xdg-unset 0 "$short" --at "$at"
HOME=$work/home XDG_CONFIG_HOME=$work/xdg check ini-wins 0 $'XIIII:XXV:VII\na.d. IIII Nonas Ianuarias MMDCCLXXVII a.u.c.' --ini "$work/additive.ini" --at "$at"

TZ=UTC0 check json-feasts 0 '{"text": "xv:xxv:vii", "tooltip": "a.d. xv kalendas martias mmxxvii, lupercalia", "hora": "hora xi", "class": "clepsydrium"}' \
  --ini "$work/feasts.ini" --json --at "2027-02-15 15:25:07" --place 41.9,12.5

# The Roman hours: the text, the span before the date, the sun's times; a day the sun stays up or down.
ini hours 'RomanHours=1' 'MedievalScript=0' 'RomanYear=1' 'Latitude=41.9' 'Longitude=12.5'
TZ=Europe/Rome check hours-night 0 $'vigilia IIII\nvigilia quarta noctis, 03:53 to 07:36\na.d. VI Kalendas Ianuarias MMDCCLXXVIIII a.u.c.' \
  --ini "$work/hours.ini" --at "2025-12-27 04:00:00"
TZ=Europe/Rome check hours-place 0 'hora VIII' --ini "$work/hours.ini" --format '{hora}' --at "2027-06-21 15:00:00"
TZ=Europe/Rome check hours-given-place 0 'hora VI' --ini "$work/hours.ini" --format '{text}' --place 41.9,-20 --at "2027-06-21 15:00:00"
for row in "78,15 2027-06-21 up" "78,15 2027-12-21 down" "-78,15 2027-06-21 down"; do
  read -r place day want <<<"$row"
  check "sun-$place-$day" 0 "$want" --place "$place" --sun "$day"
done

check numeral-zero-dash 0 "-" --ini "$work/short.ini" --numeral 0
for n in -1 100 99999999999999999999; do check "numeral-out-of-range-$n" 0 "" --numeral "$n"; done

# The 366 days in calendar order, with the one that departs from the rule and the leap day.
dates=$("$tool" --latin-dates)
[ "$(wc -l <<<"$dates")" = 366 ] && [ "$(head -n 1 <<<"$dates")" = $'0101\tKalendis Ianuariis' ] &&
  grep -qxF $'0102\tKalendis Februaris' <<<"$dates" && grep -qxF $'2902\ta.d. I Kalendas Martias' <<<"$dates" &&
  passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL latin-dates"; }

bad unknown-option --bogus --bogus
bad stray-word stray stray
bad missing-ini-value --ini --ini
bad date-only 2024-01-02 --at 2024-01-02
bad no-such-day 2023-02-29 --at "2023-02-29 10:00:00"
bad hour-24 "24:00:00" --at "2024-01-02 24:00:00"
bad letters-in-date "2024-0a-02" --at "2024-0a-02 10:00:00"
bad numeral-fraction 3.5 --numeral 3.5
bad numeral-empty "''" --numeral ""
bad two-modes --latin-dates --numeral 4 --latin-dates
for month in 2024-13 2024-1 twelve; do bad "calendar-$month" "$month" --calendar "$month"; done
bad sunday-alone --sunday --sunday --at "$at"
for place in 91,0 0,180.5 41.9 41.9,x; do bad "place-$place" "$place" --place "$place"; done
bad place-with-numeral --place --place 1,1 --numeral 4
bad sun-day 2027-02-30 --sun 2027-02-30

# The week from Sunday, in the other style; today in reverse video only on a terminal.
check calendar-sunday-style 0 "             februarius mmdcclxxvii a.u.c.
    sol     lun     mar     mer     iov     ven     sat
                                      i      ii     iii
   iiii       v      vi     vii    viii   viiii       x
     xi     xii    xiii   xiiii      xv     xvi    xvii
  xviii  xviiii      xx     xxi    xxii   xxiii  xxiiii
    xxv    xxvi   xxvii  xxviii xxviiii
kalendae i, nonae v, idus xiii
feriae: xv lupercalia, xvii quirinalia, xxi feralia, xxiii terminalia, xxiiii regifugium, xxvii equirria" \
  --ini "$work/cal.ini" --calendar 2024-02 --sunday
[ "$(script -qec "$tool --calendar --at '$at'" /dev/null | grep -c $'\e\\[7mII\e\\[0m ')" = 1 ] &&
  passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL calendar-today: not marked on a terminal"; }
# From a terminal into a file: no reverse video there, and --follow's lines in it as they come.
script -qec "$tool --calendar --at '$at' >'$work/cal.txt'; timeout 2 $tool --follow >'$work/follow.txt'" /dev/null >/dev/null
{ grep -q ' II ' "$work/cal.txt" && ! grep -q $'\e' "$work/cal.txt" && [ -s "$work/follow.txt" ]; } &&
  passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL redirected: $(cat -v "$work/cal.txt" "$work/follow.txt")"; }
bad follow-with-at --at --follow --at "$at"
for args in "--json --numeral 4" "--follow --latin-dates" "--pad --settings"; do
  read -ra words <<<"$args"
  bad "line-mode $args" "${words[0]}" "${words[@]}"
done

"$tool" --at "$at" >/dev/full 2>/dev/null; [ $? = 1 ] && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL full-disk: not exit 1"; }
help=$("$tool" --help 2>&1); status=$?
for option in --ini --at --follow --json --pad --format --place --sun --numeral --latin-dates --settings --help; do
  [ "$status" = 0 ] && [ "${help##*$'\n'}" = "write with 1." ] && grep -q -- "^ *$option" <<<"$help" &&
    passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL help (exit $status, ending ${help##*$'\n'}): $option"; }
done

# --follow --json: each second's line, tooltip and all, as it turns; begun mid-second, so a late one shows.
until [ "$(fraction "$EPOCHREALTIME")" -ge 500 ]; do sleep 0.05; done
timeout 2.9 "$tool" --follow --json 2>&1 | stamp >"$work/follow"
lines=0
while read -r when line; do
  lines=$((lines + 1))
  [ "$line" = "$("$tool" --json --at "$(date -d "@${when%.*}" '+%F %T')")" ] &&
    { [ $lines = 1 ] || [ "$(fraction "$when")" -lt 300 ]; } || lines=99
done <"$work/follow"
[ "$lines" -ge 3 ] && [ "$lines" -le 4 ] && passed=$((passed + 1)) ||
  { failed=$((failed + 1)) && printf 'FAIL follow:\n%s\n' "$(cat "$work/follow")"; }

# A closed reader ends it within a second, quietly, with or without seconds, SIGPIPE ignored.
for file in notip short; do
  start=${EPOCHREALTIME/./}
  (trap '' PIPE && timeout 5 "$tool" --follow --ini "$work/$file.ini" 2>"$work/stderr" | head -n 1 >/dev/null)
  [ $((${EPOCHREALTIME/./} - start)) -lt 1000000 ] && [ ! -s "$work/stderr" ] && passed=$((passed + 1)) ||
    { failed=$((failed + 1)); echo "FAIL follow-closed-reader $file: $(cat "$work/stderr")"; }
done

# The settings file edited, replaced, deleted and made anew: the next line follows within a second.
ini live 'DisplaySeconds=0' 'ZeroAsDash=1'
"$tool" --follow --ini "$work/live.ini" >"$work/lines" &
follower=$!
step() {  # step NAME LINE-PATTERN COMMAND...
  sleep 0.2 && "${@:3}"
  for _ in $(seq 10); do tail -n 1 "$work/lines" | grep -qxE "$2" && passed=$((passed + 1)) && return || sleep 0.1; done
  failed=$((failed + 1)) && echo "FAIL live settings $1: $(tail -n 1 "$work/lines")"
}
# At local midnight the hour has no numeral.
upper='[-IVXL]*:[-IVXL]*' lower='[-ivxl]+:[-ivxl]+'
step start "$upper" true
step edited "$lower" ini live 'DisplaySeconds=0' 'ZeroAsDash=1' 'Lowercase=1'
step replaced "$upper" eval "ini new 'DisplaySeconds=0' 'ZeroAsDash=1' && mv '$work/new.ini' '$work/live.ini'"
step deleted '[IVXL]*:[IVXL]*:[IVXL]*' rm "$work/live.ini"
step created "$lower" ini live 'DisplaySeconds=0' 'ZeroAsDash=1' 'Lowercase=1'
# A burst of 50 writes costs a reload each, and then it sleeps: at most 0.1 s of CPU over both (schedstat's ns).
cpu() { read -r ns _ <"/proc/$follower/schedstat" && echo "$ns"; }
start=$(cpu) && for i in $(seq 50); do ini live 'DisplaySeconds=0' "Lowercase=$((i % 2))"; done && sleep 1
[ $(($(cpu) - start)) -lt 100000000 ] && passed=$((passed + 1)) || { failed=$((failed + 1)); echo "FAIL burst: $(($(cpu) - start)) ns"; }
step burst "$upper" true
kill $follower
# The user's file in folders made after the start, none of which was there.
HOME=$work/late "$tool" --follow >"$work/lines" &
follower=$!
step late-folder "$lower" eval "mkdir -p $work/late/.config/clepsydrium && cp $work/short.ini $work/late/.config/clepsydrium/Clepsydrium.ini"
kill $follower

# Without seconds, the next line as the minute turns: in a zone whose minute turns in 3 s.
zone=XXX-0:00:$(((57 - 10#$(date +%S) + 60) % 60))
TZ=$zone "$tool" --follow --ini "$work/short.ini" > >(stamp >"$work/minute") &
for _ in $(seq 50); do [ -n "$(sed -n 2p "$work/minute" 2>/dev/null)" ] && break || sleep 0.1; done
kill $!
read -r when line < <(sed -n 2p "$work/minute")
[ "$(TZ=$zone date -d "@${when%.*}" +%S)" = 00 ] && [ "$(fraction "$when")" -lt 300 ] &&
  [ "$line" = "$(TZ=$zone "$tool" --ini "$work/short.ini" --at "$(TZ=$zone date -d "@${when%.*}" '+%F %T')" | head -n 1)" ] &&
  passed=$((passed + 1)) || { failed=$((failed + 1)); printf 'FAIL minute in %s:\n%s\n' "$zone" "$(cat "$work/minute")"; }

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
