#!/usr/bin/env bash
# A calendar file listed in Calendars.ini on the running bar under a private X
# server: its colour under the event's day and nowhere else, the event as an
# extra line of that day's pop-up, and an edit of the file shown within 1.5 s;
# before the bar ever ran, --agenda prints the event from the file.
# Usage: e2e_calendars.sh path/to/murvane
source "$(dirname "$0")/lib.sh"
bin="$(realpath "$1")"
e2e_init
e2e_require Xvfb xdotool xwininfo od
export XDG_CACHE_HOME="$E2E_TMP/cache"

# The screen pixel at X Y as rrggbb, read from the XWD framebuffer file.
pixel() {
  local fb="$E2E_TMP/fb/Xvfb_screen0"
  local -a h b
  read -r -a h <<<"$(od -An -v -tu4 --endian=big -N100 "$fb" | tr -s ' \n' ' ')"
  local offset=$((h[0] + h[19] * 12 + $2 * h[12] + $1 * h[11] / 8))
  read -r -a b <<<"$(od -An -v -tx1 -j "$offset" -N4 "$fb")"
  if [ "${h[7]}" = 0 ]; then echo "${b[2]}${b[1]}${b[0]}"; else echo "${b[1]}${b[2]}${b[3]}"; fi
}

# The middle of day DAY's mark, on the screen: the strip lies 2 pixels inside
# the window, cell k starts at x 171 + 14 (k - 1), the mark at rows 29 and 30.
mark_x() { echo $((2 + 171 + 14 * ($1 - 1) + 5)); }
mark_is() { [ "$(pixel "$(mark_x "$1")" 31)" = "$2" ]; }

# Two days of this month, neither today (the picture covers today's cell).
today=$((10#$(date +%d)))
day=10
[ "$today" = 10 ] && day=11
moved=$((day + 2))
[ "$today" = "$moved" ] && moved=$((day + 3))
ym="$(date +%Y%m)"

data="$(e2e_make_datadir)"
ics="$E2E_TMP/work.ics"
write_ics() {
  printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//murvane e2e//EN\r\nBEGIN:VEVENT\r\nUID:e2e-1@murvane\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:%s%02dT093000\r\nDTEND:%s%02dT100000\r\nSUMMARY:会議\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' \
    "$ym" "$1" "$ym" "$1" >"$ics"
}
write_ics "$day"
printf '[Calendar1]\r\nName=仕事\r\nSource=%s\r\nColor=#d50000\r\nShown=1\r\nRefreshMinutes=30\r\n' "$ics" >"$data/Calendars.ini"

# The command line shows the file's event, which no bar has read yet.
"$bin" --agenda "$(date +%Y-%m)-$(printf %02d "$day")" --data "$data" | grep -q $'\t09:30\t10:00\tevent\t仕事\t会議$' ||
  e2e_fail "--agenda does not show the file's event on day $day"

mkdir -p "$E2E_TMP/fb"
e2e_start_xvfb 1280x800x24 -fbdir "$E2E_TMP/fb"
xdotool mousemove 300 10
e2e_start_murvane "$bin" "$data"
bar="$(e2e_wait_window "$MURVANE_PID")"
e2e_wait_until 5 e2e_geometry_is "$bar" 2 0 || e2e_fail "bar not down: $(e2e_geometry "$bar")"

e2e_wait_until 5 mark_is "$day" d50000 ||
  { e2e_log >&2; e2e_fail "no mark under day $day: $(pixel "$(mark_x "$day")" 31)"; }
mark_is $((day + 1)) c0c0c0 || e2e_fail "a mark under day $((day + 1)): $(pixel "$(mark_x $((day + 1)))" 31)"

# The pop-up of the event's day is one line taller than a plain day's. The
# pointer keeps moving inside the cell, as a hand does: a redraw for the
# calendars hides a pop-up that is up, and only a move brings it back.
popup_height() {
  local deadline=$(($(date +%s%N) + 5000000000)) w n=0
  while [ "$(date +%s%N)" -lt "$deadline" ]; do
    [ $((n++ % 15)) = 0 ] && xdotool mousemove "$(mark_x "$1")" $((24 + n % 2))
    for w in $(xdotool search --onlyvisible --pid "$MURVANE_PID" 2>/dev/null); do
      [ "$w" = "$bar" ] && continue
      read -r _ y _ h <<<"$(e2e_geometry "$w")"
      [ "$y" -gt 37 ] && { echo "$h"; return 0; }
    done
    sleep 0.02
  done
  return 1
}
plain="$(popup_height $((day + 1)))" || e2e_fail "no pop-up over day $((day + 1))"
xdotool mousemove 178 18 # between the rows: the pop-up goes
sleep 0.2
with_event="$(popup_height "$day")" || e2e_fail "no pop-up over day $day"
lines=$(((with_event - 4) / (plain - 4)))
[ "$lines" = 2 ] || e2e_fail "pop-up of day $day is $with_event high, a plain day's $plain: $lines lines, expected 2"

# The file edited: the event moves two days on.
xdotool mousemove 300 10
start=$(date +%s%N)
write_ics "$moved"
e2e_wait_until 2 mark_is "$moved" d50000 || e2e_fail "the edit did not show under day $moved"
elapsed=$((($(date +%s%N) - start) / 1000000))
[ "$elapsed" -le 1500 ] || e2e_fail "the edit took ${elapsed} ms to show, more than 1500"
mark_is "$day" c0c0c0 || e2e_fail "the old mark under day $day stayed"
echo "PASS (edit shown after ${elapsed} ms)"
