#!/usr/bin/env bash
# The bar syncs on its own: with the notes' calendar just chosen and both
# sides holding a note of one day, the bar asks before its first sync and
# OK merges them; a note written in the day editor ("登録") is then on the
# server within 2 s, and one written by another program follows; the bar
# exits cleanly, and a --sync afterwards has
# nothing left to do.
# Usage: e2e_sync_bar.sh MURVANE
set -uo pipefail
here="$(dirname "$0")"
source "$here/caldav_lib.sh"
caldav_enter_bus "$0" "$@"
source "$here/lib.sh"
source "$here/sync_lib.sh"
e2e_init
e2e_require Xvfb xdotool xwininfo xmodmap iconv
murvane="$(realpath "$1")"
work="$E2E_TMP"
caldav_start_keyring "$work"
E2E_PIDS+=(${CALDAV_KEYRING_PID:+"$CALDAV_KEYRING_PID"})
sync_server radicale
E2E_PIDS+=("${SYNC_PIDS[@]}")
machine bar

# A day of this month at least three days from today (today's picture
# would touch its cell).
today="$((10#$(date +%d)))"
for d in $(seq 3 28); do [ $((d > today ? d - today : today - d)) -ge 3 ] && break; done
date_="$(day "$d")"
both="$(day $((d == 28 ? 27 : 28)))"
notes set "$work/bar" "$both" "机の上"
phone put "$both" "電話の上"

export XDG_DATA_HOME="$work/bar-share"
e2e_start_xvfb 1280x800x24
xdotool mousemove 5 5
e2e_start_murvane "$murvane" "$work/bar"
bar="$(e2e_wait_window "$MURVANE_PID")"
e2e_wait_until 5 e2e_geometry_is "$bar" 2 0 || e2e_fail "the bar is not shown: $(e2e_geometry "$bar")"

question() { xdotool search --onlyvisible --pid "$MURVANE_PID" 2>/dev/null | grep -vx "$bar" | tail -n 1; }
asked() { [ -n "$(question)" ]; }
e2e_wait_until 10 asked || e2e_fail "the first sync did not ask"
[ "$(notes get "$work/bar" "$both")" = "机の上" ] || e2e_fail "the bar wrote before the answer"
xdotool windowfocus --sync "$(question)" key Return
merged="机の上"$'\n'"―― 他の端末の予定 ――"$'\n'"電話の上"
is_merged() { [ "$(notes get "$work/bar" "$both")" = "${merged//$'\n'/#~}" ]; }
e2e_wait_until 10 is_merged || e2e_fail "OK did not merge the day: '$(notes get "$work/bar" "$both")'"
expect_server "$both" "$merged"

e2e_pointer $((2 + 171 + 14 * (d - 1) + 6)) 26
sleep 0.2
e2e_open_editor
xdotool mousemove $((EDITOR_X + 100)) $((EDITOR_Y + 120))
e2e_map_chars "同期テスト"
xdotool type --delay 40 "同期テスト"
# "登録" at 120, 8, 33 x 17.
xdotool mousemove $((EDITOR_X + 136)) $((EDITOR_Y + 16)) click 1
start=$(date +%s%N)
on_server() { grep -qx "$date_"$'\t''同期テスト' <<<"$(phone list)"; }
e2e_wait_until 10 on_server || { e2e_log >&2; e2e_fail "the note of $date_ is not on the server 10 s after 登録: '$(phone list)'; in the file: '$(notes get "$work/bar" "$date_")'"; }
ms=$((($(date +%s%N) - start) / 1000000))
echo "the note reached the server ${ms} ms after 登録"
[ "$ms" -le 2000 ] || e2e_fail "the note took ${ms} ms to reach the server (2000 at most)"
expect_note bar "$date_" '同期テスト'

# A note file changed by another program goes out too.
outside="$(day $((d == 26 ? 25 : 26)))"
notes set "$work/bar" "$outside" "外から"
sent_outside() { grep -qx "$outside"$'\t''外から' <<<"$(phone list)"; }
e2e_wait_until 10 sent_outside || e2e_fail "the note written beside the bar is not on the server: '$(phone list)'"

# "終了" is the last item of the bar's menu.
e2e_pointer 5 0
e2e_wait_until 2 e2e_geometry_is "$bar" 2 0 || e2e_fail "the bar did not come back: $(e2e_geometry "$bar")"
e2e_pointer 400 10
before="$(visible_count)"
xdotool click 3
e2e_wait_until 3 count_above "$before" || e2e_fail "no menu on a right click"
xdotool key Up Return
e2e_wait_until 5 bash -c "! kill -0 $MURVANE_PID 2>/dev/null" || e2e_fail "終了 did not end the bar"
status=0
wait "$MURVANE_PID" || status=$?
[ "$status" = 0 ] || { e2e_log >&2; e2e_fail "終了 ended the bar with status $status"; }
expect_quiet bar
echo "PASS"
