#!/usr/bin/env bash
# The day editor and the schedule list on the real bar: a double-click on a
# day opens the editor, two lines typed there and "登録" land in the month's
# schedule file in Shift-JIS, the bar frames the day, and "予定月間表示" lists
# the entry and brings the bar back to its month.
# Usage: e2e_editor.sh path/to/murvane
source "$(dirname "$0")/lib.sh"
bin="$(realpath "$1")"
e2e_init
e2e_require xdotool xwininfo xwd iconv od xmodmap

framed() { rect_has_color "${frame_rect[@]}" ffffff; }
unframed() { ! framed; }

# A day of this month at least three days from today, so that today's
# picture does not touch its cell.
year="$(date +%Y)"
month="$(date +%m)"
today="$((10#$(date +%d)))"
day=""
for d in $(seq 3 28); do
  if [ $((d > today ? d - today : today - d)) -ge 3 ]; then
    day="$d"
    break
  fi
done
dd="$(printf %02d "$day")"

data="$(e2e_make_datadir)"
e2e_start_xvfb 1280x800x24
xdotool mousemove 5 5
e2e_start_murvane "$bin" "$data"
bar="$(e2e_wait_window "$MURVANE_PID")"
e2e_wait_until 5 e2e_geometry_is "$bar" 2 0 || e2e_fail "the bar is not shown: $(e2e_geometry "$bar")"

# Column k of the strip starts at screen x 2 + 171 + 14(k - 1); a raised
# frame's white edges run along the column left of it and the cell's top row.
cell_x=$((2 + 171 + 14 * (day - 1)))
frame_rect=($((cell_x - 1)) 19 13 1)
e2e_wait_until 3 unframed || e2e_fail "day $day is framed before it has an entry"

# The double-click takes the position of the last pointer move over the strip.
e2e_pointer $((cell_x + 6)) 26
sleep 0.2
e2e_open_editor
ex="$EDITOR_X" ey="$EDITOR_Y"
[ "$ex" = $((cell_x + 4)) ] && [ "$ey" = 67 ] || e2e_fail "editor at $ex,$ey, expected $((cell_x + 4)),67"

# The memo has the focus; the Japanese characters get keys of their own.
xdotool mousemove $((ex + 100)) $((ey + 120))
e2e_map_chars "会議資料B"
xdotool type --delay 40 "会議"
xdotool key Return
xdotool type --delay 40 "資料B"
# "登録" at 120, 8, 33 x 17.
xdotool mousemove $((ex + 136)) $((ey + 16)) click 1
e2e_wait_until 5 no_window_of_size 247x245 || { e2e_log >&2; e2e_fail "登録 did not close the editor"; }

file="$data/Yotei$year$month.Dat"
[ -f "$file" ] || e2e_fail "no $file after 登録"
text="$(iconv -f CP932 -t UTF-8 "$file")" || e2e_fail "$file is not Shift-JIS"
grep -qx "$month$dd=会議#~資料B"$'\r'"\?" <<<"$text" || e2e_fail "$file lacks $month$dd=会議#~資料B: $text"

# The bar slid away from the pointer at "登録"; the top row brings it back,
# redrawn after the editor closed: the day is framed.
e2e_pointer 5 0
e2e_wait_until 2 e2e_geometry_is "$bar" 2 0 || e2e_fail "the bar did not come back: $(e2e_geometry "$bar")"
e2e_pointer 5 5
e2e_wait_until 3 framed || e2e_fail "day $day has no frame on the bar after 登録"

# "来月" (button 4 at screen 46, 25): the next month has no entries.
e2e_pointer 46 25
xdotool click 1
e2e_wait_until 3 unframed || e2e_fail "the next month shows day $day framed"

# "予定月間表示" is the first item of the bar's menu.
e2e_pointer 400 10
before="$(visible_count)"
xdotool click 3
e2e_wait_until 3 count_above "$before" || e2e_fail "no menu on a right click"
xdotool key Down Return
e2e_wait_until 5 has_window_of_size 320x265 || { e2e_log >&2; e2e_fail "予定月間表示 opened no list"; }
read -r list lx ly <<<"$(windows_of_size 320x265)"

# A click below the rows makes the list active without choosing a row; the
# first Down then chooses the first entry, and the bar jumps to its month.
xdotool mousemove $((lx + 150)) $((ly + 220)) click 1
sleep 0.2
e2e_wait_until 3 unframed || e2e_fail "opening the list moved the bar"
xdotool key Down
e2e_wait_until 3 framed || { e2e_log >&2; e2e_fail "choosing the entry did not bring its month back"; }

# "終了" in the list's menu bar closes it.
xdotool mousemove $((lx + 16)) $((ly + 9)) click 1
e2e_wait_until 5 no_window_of_size 320x265 || e2e_fail "終了 did not close the list"

kill -0 "$MURVANE_PID" || e2e_fail "the program ended"
echo "PASS"
