#!/usr/bin/env bash
# Today follows the clock: the bar started under faketime a few seconds
# before the midnight that ends January 2024 shows 2024/01 with day 31 in
# yellow; a few seconds after the faked midnight, with the pointer resting,
# it shows February with day 1 in yellow.
# Usage: e2e_daychange.sh path/to/murvane
source "$(dirname "$0")/lib.sh"
bin="$(realpath "$1")"
e2e_init
e2e_require xdotool xwininfo xwd od

skip() {
  echo "SKIPPED: $*"
  exit 77
}
# The library itself, preloaded into the program: the faketime wrapper would
# run it as a child, and its window would not carry the started process's id.
lib="$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 /usr/lib/faketime/libfaketimeMT.so.1 2>/dev/null | head -n 1 || true)"
[ -n "$lib" ] || skip "libfaketime is not installed (tools/test installs the faketime package)"
# The library comes after the sanitizer's runtime in the preload order, which
# the sanitizer must be told to accept; the program's timers keep the real
# monotonic clock.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
export FAKETIME_DONT_FAKE_MONOTONIC=1
export FAKETIME="@2024-01-31 23:59:50"
[ "$(LD_PRELOAD="$lib" date +%Y%m%d)" = 20240131 ] || skip "libfaketime does not change the date here"

# Day k's number lies in screen columns 2 + 171 + 14(k - 1) and on, rows 19 to 33.
yellow_on() { rect_has_color $((2 + 171 + 14 * ($1 - 1))) 19 13 15 ffff00; }

data="$(e2e_make_datadir)"
e2e_start_xvfb 1280x800x24
xdotool mousemove 5 5
(cd "$data" && LD_PRELOAD="$lib" exec "$bin") >"$E2E_TMP/murvane.log" 2>&1 &
MURVANE_PID=$!
E2E_PIDS+=("$MURVANE_PID")
bar="$(e2e_wait_window "$MURVANE_PID")"
if ! e2e_wait_until 5 e2e_geometry_is "$bar" 3 614; then
  kill -0 "$MURVANE_PID" 2>/dev/null || { e2e_log >&2; e2e_fail "the program ended"; }
  skip "the program does not see the faked date (width $(e2e_geometry "$bar"), not January's 614)"
fi
e2e_wait_until 3 yellow_on 31 || e2e_fail "day 31 is not yellow before midnight"

# The pointer rests: only the timer can notice the new day.
e2e_wait_until 15 e2e_geometry_is "$bar" 3 586 ||
  { e2e_log >&2; e2e_fail "the bar did not move to February 2024: $(e2e_geometry "$bar")"; }
e2e_wait_until 3 yellow_on 1 || e2e_fail "day 1 of February is not yellow"
yellow_on 31 && e2e_fail "day 31 is still yellow"
kill -0 "$MURVANE_PID" || e2e_fail "the program ended"
echo "PASS"
