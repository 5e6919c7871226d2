#!/usr/bin/env bash
# A CalDAV calendar on the bar: added with --add-calendar (password in a
# private keyring), an event put on the local Radicale afterwards shows its
# mark in the calendar's colour and lengthens its day's pop-up after
# "カレンダーを今すぐ更新".
# Usage: e2e_caldav.sh path/to/murvane
set -uo pipefail
here="$(dirname "$0")"
source "$here/caldav_lib.sh"
caldav_enter_bus "$0" "$@"
source "$here/lib.sh"
bin="$(realpath "$1")"
e2e_init
e2e_require Xvfb xdotool xwininfo xwd od
caldav_start_keyring "$E2E_TMP"
caldav_start_radicale "$E2E_TMP"
E2E_PIDS+=("$CALDAV_PID" ${CALDAV_KEYRING_PID:+"$CALDAV_KEYRING_PID"})

data="$(e2e_make_datadir)"
[ "$(dav MKCALENDAR /alice/work/)" = 201 ] || e2e_fail "MKCALENDAR"
printf '%s\n' "$CALDAV_PASSWORD" |
  "$bin" --add-calendar "http://127.0.0.1:$CALDAV_PORT/alice/work/" --user alice --color '#12c034' --data "$data" >/dev/null ||
  e2e_fail "--add-calendar"

e2e_start_xvfb 1280x800x24
xdotool mousemove 600 300
e2e_start_murvane "$bin" "$data"
bar="$(e2e_wait_window "$MURVANE_PID")"
updated() { "$bin" --calendars --data "$data" | grep -q '更新しました'; }
e2e_wait_until 15 updated || { e2e_log >&2; e2e_fail "the calendar was not fetched at start"; }

day=$((10#$(date +%d)))
other=$((day == 1 ? 2 : 1))
cell_x() { echo $((2 + 171 + 14 * ($1 - 1))); }
marked() { rect_has_color "$(cell_x "$day")" 19 13 18 12c034; }
[ "$(dav PUT /alice/work/e1.ics "$(caldav_event e1 Review "$(date +%Y%m%d)")")" = 201 ] || e2e_fail "PUT"
sleep 1
marked && e2e_fail "the event shows before the refresh"

other_windows() { xdotool search --onlyvisible --pid "$MURVANE_PID" 2>/dev/null | grep -vx "$bar" || true; }
# "カレンダーを今すぐ更新" sits above "Version情報", which is two up from the top.
xdotool mousemove 5 0
e2e_wait_until 2 e2e_geometry_is "$bar" 2 0 || e2e_fail "bar not shown: $(e2e_geometry "$bar")"
xdotool mousemove 400 10 && sleep 0.1 && xdotool click 3
e2e_wait_until 5 test -n "$(other_windows)" || e2e_fail "no context menu"
sleep 0.2
xdotool key Up Up Up Return
e2e_wait_until 10 marked || { e2e_log >&2; e2e_fail "no mark in the calendar's colour on day $day"; }

# The day's pop-up holds one line more than another day's.
popup_height() {
  local pop="" try
  # A move right after the menu closed can go unseen: move again until it shows.
  for try in 1 2 3; do
    e2e_pointer "$(($(cell_x "$1") + 5))" 25
    e2e_wait_until 2 test -n "$(other_windows)" && break
  done
  [ -n "$(other_windows)" ] || e2e_fail "no pop-up over day $1"
  pop="$(other_windows | tail -n 1)"
  e2e_geometry "$pop" | awk '{print $4}'
  xdotool mousemove "$(($(cell_x "$1") + 5))" 18
  e2e_wait_until 2 test -z "$(other_windows)"
}
plain="$(popup_height "$other")"
with_event="$(popup_height "$day")"
[ "$with_event" -gt "$plain" ] || e2e_fail "pop-up of day $day is $with_event high, another day's $plain"
echo "PASS"
