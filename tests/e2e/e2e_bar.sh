#!/usr/bin/env bash
# The bar under a private X server: placed at the corner with the width of
# the current month, sliding away from the pointer and back to it.
# Usage: e2e_bar.sh path/to/murvane
source "$(dirname "$0")/lib.sh"
bin="$(realpath "$1")"
e2e_init
e2e_require xdotool xwininfo

# Without a display the program says so in one line and fails.
out="$(cd "$E2E_TMP" && env -u DISPLAY -u WAYLAND_DISPLAY "$bin" 2>&1)" && e2e_fail "started without a display"
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || e2e_fail "expected one line without a display, got: $out"
printf '%s\n' "$out" | grep -q "DISPLAY is not set" || e2e_fail "unclear message without a display: $out"

e2e_start_xvfb 1280x800x24
e2e_pointer 300 10
data="$(e2e_make_datadir)"
e2e_start_murvane "$bin" "$data"
wid="$(e2e_wait_window "$MURVANE_PID")"

days="$(date -d "$(date +%Y-%m-01) +1 month -1 day" +%d)"
width=$((170 + 14 * 10#$days + 10))
e2e_wait_until 5 e2e_geometry_is "$wid" 3 "$width" ||
  e2e_fail "width $(e2e_geometry "$wid") for a $days-day month, expected $width"
read -r x y w h <<<"$(e2e_geometry "$wid")"
[ "$x" = 0 ] && [ "$y" = 0 ] && [ "$h" = 37 ] || e2e_fail "bar at $x,$y ${w}x$h, expected 0,0 ${width}x37"

# Away from the bar: it slides up until only its bottom row is left.
e2e_pointer 600 400
e2e_wait_until 1 e2e_geometry_is "$wid" 2 -36 || e2e_fail "not slid out within 1 s: $(e2e_geometry "$wid")"
# Resting: it stays there.
sleep 0.3
e2e_geometry_is "$wid" 2 -36 || e2e_fail "moved while the pointer rests: $(e2e_geometry "$wid")"

# The top row over the bar brings it back.
e2e_pointer 5 0
e2e_wait_until 1 e2e_geometry_is "$wid" 2 0 || e2e_fail "not slid in within 1 s: $(e2e_geometry "$wid")"
e2e_geometry_is "$wid" 3 "$width" || e2e_fail "width changed: $(e2e_geometry "$wid")"

# The top row right of the bar does nothing to a hidden bar.
e2e_pointer 600 400
e2e_wait_until 1 e2e_geometry_is "$wid" 2 -36 || e2e_fail "not slid out again: $(e2e_geometry "$wid")"
e2e_pointer $((width + 5)) 0
sleep 0.5
e2e_geometry_is "$wid" 2 -36 || e2e_fail "slid in for the top row right of the bar: $(e2e_geometry "$wid")"

kill -0 "$MURVANE_PID" || e2e_fail "the program ended"
echo "PASS"
