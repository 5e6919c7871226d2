#!/usr/bin/env bash
# The real murvane.exe under Wine on a private X server, as a Windows user
# meets it: the bar at the corner slides away and back, a day's pop-up, the
# day editor writing the month file in Shift-JIS, one bar per folder, a note
# written by another program, a calendar file's mark, start at login from
# the options dialog, --agenda printing what the Linux build prints, and the
# end of the session.
#
# Wine is not Windows, and the test goes by what Wine does implement:
# - Wine hears of the pointer only over its own windows, so the mouse hook
#   sees no motion elsewhere; the bar leaves on the Leave of its window
#   and comes back on motion over its last row, which Wine does deliver.
# - Wine has no input method for the X keyboard: Japanese text reaches the
#   editor through the clipboard (Ctrl+V), as a pasted note would.
# Usage: e2e_windows.sh murvane.exe [linux-murvane]
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/winelib.sh"
exe="$(realpath "$1")"
linux="${2:+$(realpath "$2")}"
e2e_init
e2e_require xdotool xwininfo xwd xclip iconv od
wine_prepare || exit 77
# The Wine server of this prefix talks to the X server of this run only.
"$WINESERVER" -k 2>/dev/null || true
trap '"$WINESERVER" -k 2>/dev/null || true; e2e_cleanup' EXIT

