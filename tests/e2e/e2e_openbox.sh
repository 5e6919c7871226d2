#!/usr/bin/env bash
# The bar under a window manager: openbox in a private X server. The bar
# stands undecorated at the corner with no task-bar entry, stays above
# ordinary windows opened over it (also those mapped before openbox came up),
# slides to -36 and back for warps and for relative moves, and its context
# menu, double-click and day editor (typed into) work.
# Usage: e2e_openbox.sh path/to/murvane
source "$(dirname "$0")/lib.sh"
bin="$(realpath "$1")"
if ! command -v openbox >/dev/null || ! command -v xlogo >/dev/null; then
  echo "SKIPPED: openbox or xlogo is not installed (tools/test installs them)"
  exit 77
fi
e2e_init
e2e_require Xvfb xdotool xwininfo xprop xwd iconv od
export HOME="$E2E_TMP/home" XDG_CONFIG_HOME="$E2E_TMP/home/.config" XDG_CACHE_HOME="$E2E_TMP/home/.cache"
mkdir -p "$HOME"

bar_top_is() { e2e_geometry_is "$bar" 2 "$1"; }
# True when every pixel of the screen row Y from X over W columns is COLOR.
row_is() {
  local colors
  colors="$(screen_colors "$2" "$1" "$3" 1 | sort -u)"
  [ "$colors" = "$4" ]
}
# The bar's own rows: its top row white and its bottom row grey when shown,
# only the grey bottom row at the screen's top when hidden.
bar_on_top_shown() { row_is 0 0 200 ffffff && row_is 36 0 200 808080; }
bar_on_top_hidden() { row_is 0 0 200 808080; }
# An ordinary window over the corner, filled with pure green.
open_window() {
  xlogo -geometry 600x150+0+0 -bg '#00ff00' -fg '#00ff00' >/dev/null 2>&1 &
  E2E_PIDS+=($!)
  e2e_wait_until 5 rect_has_color 0 60 600 20 00ff00 || e2e_fail "the ordinary window did not appear"
}
client_list() { xprop -root _NET_CLIENT_LIST 2>/dev/null; }
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

e2e_start_xvfb 1280x800x24
data="$(e2e_make_datadir)"
xdotool mousemove 900 600
e2e_start_murvane "$bin" "$data"
bar="$(e2e_wait_window "$MURVANE_PID")"
e2e_wait_until 5 bar_top_is -36 || e2e_fail "not slid out at start: $(e2e_geometry "$bar")"
xdotool mousemove 5 0
e2e_wait_until 2 bar_top_is 0 || e2e_fail "not slid in: $(e2e_geometry "$bar")"

# A window mapped before any window manager runs, then openbox starting over
# both: the bar stays on top through both.
open_window
e2e_wait_until 2 bar_on_top_shown || e2e_fail "the bar is under a window mapped without a window manager"
openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
E2E_PIDS+=($!)
e2e_wait_until 10 wm_running || { cat "$E2E_TMP/openbox.log" >&2; e2e_fail "openbox did not start"; }
e2e_wait_until 5 bash -c '[ "$(xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -o "0x[0-9a-f]*" | wc -l)" -ge 1 ]' ||
  e2e_fail "openbox manages no window: $(client_list)"
e2e_wait_until 2 bar_on_top_shown || e2e_fail "the bar went under the window openbox took over"

# Undecorated at the corner, and in no task bar.
read -r x y w h <<<"$(e2e_geometry "$bar")"
[ "$x" = 0 ] && [ "$y" = 0 ] && [ "$h" = 37 ] || e2e_fail "bar at $x,$y ${w}x$h under openbox, expected 0,0 with height 37"
xwininfo -id "$bar" -children | grep -q 'Parent window id:.*(the root window)' ||
  e2e_fail "openbox put a frame around the bar"
bar_hex="$(printf '0x%x' "$bar")"
client_list | grep -qiw "$bar_hex" && e2e_fail "the bar is in the task-bar list: $(client_list)"

# An ordinary window opened over the bar under openbox, and clicked (raised).
open_window
e2e_wait_until 2 bar_on_top_shown || e2e_fail "the bar is under a window opened over it under openbox"
xdotool mousemove 300 100 click 1
sleep 0.3
xdotool mousemove 5 0
e2e_wait_until 2 bar_on_top_shown || e2e_fail "the bar is under a clicked window"

# Slides by warps and by relative moves, over the ordinary windows.
xdotool mousemove 900 600
e2e_wait_until 2 bar_top_is -36 || e2e_fail "not slid out after a warp: $(e2e_geometry "$bar")"
e2e_wait_until 2 bar_on_top_hidden || e2e_fail "the hidden bar's row is not on top"
xdotool mousemove 5 0
e2e_wait_until 2 bar_top_is 0 || e2e_fail "not slid in after a warp: $(e2e_geometry "$bar")"
e2e_pointer 600 400
e2e_wait_until 2 bar_top_is -36 || e2e_fail "not slid out after a move: $(e2e_geometry "$bar")"
e2e_pointer 5 0
e2e_wait_until 2 bar_top_is 0 || e2e_fail "not slid in after a move: $(e2e_geometry "$bar")"
e2e_wait_until 2 bar_on_top_shown || e2e_fail "the bar is not on top after sliding"

# The context menu opens over the bar and closes; the bar stays.
xdotool mousemove 400 10
sleep 0.2
xdotool click 3
e2e_wait_until 3 count_above 1 || e2e_fail "no context menu under openbox"
xdotool key Escape
e2e_wait_until 3 bash -c "[ \$(xdotool search --onlyvisible --pid $MURVANE_PID | wc -l) -eq 1 ]" ||
  e2e_fail "the context menu did not close"
bar_top_is 0 || e2e_fail "the bar left while its menu was open: $(e2e_geometry "$bar")"

# The double-click on a day opens the editor, which takes typed text.
day=20
cell_x=$((2 + 171 + 14 * (day - 1)))
e2e_pointer $((cell_x + 6)) 26
sleep 0.2
e2e_open_editor
ex="$EDITOR_X" ey="$EDITOR_Y"
xdotool mousemove $((ex + 100)) $((ey + 120))
sleep 0.3
xdotool type --delay 40 "memo1"
xdotool mousemove $((ex + 136)) $((ey + 16)) click 1
e2e_wait_until 5 no_window_of_size 247x245 || { e2e_log >&2; e2e_fail "登録 did not close the editor"; }
file="$data/Yotei$(date +%Y%m).Dat"
grep -q "^$(date +%m)$day=memo1" "$file" 2>/dev/null || e2e_fail "the typed text is not in $file: $(cat "$file" 2>/dev/null)"

kill -0 "$MURVANE_PID" || e2e_fail "the program ended"
echo "PASS"
