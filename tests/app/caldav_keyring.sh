#!/usr/bin/env bash
# murvane --add-calendar --user against a local Radicale, with GNOME's keyring
# daemon on a private session bus as the secret store: the password ends up
# there and in no file of the data, cache or config folders; the calendars
# are listed, and --agenda --refresh signs in with the stored password.
# Usage: caldav_keyring.sh MURVANE
set -uo pipefail
source "$(dirname "$0")/../e2e/caldav_lib.sh"
murvane="$(realpath "$1")"
fail() { echo "FAIL: $*" >&2; exit 1; }
caldav_enter_bus "$0" "$@"

work="$(mktemp -d)"
cleanup() {
  [ -n "${CALDAV_PID:-}" ] && kill "$CALDAV_PID" 2>/dev/null && wait "$CALDAV_PID" 2>/dev/null
  [ -n "${CALDAV_KEYRING_PID:-}" ] && kill "$CALDAV_KEYRING_PID" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR="$work/run" ASAN_OPTIONS=detect_leaks=0
mkdir -p -m 700 "$XDG_RUNTIME_DIR" && mkdir -p "$work/data"
caldav_start_keyring "$work"
caldav_start_radicale "$work"
password="$CALDAV_PASSWORD"
port="$CALDAV_PORT"

[ "$(dav MKCALENDAR /alice/work/)" = 201 ] && [ "$(dav MKCALENDAR /alice/home/)" = 201 ] || fail "MKCALENDAR"
[ "$(dav PUT /alice/work/k1.ics "$(caldav_event k1 Standup 20260105)")" = 201 ] || fail "PUT"

out="$(printf '%s\n' "$password" | "$murvane" --add-calendar "http://127.0.0.1:$port" --user alice --data "$work/data" 2>&1)" ||
  fail "--add-calendar: $out"
[ "$(grep -c '^added: ' <<<"$out")" = 2 ] || fail "two calendars expected: $out"
found="$(secret-tool lookup server Murvane user "alice@127.0.0.1:$port")"
[ "$found" = "$password" ] || fail "the password is not in the secret store"
grep -q '^User=alice' "$work/data/Calendars.ini" || fail "no User= in Calendars.ini"

agenda="$("$murvane" --agenda 2026-01-05 2026-01-05 --refresh --data "$work/data" 2>&1)" ||
  fail "--agenda --refresh: $agenda $("$murvane" --calendars --data "$work/data")"
grep -qP '\tevent\t[^\t]*\tStandup$' <<<"$agenda" || fail "the event is not in the agenda: $agenda"
listing="$("$murvane" --calendars --data "$work/data")" || fail "--calendars"
[ "$(grep -c $'\talice\t更新しました' <<<"$listing")" = 2 ] || fail "two updated calendars expected: $listing"

if grep -rlF -- "$password" "$work/data" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME"; then
  fail "the password is in a file"
fi
echo "PASS"
