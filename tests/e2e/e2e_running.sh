#!/usr/bin/env bash
# The bar as a long-running program: a schedule file written by another
# program (atomic rename) shows on the running bar at once; a second start in
# the same folder leaves with its message and no bar; SIGTERM ends the bar
# with status 0, drops an open editor's input and frees the folder; after
# kill -9 the next start takes the stale lock over.
# Usage: e2e_running.sh path/to/murvane
source "$(dirname "$0")/lib.sh"
bin="$(realpath "$1")"
e2e_init
e2e_require xdotool xwininfo xwd iconv od

framed() { rect_has_color "${frame_rect[@]}" ffffff; }
unframed() { ! framed; }
lock_files() { find "$data" -maxdepth 1 -name 'Murvane.*.lock' | wc -l; }
no_lock() { [ "$(lock_files)" -eq 0 ]; }
bar_of() { local w; for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
  [ "$(e2e_geometry "$w" | cut -d' ' -f4)" = 37 ] && echo "$w"; done; return 0; }
has_bar() { [ -n "$(bar_of "$1")" ]; }
ended() { ! kill -0 "$1" 2>/dev/null; }

# A day of this month at least three days from today, clear of today's picture.
year="$(date +%Y)" month="$(date +%m)" today="$((10#$(date +%d)))" day=""
for d in $(seq 3 28); do
  if [ $((d > today ? d - today : today - d)) -ge 3 ]; then day="$d"; break; fi
done
cell_x=$((2 + 171 + 14 * (day - 1)))
frame_rect=($((cell_x - 1)) 19 13 1)

data="$(e2e_make_datadir)"
e2e_start_xvfb 1280x800x24
xdotool mousemove 5 5
e2e_start_murvane "$bin" "$data"
first="$MURVANE_PID"
bar="$(e2e_wait_window "$first")"
e2e_wait_until 5 e2e_geometry_is "$bar" 2 0 || e2e_fail "the bar is not shown: $(e2e_geometry "$bar")"
[ "$(lock_files)" -eq 1 ] || e2e_fail "no lock file in the data folder: $(ls "$data")"
e2e_wait_until 3 unframed || e2e_fail "day $day is framed before it has an entry"

# Another program writes a note for the day and renames it into place.
printf '[予定]\r\n%s%02d=外から\r\n' "$month" "$day" | iconv -f UTF-8 -t CP932 >"$data/.incoming"
start="$(date +%s%N)"
mv "$data/.incoming" "$data/Yotei$year$month.Dat"
e2e_wait_until 3 framed || { e2e_log >&2; e2e_fail "the outside note did not show on the bar"; }
ms=$((($(date +%s%N) - start) / 1000000))
echo "redraw after the outside change: ${ms} ms"
[ "$ms" -le 1500 ] || e2e_fail "the outside note took ${ms} ms to show"

# A second start in the same folder: one line, a message box, no bar, failure.
(cd "$data" && exec "$bin") >"$E2E_TMP/second.out" 2>"$E2E_TMP/second.err" &
second=$!
E2E_PIDS+=("$second")
box="$(e2e_wait_window "$second")"
[ -z "$(bar_of "$second")" ] || e2e_fail "the second start showed a bar"
grep -q "already runs in" "$E2E_TMP/second.err" || e2e_fail "no message on stderr: $(cat "$E2E_TMP/second.err")"
[ "$(wc -l <"$E2E_TMP/second.err")" -eq 1 ] || e2e_fail "more than one line: $(cat "$E2E_TMP/second.err")"
read -r bx by bw bh <<<"$(e2e_geometry "$box")"
xdotool mousemove $((bx + bw / 2)) $((by + bh / 2))
xdotool key Return
e2e_wait_until 5 ended "$second" || e2e_fail "the second start did not leave after its message"
rc=0
wait "$second" || rc=$?
[ "$rc" -ne 0 ] || e2e_fail "the second start ended with status 0"
[ "$(lock_files)" -eq 1 ] || e2e_fail "the second start touched the lock"
kill -0 "$first" || e2e_fail "the first bar ended"

# SIGTERM with the day's editor open and a line typed: status 0, nothing
# saved, the lock is gone, and the next start works.
e2e_pointer 5 0
e2e_wait_until 2 e2e_geometry_is "$bar" 2 0 || e2e_fail "the bar did not come back: $(e2e_geometry "$bar")"
e2e_pointer $((cell_x + 6)) 26
sleep 0.2
e2e_open_editor
ex="$EDITOR_X" ey="$EDITOR_Y"
xdotool mousemove $((ex + 100)) $((ey + 120))
xdotool type --delay 40 "unsaved"
saved="$(md5sum <"$data/Yotei$year$month.Dat")"
kill -TERM "$first"
e2e_wait_until 5 ended "$first" || e2e_fail "SIGTERM did not end the bar"
rc=0
wait "$first" || rc=$?
[ "$rc" -eq 0 ] || { e2e_log >&2; e2e_fail "SIGTERM ended the bar with status $rc"; }
no_lock || e2e_fail "the lock stayed after SIGTERM"
[ "$(md5sum <"$data/Yotei$year$month.Dat")" = "$saved" ] || e2e_fail "the editor's input was saved at SIGTERM"
e2e_start_murvane "$bin" "$data"
e2e_wait_until 10 has_bar "$MURVANE_PID" || { e2e_log >&2; e2e_fail "no bar after a SIGTERM"; }

# kill -9 leaves its lock; the next start takes it over.
kill -KILL "$MURVANE_PID"
wait "$MURVANE_PID" 2>/dev/null || true
[ "$(lock_files)" -eq 1 ] || e2e_fail "kill -9 left no lock to recover from"
e2e_start_murvane "$bin" "$data"
e2e_wait_until 10 has_bar "$MURVANE_PID" || { e2e_log >&2; e2e_fail "no bar after a kill -9"; }
kill -0 "$MURVANE_PID" || e2e_fail "the bar ended"
echo "PASS"