start_bar() {
  (cd "$data" && exec "$WINE" "$exe" "$@") >>"$E2E_TMP/murvane.log" 2>&1 &
  MURVANE_PID=$!
  E2E_PIDS+=("$MURVANE_PID")
}
# A visible window of the bar's process whose width is $1; prints "ID X Y H".
window_of_width() {
  local w x y ww hh
  for w in $(xdotool search --onlyvisible --pid "$MURVANE_PID" 2>/dev/null); do
    read -r x y ww hh <<<"$(e2e_geometry "$w" 2>/dev/null)" || continue
    [ "$ww" = "$1" ] && { echo "$w $x $y $hh"; return 0; }
  done
  return 1
}
no_window_of_width() { ! window_of_width "$1" >/dev/null; }
bar_at() { e2e_geometry_is "$bar" 2 "$1"; }
bar_down() {
  e2e_pointer 100 0
  e2e_wait_until 3 bar_at 0 || e2e_fail "touching the top row did not bring the bar back: $(e2e_geometry "$bar")"
  e2e_pointer 5 5
}
cell_x() { echo $((2 + 171 + 14 * ($1 - 1))); }
# A raised frame's white top edge runs along the day's cell.
framed() { rect_has_color $(($(cell_x "$1") - 1)) 19 13 1 ffffff; }
winpath() { "$WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# Three days of this month apart from each other and from today's picture.
year="$(date +%Y)" month="$(date +%m)" today="$((10#$(date +%d)))"
days=()
for d in $(seq 3 28); do
  [ $((d > today ? d - today : today - d)) -ge 3 ] || continue
  [ ${#days[@]} -gt 0 ] && [ $((d - days[-1])) -lt 3 ] && continue
  days+=("$d")
  [ ${#days[@]} -eq 3 ] && break
done
note_day="${days[0]}" cal_day="${days[1]}" outside_day="${days[2]}"
mmdd() { printf '%s%02d' "$month" "$1"; }
month_days="$(date -d "$year-$month-01 +1 month -1 day" +%d)"

data="$(e2e_make_datadir)"
printf '[Calendar1]\nName=仕事\nSource=events.ics\nColor=#d06b64\nShown=1\n' >"$data/Calendars.ini"
printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:e1\r\nDTSTART;VALUE=DATE:%s%s\r\nSUMMARY:出張\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' \
  "$year" "$(mmdd "$cal_day")" >"$data/events.ics"

e2e_start_xvfb 1280x800x24
xdotool mousemove 700 400
start_bar
bar="$(e2e_wait_window "$MURVANE_PID" 30)"

# At the corner, 37 high and as wide as the month; the pointer is elsewhere,
# so it slides up to its last row.
width=$((180 + 14 * 10#$month_days))
e2e_wait_until 5 e2e_geometry_is "$bar" 3 "$width" || e2e_fail "bar $(e2e_geometry "$bar"), expected width $width"
read -r x _ _ h <<<"$(e2e_geometry "$bar")"
[ "$x" = 0 ] && [ "$h" = 37 ] || e2e_fail "bar $(e2e_geometry "$bar"), expected at x 0 and 37 high"
e2e_wait_until 5 bar_at -36 || e2e_fail "the bar did not slide up: $(e2e_geometry "$bar")"
bar_down
e2e_pointer 700 400
e2e_wait_until 3 bar_at -36 || e2e_fail "the bar stayed when the pointer left: $(e2e_geometry "$bar")"
bar_down

# The calendar file's event marks its day in the calendar's colour.
# The strip lies 2 pixels inside the window: the mark is at screen rows 31 and 32.
e2e_wait_until 5 rect_has_color "$(($(cell_x "$cal_day") + 2))" 31 10 2 d06b64 ||
  e2e_fail "day $cal_day has no mark of the calendar"

# A day's pop-up, then the editor on a double-click there.
e2e_pointer $(($(cell_x "$note_day") + 6)) 26
windows_shown() { [ "$(xdotool search --onlyvisible --pid "$MURVANE_PID" 2>/dev/null | wc -l)" -gt 1 ]; }
e2e_wait_until 3 windows_shown || e2e_fail "no pop-up over day $note_day"
xdotool click --repeat 2 --delay 80 1
e2e_wait_until 5 window_of_width 247 >/dev/null || { e2e_log >&2; e2e_fail "the double-click opened no editor"; }
read -r _ ex ey _ <<<"$(window_of_width 247)"
xdotool mousemove $((ex + 100)) $((ey + 120)) click 1
printf '会議\n資料B' | xclip -selection clipboard -i 2>/dev/null
xdotool key ctrl+a BackSpace ctrl+v
sleep 0.3
# "登録" at 120, 8, 33 x 17.
xdotool mousemove $((ex + 136)) $((ey + 16)) click 1
e2e_wait_until 5 no_window_of_width 247 || e2e_fail "登録 did not close the editor"

# The bytes the Linux build writes for the same note: Shift-JIS, CR LF.
file="$data/Yotei$year$month.Dat"
expected="$E2E_TMP/expected.dat"
printf '[予定]\r\n%s=会議#~資料B\r\n' "$(mmdd "$note_day")" | iconv -f UTF-8 -t CP932 >"$expected"
cmp "$file" "$expected" || e2e_fail "$file: $(od -c "$file" | head -5)"

# One bar per data folder: a second start there says so in a message box
# and ends with a failure; the first stays.
first="$MURVANE_PID"
start_bar
second="$MURVANE_PID"
box="$(e2e_wait_window "$second" 20)"
read -r bx by bw bh <<<"$(e2e_geometry "$box")"
[ "$bh" != 37 ] || e2e_fail "the second start showed a bar"
# Wine gives a new window no keyboard focus without a window manager: a click does.
xdotool mousemove $((bx + bw / 2)) $((by + 8)) click 1 key Return
e2e_wait_until 10 eval '! kill -0 "$second" 2>/dev/null' || e2e_fail "the second start did not end after its message"
rc=0
wait "$second" || rc=$?
[ "$rc" -ne 0 ] || e2e_fail "the second start ended with status 0"
MURVANE_PID="$first"
kill -0 "$first" 2>/dev/null || e2e_fail "the first bar ended at the second start"
xdotool search --onlyvisible --pid "$first" | grep -qx "$bar" || e2e_fail "the first bar's window is gone"

# A note written by another program shows within 1.5 s.
bar_down
framed "$outside_day" && e2e_fail "day $outside_day is framed before it has a note"
printf '[予定]\r\n%s=会議#~資料B\r\n%s=歯医者\r\n' "$(mmdd "$note_day")" "$(mmdd "$outside_day")" |
  iconv -f UTF-8 -t CP932 >"$file.new"
mv "$file.new" "$file"
e2e_wait_until 1.5 framed "$outside_day" 2>/dev/null || e2e_wait_until 0 framed "$outside_day" ||
  e2e_fail "the outside note on day $outside_day did not show within 1.5 s"
framed "$note_day" || e2e_fail "day $note_day lost its frame"

# "ログイン時に起動する" on the options page "その他": the Startup shortcut
# starts the program in this data folder; unticking removes it.
startup="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/StartUp/Murvane.lnk"
rm -f "$startup"
toggle_login_start() {
  bar_down
  e2e_pointer 400 10
  xdotool click 3
  sleep 0.5
  xdotool key Down Down Return
  e2e_wait_until 10 window_of_width 312 >/dev/null || { e2e_log >&2; e2e_fail "オプション opened no options dialog"; }
  local ox oy
  read -r _ ox oy _ <<<"$(window_of_width 312)"
  xdotool mousemove $((ox + 241)) $((oy + 11)) click 1
  sleep 0.3
  xdotool mousemove $((ox + 34)) $((oy + 218)) click 1
  sleep 0.2
  xdotool mousemove $((ox + 284)) $((oy + 266)) click 1
  e2e_wait_until 5 window_of_width 178 >/dev/null || e2e_fail "閉じる asked no question"
  xdotool key Return
  e2e_wait_until 10 no_window_of_width 312 || e2e_fail "the options dialog did not close after OK"
}
toggle_login_start
e2e_wait_until 3 test -f "$startup" || e2e_fail "ログイン時に起動する made no Startup shortcut"
strings -el "$startup" | grep -qxF "$(winpath "$data")" || e2e_fail "the Startup shortcut does not start in $data"
toggle_login_start
e2e_wait_until 3 test ! -e "$startup" || e2e_fail "unticking ログイン時に起動する left the Startup shortcut"

# --agenda prints to a pipe what the Linux build prints for the same folder,
# each reading the calendar file afresh.
from="$year-$month-01" to="$year-$month-28"
got="$("$WINE" "$exe" --agenda "$from" "$to" --refresh --data "$(winpath "$data")" 2>"$E2E_TMP/agenda.err")" ||
  e2e_fail "--agenda failed: $(cat "$E2E_TMP/agenda.err")"
want="$(printf '%s\t\t\tnote\t\t会議\\n資料B\n' "$year-$month-$(printf %02d "$note_day")"
        printf '%s\t\t\tevent\t仕事\t出張\n' "$year-$month-$(printf %02d "$cal_day")"
        printf '%s\t\t\tnote\t\t歯医者\n' "$year-$month-$(printf %02d "$outside_day")")"
if [ -n "$linux" ]; then
  want="$(cd "$data" && XDG_CACHE_HOME="$E2E_TMP/cache" "$linux" --agenda "$from" "$to" --refresh)" || e2e_fail "the Linux build's --agenda failed"
fi
[ "$got" = "$want" ] || e2e_fail "--agenda printed
$got
where the Linux build prints
$want"
# The other commands: the same lines and exit codes.
if [ -n "$linux" ]; then
  for args in "--calendars" "--agenda $year-13-01" "--agenda --now"; do
    rc=0 lrc=0
    got="$("$WINE" "$exe" $args --data "$(winpath "$data")" 2>"$E2E_TMP/err")" || rc=$?
    want="$(cd "$data" && XDG_CACHE_HOME="$E2E_TMP/cache" "$linux" $args 2>"$E2E_TMP/lerr")" || lrc=$?
    [ "$got $rc $(cat "$E2E_TMP/err")" = "$want $lrc $(cat "$E2E_TMP/lerr")" ] ||
      e2e_fail "murvane.exe $args: $rc $got $(cat "$E2E_TMP/err"); the Linux build: $lrc $want $(cat "$E2E_TMP/lerr")"
  done
fi

kill -0 "$first" 2>/dev/null || { e2e_log >&2; e2e_fail "the bar ended"; }

# The end of the session (wineboot sends WM_QUERYENDSESSION and
# WM_ENDSESSION): the editor's unsaved text is dropped, the bar ends and gives
# the folder up, and the next start there shows the bar.
bar_down
e2e_pointer $(($(cell_x "$outside_day") + 6)) 26
sleep 0.3
xdotool click --repeat 2 --delay 80 1
e2e_wait_until 5 window_of_width 247 >/dev/null || e2e_fail "the double-click opened no editor"
read -r _ ex ey _ <<<"$(window_of_width 247)"
xdotool mousemove $((ex + 100)) $((ey + 120)) click 1 type "unsaved"
cp "$file" "$E2E_TMP/before-end.dat"
"$WINE" wineboot --end-session >/dev/null 2>&1 || true
e2e_wait_until 15 eval '! kill -0 "$first" 2>/dev/null' || e2e_fail "the bar did not end with the session"
cmp -s "$file" "$E2E_TMP/before-end.dat" || e2e_fail "the end of the session wrote $file"
ls "$data" | grep -q '\.lock$' && e2e_fail "the bar kept its lock past the end of the session: $(ls "$data")"
start_bar
next="$(e2e_wait_window "$MURVANE_PID" 30)"
e2e_wait_until 5 e2e_geometry_is "$next" 4 37 || e2e_fail "the next start showed no bar: $(e2e_log)"
echo "PASS"
