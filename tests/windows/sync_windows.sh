#!/usr/bin/env bash
# The notes' sync of murvane.exe under Wine, against a Radicale beside Wine:
# the password in Wine's Credential Manager, the month files in Shift-JIS by
# Windows' code page 932, the state in the Windows user's local application
# data. A note goes out, a phone's note with an emoji comes in as "〓" and is
# not sent back, and a sync with nothing new changes nothing.
# Usage: sync_windows.sh murvane.exe
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../e2e/caldav_lib.sh"
source "$here/winelib.sh"
exe="$(realpath "$1")"
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v radicale >/dev/null || caldav_skip "radicale is missing (tools/test installs it)"
wine_prepare || exit 77
work="$(mktemp -d)"
cleanup() {
  [ -n "${CALDAV_PID:-}" ] && kill "$CALDAV_PID" 2>/dev/null && wait "$CALDAV_PID" 2>/dev/null
  "$WINESERVER" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=
caldav_start_radicale "$work"
[ "$(dav MKCALENDAR /alice/notes/)" = 201 ] || fail "MKCALENDAR"
export PHONE_URL="http://127.0.0.1:$CALDAV_PORT/alice/notes/" PHONE_USER=alice PHONE_PASSWORD="$CALDAV_PASSWORD"
phone() { /usr/bin/python3 "$here/../e2e/phone.py" "$@"; }
notes() { /usr/bin/python3 "$here/../e2e/notes.py" "$@"; }

data="$work/data"
mkdir -p "$data"
windata="$("$WINE" winepath -w "$data" 2>/dev/null | tr -d '\r')"
murvane() { "$WINE" "$exe" "$@" --data "$windata" 2>"$work/err"; }
expect_sync() {
  local out
  out="$(murvane --sync)" || fail "--sync ended with $?: $(cat "$work/err")"
  [ "$out" = "送信 $1 件、受信 $2 件、統合 $3 件、失敗 0 件" ] || fail "--sync printed '$out', expected $1 sent, $2 received, $3 merged"
}

printf '%s\n' "$CALDAV_PASSWORD" | murvane --add-calendar "$PHONE_URL" --user alice --name notes >/dev/null ||
  fail "--add-calendar: $(cat "$work/err")"
murvane --sync-notes notes >/dev/null || fail "--sync-notes: $(cat "$work/err")"
notes set "$data" 2026-12-05 "会議"$'\n'"資料は①から"
expect_sync 1 0 0
[ "$(phone list)" = "2026-12-05	会議\\n資料は①から" ] || fail "the server holds '$(phone list)'"

phone put 2026-12-06 "電話から🎉" >/dev/null
expect_sync 0 1 0
[ "$(notes get "$data" 2026-12-06)" = "電話から〓" ] || fail "the phone's note reads '$(notes get "$data" 2026-12-06)'"
expect_sync 0 0 0
grep -q "電話から🎉" <<<"$(phone list)" || fail "the emoji went from the server: '$(phone list)'"
if grep -rlF -- "$CALDAV_PASSWORD" "$data" "$WINEPREFIX" 2>/dev/null; then
  fail "the password is in a file"
fi
echo "PASS"
