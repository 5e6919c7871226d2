#!/usr/bin/env bash
# The bar under a Wayland compositor: sway (headless) with XWayland, no window
# rules of ours. The bar must place itself at the corner with the month's
# width, slide up when the pointer goes to the empty desktop and back at the
# top row, show its pop-up under the pointer, stay above an ordinary X11
# window opened over the corner, and end by its menu's "Exit". Skipped (77)
# where sway cannot start.
# Usage: e2e_sway.sh path/to/murvane path/to/vpointer
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/sway_lib.sh"
bin="$(realpath "$1")"
vpointer="$(realpath "$2")"
e2e_init
e2e_require xdotool xwininfo xlogo od
sway_start 1280x800
sway_pointer_start "$vpointer"

where() { e2e_geometry "$bar"; }

# Windows of the program other than the bar.
popup() {
  xdotool search --onlyvisible --pid "$MURVANE_PID" 2>/dev/null | grep -vx "$bar" | tail -n 1 || true
}
popup_at() {
  local p
  p="$(popup)"
  [ -n "$p" ] && [ "$(e2e_geometry "$p" | cut -d' ' -f1-2)" = "$1 $2" ]
}
no_green_on_bar() { ! sway_rect_has_color 0 0 "$width" 37 00ff00; }

sway_pointer abs 300 10
data="$(e2e_make_datadir)"
sway_start_murvane "$bin" "$data"
bar="$(e2e_wait_window "$MURVANE_PID" 15)"
days="$(date -d "$(date +%Y-%m-01) +1 month -1 day" +%d)"
width=$((170 + 14 * 10#$days + 10))

# At the left edge with the month's width, down or already slid up.
e2e_wait_until 5 eval '[ "$(where | cut -d" " -f1,3,4)" = "0 $width 37" ]' ||
  e2e_fail "bar at $(where), expected x 0 and ${width}x37 (sway places managed windows itself)"
# The top row over it brings it down.
sway_pointer_onto 300 0
e2e_wait_until 5 e2e_geometry_is "$bar" 2 0 || e2e_fail "bar not down at the corner: $(where)"
sleep 0.5
[ "$(where)" = "0 0 $width 37" ] || e2e_fail "bar at $(where) with the pointer on it, expected 0 0 $width 37"

# The empty desktop: XWayland reports no motion there, only the bar's Leave.
sway_pointer abs 640 400
e2e_wait_until 2 e2e_geometry_is "$bar" 2 -36 || e2e_fail "not slid out over the desktop: $(where)"
e2e_geometry_is "$bar" 1 0 || e2e_fail "slid sideways: $(where)"
sway_pointer abs 100 0
e2e_wait_until 2 e2e_geometry_is "$bar" 2 0 || e2e_fail "not slid in at the top row: $(where)"

# A day number (strip 176, 23): its pop-up at the cell's left, 20 below the
# pointer, in the default yellow, and it follows the pointer down the cell.
sway_pointer abs 178 25
e2e_wait_until 2 popup_at 171 43 || e2e_fail "no day pop-up at 171,43: $(popup) $(e2e_geometry "$(popup)" 2>/dev/null)"
e2e_wait_until 2 sway_rect_has_color 171 43 20 6 ffff00 || e2e_fail "the day pop-up is not seen on the screen"
sway_pointer abs 178 30
e2e_wait_until 2 popup_at 171 48 || e2e_fail "pop-up did not follow the pointer: $(e2e_geometry "$(popup)" 2>/dev/null)"
# A jump onto where the pop-up stands.
sway_pointer abs 182 54
sleep 0.5
kill -0 "$MURVANE_PID" 2>/dev/null || { e2e_log >&2; e2e_fail "a jump onto the pop-up ended the program"; }

# An ordinary window over the corner (sway tiles it over the whole output).
sway_pointer abs 100 0
e2e_wait_until 2 e2e_geometry_is "$bar" 2 0 || e2e_fail "not slid in at the top row: $(where)"
sway_as xlogo -bg '#00ff00' -fg '#00ff00' >/dev/null 2>&1 &
E2E_PIDS+=($!)
e2e_wait_until 5 sway_rect_has_color 640 400 1 1 00ff00 || e2e_fail "the ordinary window did not appear"
e2e_wait_until 3 no_green_on_bar || e2e_fail "the window opened over the corner covers the bar at $(where)"
# Away over that window and back: still on top.
sway_pointer abs 640 400
e2e_wait_until 2 e2e_geometry_is "$bar" 2 -36 || e2e_fail "not slid out over the window: $(where)"
sway_pointer abs 100 0
e2e_wait_until 2 e2e_geometry_is "$bar" 2 0 || e2e_fail "not slid in over the window: $(where)"
e2e_wait_until 3 no_green_on_bar || e2e_fail "the bar came back under the ordinary window at $(where)"

# The context menu opens at the pointer, and its last item, "Exit", ends the
# program cleanly. (Under XWayland a click on the bare desktop never reaches
# an open X menu: only clicks on X windows close it.)
sway_pointer_onto 400 10
sway_pointer click 273
e2e_wait_until 3 popup_at 400 10 || e2e_fail "no context menu at the pointer: $(e2e_geometry "$(popup)" 2>/dev/null)"
read -r mx my mw mh <<<"$(e2e_geometry "$(popup)")"
# Over the item first, as a hand would, so that the menu marks it.
sway_pointer abs $((mx + 30)) $((my + mh - 13))
sway_pointer rel 0 1
sleep 0.3
sway_pointer click
e2e_wait_until 5 eval '! kill -0 "$MURVANE_PID" 2>/dev/null' || e2e_fail "\"Exit\" did not end the program"
status=0
wait "$MURVANE_PID" || status=$?
[ "$status" = 0 ] || { e2e_log >&2; e2e_fail "the program ended with status $status"; }
echo "PASS"
