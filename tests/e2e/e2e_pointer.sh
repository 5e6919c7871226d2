#!/usr/bin/env bash
# The bar and pointers that jump, with warps only (no relative moves, so no
# raw device motion): it slides out by itself at start with the pointer away,
# slides out within 0.5 s of a warp away and in within 0.5 s of a warp onto
# its visible row, and a jump from a day number onto its pop-up, or from a
# weekday label onto its holiday pop-up, leaves the program running with the
# bar and the pop-up as the point under the pointer says.
# Usage: e2e_pointer.sh path/to/murvane
source "$(dirname "$0")/lib.sh"
bin="$(realpath "$1")"
e2e_init
e2e_require Xvfb xdotool xwininfo iconv

alive() { kill -0 "$MURVANE_PID" 2>/dev/null || { e2e_log >&2; e2e_fail "the program ended: $*"; }; }
bar_top_is() { e2e_geometry_is "$bar" 2 "$1"; }
# Waits up to MS milliseconds for the bar's Top.
top_within() {
  local ms="$1" want="$2" deadline=$(($(date +%s%N) + $1 * 1000000))
  until bar_top_is "$want"; do
    [ "$(date +%s%N)" -ge "$deadline" ] && return 1
    sleep 0.01
  done
}
other_windows() { xdotool search --onlyvisible --pid "$MURVANE_PID" 2>/dev/null | grep -vx "$bar" || true; }
no_popup() { [ -z "$(other_windows)" ]; }
popup() { other_windows | tail -n 1; }
has_popup() { [ -n "$(popup)" ]; }
# A warp, then the bar brought down by a warp onto its visible row.
bar_down() {
  xdotool mousemove 900 600
  top_within 1500 -36 || e2e_fail "not slid out before bringing it down: $(e2e_geometry "$bar")"
  xdotool mousemove 5 0
  top_within 1500 0 || e2e_fail "not slid in: $(e2e_geometry "$bar")"
}

e2e_start_xvfb 1280x800x24
data="$(e2e_make_datadir)"
# The 1st of this month is a named day, so its weekday label has a pop-up.
printf '[祝日]\r\n%s01=記念日\r\n' "$(date +%m)" | iconv -f UTF-8 -t CP932 >"$data/HorDay.ini"

# At start with the pointer away, the bar slides out by itself.
xdotool mousemove 900 600
e2e_start_murvane "$bin" "$data"
bar="$(e2e_wait_window "$MURVANE_PID")"
e2e_wait_until 5 bar_top_is -36 || e2e_fail "not slid out at start: $(e2e_geometry "$bar")"
read -r _ _ width _ <<<"$(e2e_geometry "$bar")"

# Warps onto the visible row and away, each within 0.5 s.
for round in 1 2 3; do
  xdotool mousemove 5 0
  top_within 500 0 || e2e_fail "round $round: not slid in within 0.5 s of a warp onto the top row: $(e2e_geometry "$bar")"
  xdotool mousemove 900 600
  top_within 500 -36 || e2e_fail "round $round: not slid out within 0.5 s of a warp away: $(e2e_geometry "$bar")"
done
# The top row right of the bar does nothing.
xdotool mousemove $((width + 5)) 0
sleep 0.5
bar_top_is -36 || e2e_fail "slid in for the top row right of the bar: $(e2e_geometry "$bar")"

# From the first day number (strip x 178, y 24) straight onto its pop-up,
# which stands below the bar: the pointer has left the bar.
bar_down
xdotool mousemove 180 26
e2e_wait_until 3 has_popup || e2e_fail "no pop-up over the day number"
read -r px py pw ph <<<"$(e2e_geometry "$(popup)")"
[ "$py" = 44 ] || e2e_fail "day pop-up top $py, expected 44"
xdotool mousemove 182 54
sleep 0.3
alive "after the jump onto the day pop-up"
top_within 1000 -36 || e2e_fail "not slid out after the jump onto the day pop-up: $(e2e_geometry "$bar")"
no_popup || e2e_fail "pop-up still shown after the jump below the bar"

# From the weekday label of the 1st straight onto its holiday pop-up. The pop-up
# hangs over the bar's lower part; under it lies the strip's last row, below the day
# numbers, which belongs to no cell: the bar stays and the pop-up goes.
bar_down
xdotool mousemove 180 10
e2e_wait_until 3 has_popup || e2e_fail "no pop-up over the weekday label"
read -r px py pw ph <<<"$(e2e_geometry "$(popup)")"
[ "$py" = 28 ] || e2e_fail "weekday pop-up top $py, expected 28"
xdotool mousemove $((px + 3)) 34
sleep 0.3
alive "after the jump onto the weekday pop-up"
bar_top_is 0 || e2e_fail "the bar left with the pointer over it: $(e2e_geometry "$bar")"
e2e_wait_until 2 no_popup || e2e_fail "pop-up still shown over no cell"
# And further down, below the bar, over where the pop-up stood.
xdotool mousemove 180 10
e2e_wait_until 3 has_popup || e2e_fail "no pop-up over the weekday label the second time"
xdotool mousemove $((px + 3)) 40
sleep 0.3
alive "after the second jump onto the weekday pop-up"
top_within 1000 -36 || e2e_fail "not slid out after the jump below the bar: $(e2e_geometry "$bar")"

alive "at the end"
echo "PASS"
