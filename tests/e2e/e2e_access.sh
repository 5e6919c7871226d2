#!/usr/bin/env bash
# The bar as a screen reader sees it, under Xvfb in a private session bus with
# the AT-SPI bus started by activation: the strip is a list of the shown days,
# a day with a named day, a note and an event is read with all three, the
# buttons have names, and after `murvane --focus` the keys move the focus with
# a focus event for each day; Enter opens the editor, Escape lets the bar go.
# Usage: e2e_access.sh path/to/murvane
if [ -z "${MURVANE_E2E_BUS:-}" ]; then
  command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session is not installed"; exit 77; }
  MURVANE_E2E_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"
bin="$(realpath "$1")"
e2e_init
e2e_require Xvfb xdotool xwininfo iconv
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed"; exit 77; }

# Day 10 of this month (11 when today is the 10th) has everything.
today=$((10#$(date +%d)))
day=10
[ "$today" = 10 ] && day=11
ym="$(date +%Y%m)"
md="$(date +%m)$(printf %02d "$day")"

data="$(e2e_make_datadir)"
printf '[祝日]\r\n%s=テスト記念日\r\n' "$md" | iconv -f UTF-8 -t CP932 >"$data/HorDay.ini"
printf '[予定]\r\n%s=歯医者#~午後\r\n' "$md" | iconv -f UTF-8 -t CP932 >"$data/Yotei$ym.Dat"
ics="$E2E_TMP/work.ics"
printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//murvane e2e//EN\r\nBEGIN:VEVENT\r\nUID:e2e-1@murvane\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:%s%02dT093000\r\nDTEND:%s%02dT100000\r\nSUMMARY:会議\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' \
  "$ym" "$day" "$ym" "$day" >"$ics"
printf '[Calendar1]\r\nName=仕事\r\nSource=%s\r\nColor=#d50000\r\nShown=1\r\nRefreshMinutes=30\r\n' "$ics" >"$data/Calendars.ini"
export XDG_CACHE_HOME="$E2E_TMP/cache"

e2e_start_xvfb 1280x800x24
# The AT-SPI bus comes by activation on the private session bus.
if ! timeout 10 dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
  >/dev/null 2>&1; then
  echo "SKIP: the AT-SPI bus does not start here"
  exit 77
fi

xdotool mousemove 640 400
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
e2e_start_murvane "$bin" "$data"
bar="$(e2e_wait_window "$MURVANE_PID")"
# The pointer is away: the bar slides up by itself.
e2e_wait_until 5 e2e_geometry_is "$bar" 2 -36 || e2e_fail "the bar did not slide up: $(e2e_geometry "$bar")"

/usr/bin/python3 "$(dirname "$0")/access_check.py" "$bin" "$data" "$day" "$bar" "$MURVANE_PID" ||
  { e2e_log >&2; e2e_fail "the accessible bar is not as expected"; }

# With the keyboard let go and the pointer away, the bar slides up again.
e2e_wait_until 5 e2e_geometry_is "$bar" 2 -36 || e2e_fail "the bar stayed after Escape: $(e2e_geometry "$bar")"
[ "$(xdotool getwindowfocus 2>/dev/null)" != "$bar" ] || e2e_fail "the bar kept the focus after Escape"

# No bar runs for another folder: one line on standard error, not 0.
mkdir -p "$E2E_TMP/other"
if "$bin" --focus --data "$E2E_TMP/other" 2>"$E2E_TMP/focus.err"; then
  e2e_fail "murvane --focus succeeded where no bar runs"
fi
[ "$(wc -l <"$E2E_TMP/focus.err")" = 1 ] || e2e_fail "murvane --focus without a bar said: $(cat "$E2E_TMP/focus.err")"
echo "PASS"
