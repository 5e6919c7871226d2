#!/usr/bin/env bash
# murvane --add-calendar --user against a local Radicale, with GNOME's keyring
# daemon on a private session bus as the secret store: the password ends up
# there and in no file of the data, cache or config folders; the calendars
# are listed, and --agenda --refresh signs in with the stored password.
# Usage: caldav_keyring.sh MURVANE
set -uo pipefail
murvane="$(realpath "$1")"
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ -z "${MURVANE_IN_BUS:-}" ]; then
  for p in dbus-run-session gnome-keyring-daemon secret-tool radicale python3; do
    command -v "$p" >/dev/null || skip "$p is missing (tools/test installs it)"
  done
  MURVANE_IN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi

work="$(mktemp -d)"
radicale_pid=""
cleanup() {
  [ -n "$radicale_pid" ] && kill "$radicale_pid" 2>/dev/null && wait "$radicale_pid" 2>/dev/null
  [ -n "${GNOME_KEYRING_CONTROL:-}" ] && [ -n "${keyring_pid:-}" ] && kill "$keyring_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export HOME="$work/home" XDG_DATA_HOME="$work/share" XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config"
export XDG_RUNTIME_DIR="$work/run" ASAN_OPTIONS=detect_leaks=0
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$work/data"
chmod 700 "$XDG_RUNTIME_DIR"

# A keyring unlocked with a non-empty password: an empty one makes the daemon
# ask through a prompt, which has no display here.
eval "$(printf 'keyring-test' | gnome-keyring-daemon --unlock --components=secrets 2>"$work/keyring.log")" ||
  skip "gnome-keyring-daemon did not start: $(cat "$work/keyring.log")"
keyring_pid="${GNOME_KEYRING_PID:-}"
secret-tool store --label probe test probe <<<"probe" 2>"$work/probe.log" ||
  skip "no secret store answers on the session bus: $(cat "$work/probe.log")"

port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
password='Tr0ub4dor-caldav-7q'
printf 'alice:%s\nbob:other\n' "$password" >"$work/htpasswd"
radicale --server-hosts "127.0.0.1:$port" --storage-filesystem-folder "$work/collections" \
  --auth-type htpasswd --auth-htpasswd-filename "$work/htpasswd" --auth-htpasswd-encryption plain \
  --rights-type owner_only --logging-level warning >"$work/radicale.log" 2>&1 &
radicale_pid=$!
dav() { # VERB PATH [BODY]: prints the HTTP status
  python3 - "$1" "http://127.0.0.1:$port$2" "${3:-}" "$password" <<'PY'
import base64, sys, urllib.request, urllib.error
verb, url, body, pw = sys.argv[1:]
r = urllib.request.Request(url, data=body.encode() or None, method=verb)
r.add_header("Authorization", "Basic " + base64.b64encode(("alice:" + pw).encode()).decode())
try:
    print(urllib.request.urlopen(r, timeout=5).status)
except urllib.error.HTTPError as e:
    print(e.code)
except OSError:
    print(0)
PY
}
for _ in $(seq 50); do [ "$(dav PROPFIND /)" != 0 ] && break; sleep 0.1; done
[ "$(dav PROPFIND /)" = 207 ] || skip "radicale did not start: $(cat "$work/radicale.log")"
[ "$(dav MKCALENDAR /alice/work/)" = 201 ] && [ "$(dav MKCALENDAR /alice/home/)" = 201 ] || fail "MKCALENDAR"
event=$'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\nBEGIN:VEVENT\r\nUID:k1\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:20260105\r\nSUMMARY:Standup\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n'
[ "$(dav PUT /alice/work/k1.ics "$event")" = 201 ] || fail "PUT"

out="$(printf '%s\n' "$password" | "$murvane" --add-calendar "http://127.0.0.1:$port" --user alice --data "$work/data" 2>&1)" ||
  fail "--add-calendar: $out"
[ "$(grep -c '^added: ' <<<"$out")" = 2 ] || fail "two calendars expected: $out"
found="$(secret-tool lookup server Murvane user "alice@127.0.0.1:$port")"
[ "$found" = "$password" ] || fail "the password is not in the secret store"
grep -q '^User=alice' "$work/data/Calendars.ini" || fail "no User= in Calendars.ini"

agenda="$("$murvane" --agenda 2026-01-05 2026-01-05 --refresh --data "$work/data" 2>&1)" || fail "--agenda --refresh: $agenda"
grep -qP '\tevent\t[^\t]*\tStandup$' <<<"$agenda" || fail "the event is not in the agenda: $agenda"
listing="$("$murvane" --calendars --data "$work/data")" || fail "--calendars"
[ "$(grep -c $'\talice\t更新しました' <<<"$listing")" = 2 ] || fail "two updated calendars expected: $listing"

if grep -rlF -- "$password" "$work/data" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME"; then
  fail "the password is in a file"
fi
echo "PASS"
