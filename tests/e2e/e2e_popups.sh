#!/usr/bin/env bash
# The running bar's pop-ups, buttons and menu under a private X server: a day
# pop-up in the colour of Murvane.ini just below the pointer, "来月" widening
# or narrowing the bar for the next month, the version dialog from the menu,
# and "Exit" ending the program with status 0.
# Usage: e2e_popups.sh path/to/murvane
source "$(dirname "$0")/lib.sh"
bin="$(realpath "$1")"
e2e_init
e2e_require Xvfb xdotool xwininfo iconv od

# The screen pixel at X Y as RRGGBB, read from the XWD framebuffer file.
pixel() {
  local fb="$E2E_TMP/fb/Xvfb_screen0"
  local -a h
  read -r -a h <<<"$(od -An -v -tu4 --endian=big -N100 "$fb" | tr -s ' \n' ' ')"
  # header_size, ..., byte_order (7), ..., bits_per_pixel (11), bytes_per_line (12), ..., ncolors (19)
  local offset=$((h[0] + h[19] * 12 + $2 * h[12] + $1 * h[11] / 8))
  local -a b
  read -r -a b <<<"$(od -An -v -tx1 -j "$offset" -N4 "$fb")"
  if [ "${h[7]}" = 0 ]; then
    echo "${b[2]}${b[1]}${b[0]}"
  else
    echo "${b[1]}${b[2]}${b[3]}"
  fi
}

pixel_is() {
  [ "$(pixel "$1" "$2")" = "$3" ]
}

# Visible windows of the program other than the bar, newest last.
other_windows() {
  xdotool search --onlyvisible --pid "$MURVANE_PID" 2>/dev/null | grep -vx "$bar" || true
}

# Waits for a window of the program other than the bar and prints its id.
wait_other_window() {
  local deadline=$(($(date +%s%N) + 5000000000)) wid=""
  while :; do
    wid="$(other_windows | tail -n 1)"
    [ -n "$wid" ] && { echo "$wid"; return 0; }
    [ "$(date +%s%N)" -ge "$deadline" ] && return 1
    sleep 0.02
  done
}

no_other_window() {
  [ -z "$(other_windows)" ]
}

# The screen is mirrored into an XWD file so that pixels can be read without further tools.
mkdir -p "$E2E_TMP/fb"
e2e_start_xvfb 1280x800x24 -fbdir "$E2E_TMP/fb"
data="$(e2e_make_datadir)"
# DayPopColor 49407 is 0x00C0FF: red FF, green C0, blue 00.
printf '[表示色]\r\nDayPopColor=49407\r\nYoubiPopColor=16744576\r\n[その他]\r\nShowFRDate=0\r\n' |
  iconv -f UTF-8 -t CP932 >"$data/Murvane.ini"

xdotool mousemove 300 10
e2e_start_murvane "$bin" "$data"
bar="$(e2e_wait_window "$MURVANE_PID")"
days="$(date -d "$(date +%Y-%m-01) +1 month -1 day" +%d)"
e2e_wait_until 5 e2e_geometry_is "$bar" 3 $((170 + 14 * 10#$days + 10)) ||
  e2e_fail "bar not drawn: $(e2e_geometry "$bar")"

# Over the first day number: strip x 176, y 23 (the strip starts 2 pixels
# inside the window).
xdotool mousemove 178 25
pop="$(wait_other_window)" || { e2e_log >&2; e2e_fail "no pop-up over a day cell"; }
read -r px py pw ph <<<"$(e2e_geometry "$pop")"
[ "$px" = 171 ] || e2e_fail "pop-up left at $px, expected the cell's left 171"
[ "$py" = 43 ] || e2e_fail "pop-up top at $py, expected 20 below the pointer's strip y 23"
[ "$ph" -gt 10 ] && [ "$pw" -gt 40 ] || e2e_fail "pop-up too small: ${pw}x$ph"
# Its background, inside the border and away from the text.
e2e_wait_until 2 pixel_is $((px + pw - 3)) $((py + ph - 3)) ffc000 ||
  e2e_fail "pop-up background $(pixel $((px + pw - 3)) $((py + ph - 3))), expected ffc000"

# Down the cell the pop-up follows the pointer.
xdotool mousemove 178 30
e2e_wait_until 2 e2e_geometry_is "$pop" 2 48 || e2e_fail "pop-up did not follow: $(e2e_geometry "$pop")"

# Between the rows it goes.
xdotool mousemove 178 18
e2e_wait_until 2 no_other_window || e2e_fail "pop-up still shown between the rows"

# "来月": button 4 at header x 44, y 23. Three presses, one month each; among
# three months at least two lengths differ, so the width really changes.
xdotool mousemove 46 25
e2e_wait_until 2 wait_other_window >/dev/null || e2e_fail "no pop-up over the button"
for step in 1 2 3; do
  month_days="$(date -d "$(date +%Y-%m-01) +$((step + 1)) month -1 day" +%d)"
  month_width=$((170 + 14 * 10#$month_days + 10))
  xdotool click 1
  e2e_wait_until 3 e2e_geometry_is "$bar" 3 "$month_width" ||
    e2e_fail "width $(e2e_geometry "$bar") after $step x 来月, expected $month_width for a $month_days-day month"
done

# The context menu, driven by the keyboard: "Up" from the top wraps to the
# last item, "Exit"; once more skips the separator to "Version情報".
open_menu() {
  # The bar slides away while the pointer is over a dialog: the top row brings it back.
  xdotool mousemove 5 0
  e2e_wait_until 2 e2e_geometry_is "$bar" 2 0 || e2e_fail "bar not back: $(e2e_geometry "$bar")"
  xdotool mousemove 400 10
  sleep 0.1
  xdotool click 3
  wait_other_window >/dev/null || e2e_fail "no context menu"
  sleep 0.2
}

find_about() {
  about="$(xdotool search --onlyvisible --name 'ﾊﾞｰｼﾞｮﾝ情報' 2>/dev/null | head -n 1)"
  [ -n "$about" ]
}

open_menu
xdotool key Up Up Return
e2e_wait_until 3 find_about || e2e_fail "no version dialog"
read -r ax ay aw ah <<<"$(e2e_geometry "$about")"
[ "$aw" = 298 ] && [ "$ah" = 161 ] || e2e_fail "version dialog ${aw}x$ah, expected 298x161"
# "OK" at 103, 132, 75 x 25.
xdotool mousemove $((ax + 140)) $((ay + 144)) click 1
e2e_wait_until 3 no_other_window || e2e_fail "OK did not close the version dialog"
sleep 0.3
kill -0 "$MURVANE_PID" 2>/dev/null || e2e_fail "closing the version dialog ended the program"

open_menu
xdotool key Up Return
e2e_wait_until 5 bash -c "! kill -0 $MURVANE_PID 2>/dev/null" || e2e_fail "Exit did not end the program"
status=0
wait "$MURVANE_PID" || status=$?
[ "$status" = 0 ] || { e2e_log >&2; e2e_fail "Exit ended the program with status $status"; }
echo "PASS"
