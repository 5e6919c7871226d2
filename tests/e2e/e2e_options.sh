#!/usr/bin/env bash
# The options dialog on the real bar: "オプション" opens it, a day off added
# there and confirmed lands in both holiday files in Shift-JIS, and the bar
# redraws the day with its frame and red number.
# Usage: e2e_options.sh path/to/murvane
source "$(dirname "$0")/lib.sh"
bin="$(realpath "$1")"
e2e_init
e2e_require xdotool xwininfo iconv od
# The screen is read with xwd (package x11-apps); without it only the files are checked.
pixels=1
command -v xwd >/dev/null || { pixels=0; echo "NOTE: xwd is not installed, the bar's pixels are not checked"; }

# A weekday of this month at least three days from today, so that neither the
# weekend colours nor today's marks touch its cell.
year="$(date +%Y)"
month="$(date +%m)"
today="$((10#$(date +%d)))"
day=""
for d in $(seq 3 28); do
  weekday="$(date -d "$year-$month-$(printf %02d "$d")" +%u)"
  if [ "$weekday" -le 5 ] && [ $((d > today ? d - today : today - d)) -ge 3 ]; then
    day="$d"
    break
  fi
done
[ -n "$day" ] || e2e_fail "no weekday to use this month"
key="$month$(printf %02d "$day")"

data="$(e2e_make_datadir)"
# A day off written the way another editor would, in Shift-JIS: it must survive.
printf '[祝日]\r\n0101=元日\r\n' | iconv -f UTF-8 -t CP932 >"$data/HorDay.ini"
cp "$data/HorDay.ini" "$data/HorDay2.ini"

e2e_start_xvfb 1280x800x24
xdotool mousemove 5 5
e2e_start_murvane "$bin" "$data"
wid="$(e2e_wait_window "$MURVANE_PID")"
e2e_wait_until 5 e2e_geometry_is "$wid" 2 0 || e2e_fail "the bar is not shown: $(e2e_geometry "$wid")"

# The day's cells on the screen: column k of the strip starts at 2 + 171 + 14(k - 1).
cell_x=$((2 + 171 + 14 * (day - 1)))
label_cell=("$cell_x" 3 14 15) # the weekday label, framed for a named day
number_cell=("$cell_x" 19 14 15)
if [ "$pixels" = 1 ]; then
  rect_has_color "${number_cell[@]}" ff0000 && e2e_fail "day $day is red before it is a day off"
  rect_has_color "${label_cell[@]}" ffffff && e2e_fail "day $day is framed before it is a named day"
fi

# "オプション" is the second item of the bar's menu.
before="$(visible_count)"
xdotool click 3
e2e_wait_until 3 count_above "$before" || e2e_fail "no menu on a right click"
xdotool key Down Down Return
e2e_wait_until 5 has_window_of_size 312x279 || { e2e_log >&2; e2e_fail "オプション opened no options dialog"; }
read -r _ ox oy <<<"$(windows_of_size 312x279)"

# "追加" on the first page (the page starts below the tab row).
xdotool mousemove $((ox + 283)) $((oy + 40)) click 1
e2e_wait_until 5 has_window_of_size 169x130 || e2e_fail "追加 opened no entry dialog"
read -r _ ex ey <<<"$(windows_of_size 169x130)"

# Month typed, day by its arrow key, a name, "休日" ticked, OK.
xdotool mousemove $((ex + 20)) $((ey + 18)) click 1
xdotool key ctrl+a
xdotool type "$((10#$month))"
xdotool key Tab
for ((i = 1; i < day; i++)); do xdotool key Up; done
xdotool key Tab
xdotool type "Kinenbi"
xdotool key Tab Tab space
xdotool mousemove $((ex + 40)) $((ey + 108)) click 1
e2e_wait_until 5 no_window_of_size 169x130 || e2e_fail "the entry dialog did not close on OK"

# "閉じる", then OK to "変更しますか？".
before="$(visible_count)"
xdotool mousemove $((ox + 285)) $((oy + 265)) click 1
e2e_wait_until 5 count_above "$before" || e2e_fail "閉じる asked no question"
xdotool key Return
e2e_wait_until 5 no_window_of_size 312x279 || e2e_fail "the options dialog did not close after OK"
sleep 0.2
kill -0 "$MURVANE_PID" 2>/dev/null || { e2e_log >&2; e2e_fail "the program ended when the options dialog closed"; }

for file in HorDay.ini HorDay2.ini; do
  text="$(iconv -f CP932 -t UTF-8 "$data/$file")" || e2e_fail "$file is not Shift-JIS"
  grep -qx "$key=Kinenbi"$'\r'"\?" <<<"$text" || e2e_fail "$file lacks $key=Kinenbi: $text"
  grep -qx "0101=元日"$'\r'"\?" <<<"$text" || e2e_fail "$file lost 0101=元日: $text"
done

# Back over the bar: the redrawn month shows the day framed and red.
xdotool mousemove 5 0
e2e_wait_until 2 e2e_geometry_is "$wid" 2 0 || e2e_fail "the bar did not come back: $(e2e_geometry "$wid")"
xdotool mousemove 5 5
if [ "$pixels" = 1 ]; then
  e2e_wait_until 3 rect_has_color "${number_cell[@]}" ff0000 || e2e_fail "day $day is not red on the bar"
  rect_has_color "${label_cell[@]}" ffffff || e2e_fail "day $day has no frame on the bar"
fi

kill -0 "$MURVANE_PID" || e2e_fail "the program ended"
echo "PASS"
