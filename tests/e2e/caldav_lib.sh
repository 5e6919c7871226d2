# Shared by the CalDAV scripts: a private session bus with GNOME's keyring
# daemon as the secret store, and a Radicale server on 127.0.0.1 with the
# users alice ($CALDAV_PASSWORD) and bob, or a Xandikos server (no users: it
# lets everyone in and ignores Authorization). Each skips (77) with its
# reason when its part cannot start.

caldav_skip() { echo "SKIP: $*"; exit 77; }

# Runs the calling script again inside its own session bus.
# Usage: caldav_enter_bus "$0" "$@"
caldav_enter_bus() {
  [ -n "${MURVANE_IN_BUS:-}" ] && return 0
  local p
  for p in dbus-run-session gnome-keyring-daemon secret-tool python3; do
    command -v "$p" >/dev/null || caldav_skip "$p is missing (tools/test installs it)"
  done
  MURVANE_IN_BUS=1 exec dbus-run-session -- bash "$@"
}

# Private home folders under DIR, and an unlocked keyring. The password must
# not be empty: then the daemon would ask through a prompt, which has no
# display here. Sets CALDAV_KEYRING_PID.
caldav_start_keyring() {
  local dir="$1"
  export HOME="$dir/home" XDG_DATA_HOME="$dir/share" XDG_CACHE_HOME="$dir/cache" XDG_CONFIG_HOME="$dir/config"
  mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME"
  eval "$(printf 'keyring-test' | gnome-keyring-daemon --unlock --components=secrets 2>"$dir/keyring.log")" ||
    caldav_skip "gnome-keyring-daemon did not start: $(cat "$dir/keyring.log")"
  CALDAV_KEYRING_PID="${GNOME_KEYRING_PID:-}"
  # The daemon may take a moment to own its name on a loaded machine.
  local i
  for i in $(seq 20); do
    secret-tool store --label probe test probe <<<"probe" 2>"$dir/probe.log" && return 0
    sleep 0.1
  done
  caldav_skip "no secret store answers on the session bus: $(cat "$dir/probe.log")"
}

CALDAV_PASSWORD='Tr0ub4dor-caldav-7q'

caldav_free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Sets CALDAV_PORT and CALDAV_PID.
caldav_start_radicale() {
  local dir="$1"
  command -v radicale >/dev/null || caldav_skip "radicale is missing (tools/test installs it)"
  CALDAV_PORT="$(caldav_free_port)"
  printf 'alice:%s\nbob:other\n' "$CALDAV_PASSWORD" >"$dir/htpasswd"
  radicale --server-hosts "127.0.0.1:$CALDAV_PORT" --storage-filesystem-folder "$dir/collections" \
    --auth-type htpasswd --auth-htpasswd-filename "$dir/htpasswd" --auth-htpasswd-encryption plain \
    --rights-type owner_only --logging-level warning >"$dir/radicale.log" 2>&1 &
  CALDAV_PID=$!
  local i
  for i in $(seq 50); do [ "$(dav PROPFIND /)" != 0 ] && break; sleep 0.1; done
  [ "$(dav PROPFIND /)" = 207 ] || caldav_skip "radicale did not start: $(cat "$dir/radicale.log")"
}

# Xandikos serving DIR/xandikos with one calendar, /user/calendars/calendar/
# (display name "calendar"); discovery from / finds it through the principal
# /user/. Sets CALDAV_PORT and CALDAV_PID.
caldav_start_xandikos() {
  local dir="$1"
  command -v xandikos >/dev/null || caldav_skip "xandikos is missing (tools/test installs it)"
  CALDAV_PORT="$(caldav_free_port)"
  xandikos -d "$dir/xandikos" --defaults -l 127.0.0.1 -p "$CALDAV_PORT" >"$dir/xandikos.log" 2>&1 &
  CALDAV_PID=$!
  local i
  for i in $(seq 100); do
    [ "$(dav PROPFIND /user/calendars/calendar/)" != 0 ] && break
    kill -0 "$CALDAV_PID" 2>/dev/null || break
    sleep 0.1
  done
  [ "$(dav PROPFIND /user/calendars/calendar/)" = 207 ] || caldav_skip "xandikos did not start: $(cat "$dir/xandikos.log")"
}

# VERB PATH [BODY] as alice; prints the HTTP status, 0 without an answer.
dav() {
  python3 - "$1" "http://127.0.0.1:$CALDAV_PORT$2" "${3:-}" "$CALDAV_PASSWORD" <<'PY'
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

# An all-day event: UID SUMMARY YYYYMMDD.
caldav_event() {
  printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\nBEGIN:VEVENT\r\nUID:%s\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:%s\r\nSUMMARY:%s\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' "$1" "$3" "$2"
}
