#!/usr/bin/env bash
# The bar on a primary monitor that does not start at the screen's origin (a
# second monitor on its left): it stands at the primary monitor's corner,
# slides in only for that monitor's top row over it, and its pop-up and day
# editor keep to where it stands.
# Usage: e2e_monitors.sh path/to/murvane
source "$(dirname "$0")/lib.sh"
bin="$(realpath "$1")"
e2e_init
e2e_require Xvfb xdotool xwininfo xrandr

bar_top_is() { e2e_geometry_is "$bar" 2 "$1"; }
other_windows() { xdotool search --onlyvisible --pid "$MURVANE_PID" 2>/dev/null | grep -vx "$bar" || true; }
popup_at() { local w; w="$(other_windows | tail -n 1)"; [ -n "$w" ] && [ "$(e2e_geometry "$w" | cut -d' ' -f1-2)" = "$1 $2" ]; }

e2e_start_xvfb 1920x800x24
xrandr --setmonitor left 640/169x800/212+0+0 none >/dev/null
xrandr --setmonitor '*right' 1280/338x800/212+640+0 none >/dev/null
data="$(e2e_make_datadir)"
xdotool mousemove 1200 600
e2e_start_murvane "$bin" "$data"
bar="$(e2e_wait_window "$MURVANE_PID")"
e2e_wait_until 5 bar_top_is -36 || e2e_fail "not slid out at start: $(e2e_geometry "$bar")"
e2e_geometry_is "$bar" 1 640 || e2e_fail "bar at $(e2e_geometry "$bar"), expected x 640"

# The top row of the left monitor is not over the bar; the primary's is.
xdotool mousemove 5 0
sleep 0.5
bar_top_is -36 || e2e_fail "slid in for the left monitor's top row: $(e2e_geometry "$bar")"
xdotool mousemove 645 0
e2e_wait_until 2 bar_top_is 0 || e2e_fail "not slid in at the primary's top row: $(e2e_geometry "$bar")"

# A day number (strip 176, 24): the pop-up at the bar's left plus the cell's.
xdotool mousemove 818 26
e2e_wait_until 2 popup_at 811 44 || e2e_fail "no pop-up at 811,44: $(other_windows | xargs -r -n1 xwininfo -id | grep -i absolute)"

# The day editor opens at the bar's left plus the strip x of the pointer.
e2e_open_editor
ex="$EDITOR_X" ey="$EDITOR_Y"
[ "$ex $ey" = "816 67" ] || e2e_fail "editor at $ex,$ey, expected 816,67"
xdotool key Escape

kill -0 "$MURVANE_PID" || e2e_fail "the program ended"
echo "PASS"
