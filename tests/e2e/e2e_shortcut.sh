#!/usr/bin/env bash
# The shortcut for the whole desktop (Ctrl+Alt+M): from anywhere it gives the
# bar the keyboard and slides it in; Escape lets it go. A second bar, in
# another folder, finds the keys taken and goes on without them; a third,
# whose Murvane.ini says Shortcut=Ctrl+Alt+K, answers to those keys instead.
# Usage: e2e_shortcut.sh path/to/murvane
source "$(dirname "$0")/lib.sh"
bin="$(realpath "$1")"
e2e_init
e2e_require Xvfb xdotool xwininfo iconv

e2e_start_xvfb 1280x800x24
xdotool mousemove 640 400
first="$(e2e_make_datadir first)"
e2e_start_murvane "$bin" "$first"
first_pid="$MURVANE_PID"
bar="$(e2e_wait_window "$first_pid")"
e2e_wait_until 5 e2e_geometry_is "$bar" 2 -36 || e2e_fail "the bar did not slide up: $(e2e_geometry "$bar")"

second="$(e2e_make_datadir second)"
(cd "$second" && exec "$bin") >"$E2E_TMP/second.log" 2>&1 &
E2E_PIDS+=($!)
other="$(e2e_wait_window $!)"
e2e_wait_until 5 e2e_geometry_is "$other" 2 -36 || e2e_fail "the second bar did not slide up: $(e2e_geometry "$other")"

xdotool key ctrl+alt+m
e2e_wait_until 5 e2e_geometry_is "$bar" 2 0 || { e2e_log >&2; e2e_fail "Ctrl+Alt+M did not bring the bar: $(e2e_geometry "$bar")"; }
# The keys are the first bar's; it keeps the keyboard, the pointer far away.
xdotool key Right
sleep 0.5
e2e_geometry_is "$bar" 2 0 || e2e_fail "the bar slid away while it had the keyboard"
e2e_geometry_is "$other" 2 -36 || e2e_fail "the second bar came too: $(e2e_geometry "$other")"
xdotool key Escape
e2e_wait_until 5 e2e_geometry_is "$bar" 2 -36 || e2e_fail "the bar stayed after Escape: $(e2e_geometry "$bar")"
kill -0 "$first_pid" || e2e_fail "the bar ended"

third="$(e2e_make_datadir third)"
printf '[その他]\r\nShortcut=Ctrl+Alt+K\r\n' | iconv -f UTF-8 -t CP932 >"$third/Murvane.ini"
(cd "$third" && exec "$bin") >"$E2E_TMP/third.log" 2>&1 &
E2E_PIDS+=($!)
own="$(e2e_wait_window $!)"
e2e_wait_until 5 e2e_geometry_is "$own" 2 -36 || e2e_fail "the third bar did not slide up: $(e2e_geometry "$own")"
xdotool key ctrl+alt+k
e2e_wait_until 5 e2e_geometry_is "$own" 2 0 || e2e_fail "Ctrl+Alt+K of Murvane.ini did not bring its bar"
e2e_geometry_is "$bar" 2 -36 || e2e_fail "the first bar came on Ctrl+Alt+K: $(e2e_geometry "$bar")"
xdotool key Escape
e2e_wait_until 5 e2e_geometry_is "$own" 2 -36 || e2e_fail "the third bar stayed after Escape"
echo "PASS"
