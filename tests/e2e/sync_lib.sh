# Shared by the notes' sync scripts (sourced after caldav_enter_bus): one
# CalDAV server, "machines" (a data folder DIR/NAME with its own sync state
# in XDG_DATA_HOME=DIR/NAME-share) and a phone that talks to the server
# directly.
#
#   sync_init MURVANE            work folder, keyring; cleanup on exit
#   sync_server radicale|xandikos  starts it; sets NOTES_URL, NOTES_NAME
#   machine NAME                 adds the notes' calendar to a new data folder
#   run_sync NAME [--yes]        one --sync; sets SYNC_RC, SYNC_OUT, SYNC_ERR
#   expect_sync NAME S R K F [--yes]  exit 0 and the counts line
#   expect_quiet NAME...         a sync that does nothing
#   expect_note NAME DATE VALUE  the file's value (lines joined by #~)
#   expect_server DATE TEXT      exactly one object that day, with TEXT
#   snapshot NAME                checksums of the folder and its sync state
#   day N                        YYYY-MM-DD of day N of this month
#   phone ... / notes ...        tests/e2e/phone.py and notes.py

E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
SEP='―― 他の端末の予定 ――'
SYNC_PIDS=()

fail() { echo "FAIL: $*" >&2; exit 1; }
# The script's line that called the outermost helper.
where() { echo "${BASH_LINENO[-2]}"; }
phone() { /usr/bin/python3 "$E2E_DIR/phone.py" "$@"; }
notes() { /usr/bin/python3 "$E2E_DIR/notes.py" "$@"; }
day() { printf '%s-%02d' "$(date +%Y-%m)" "$1"; }

sync_cleanup() {
  local pid
  for pid in "${SYNC_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${SYNC_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
  [ -n "${CALDAV_KEYRING_PID:-}" ] && kill "$CALDAV_KEYRING_PID" 2>/dev/null
  rm -rf "$work"
  return 0
}

sync_init() {
  murvane="$(realpath "$1")"
  [ -x "$murvane" ] || fail "no program at $1"
  work="$(mktemp -d "${TMPDIR:-/tmp}/murvane-sync.XXXXXX")"
  trap sync_cleanup EXIT
  export XDG_RUNTIME_DIR="$work/run" ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  caldav_start_keyring "$work"
}

# Radicale: alice's collection /alice/notes/, Xandikos: its default
# calendar; each added under the name NOTES_NAME.
sync_server() {
  case "$1" in
  radicale)
    caldav_start_radicale "$work"
    SYNC_PIDS+=("$CALDAV_PID")
    [ "$(dav MKCALENDAR /alice/notes/)" = 201 ] || fail "MKCALENDAR /alice/notes/ on Radicale"
    NOTES_PATH=/alice/notes/ NOTES_NAME=notes
    ;;
  xandikos)
    caldav_start_xandikos "$work"
    SYNC_PIDS+=("$CALDAV_PID")
    NOTES_PATH=/user/calendars/calendar/ NOTES_NAME=calendar
    ;;
  *) fail "unknown server kind: $1" ;;
  esac
  NOTES_URL="http://127.0.0.1:$CALDAV_PORT$NOTES_PATH"
  export PHONE_URL="$NOTES_URL" PHONE_USER=alice PHONE_PASSWORD="$CALDAV_PASSWORD"
}

# ADDRESS defaults to NOTES_URL (the quirks test passes its proxy's).
machine() {
  local name="$1" address="${2:-$NOTES_URL}" out
  mkdir -p "$work/$name" "$work/$name-share"
  out="$(printf '%s\n' "$CALDAV_PASSWORD" | XDG_DATA_HOME="$work/$name-share" \
    "$murvane" --add-calendar "$address" --user alice --name "$NOTES_NAME" --data "$work/$name" 2>&1)" ||
    fail "--add-calendar $address for $name: $out"
  out="$(XDG_DATA_HOME="$work/$name-share" "$murvane" --sync-notes "$NOTES_NAME" --data "$work/$name" 2>&1)" ||
    fail "--sync-notes $NOTES_NAME for $name: $out; Calendars.ini: $(cat "$work/$name/Calendars.ini")"
  grep -q '^SyncNotes=1' "$work/$name/Calendars.ini" || fail "no SyncNotes=1 in $name's Calendars.ini"
}

run_sync() {
  local name="$1"
  shift
  SYNC_RC=0
  SYNC_OUT="$(XDG_DATA_HOME="$work/$name-share" timeout 60 "$murvane" --sync "$@" --data "$work/$name" 2>"$work/sync.err")" ||
    SYNC_RC=$?
  SYNC_ERR="$(cat "$work/sync.err")"
}

counts() { echo "送信 $1 件、受信 $2 件、統合 $3 件、失敗 $4 件"; }

expect_sync() {
  local name="$1" want
  want="$(counts "$2" "$3" "$4" "$5")"
  run_sync "$name" "${@:6}"
  [ "$SYNC_RC" = 0 ] && [ "$SYNC_OUT" = "$want" ] ||
    fail "sync of $name (line $(where)): expected exit 0 and '$want', got exit $SYNC_RC, out '$SYNC_OUT', err '$SYNC_ERR'"
}

expect_quiet() {
  local name
  for name in "$@"; do expect_sync "$name" 0 0 0 0; done
}

expect_note() {
  local got
  got="$(notes get "$work/$1" "$2")" || got="(none)"
  [ "$got" = "$3" ] || fail "$1's note on $2 (line $(where)): expected '$3', got '$got'"
}

# TEXT with real line breaks; the phone lists them as \n.
expect_server() {
  local want got
  want="$1"$'\t'"${2//$'\n'/\\n}"
  got="$(phone list | grep "^$1"$'\t' || true)"
  [ "$got" = "$want" ] || fail "server on $1 (line $(where)): expected '$want', got '$got'"
}

snapshot() {
  (cd "$work" && find "$1" "$1-share" -type f -print0 | sort -z | xargs -0 -r md5sum)
}

# davproxy.py before the server, restarted on the same port for each MODE
# set (the programs' Calendars.ini keep its address). Sets PROXY_URL; the
# log is $work/proxy.log.
proxy() {
  if [ -n "${PROXY_PID:-}" ]; then
    kill "$PROXY_PID" 2>/dev/null
    wait "$PROXY_PID" 2>/dev/null
  fi
  rm -f "$work/proxy.port"
  touch "$work/proxy.log"
  /usr/bin/python3 "$E2E_DIR/davproxy.py" --target "$CALDAV_PORT" --port "${PROXY_PORT:-0}" \
    --port-file "$work/proxy.port" --log "$work/proxy.log" "$@" 2>>"$work/proxy.err" &
  PROXY_PID=$!
  SYNC_PIDS+=("$PROXY_PID")
  local i
  for i in $(seq 100); do [ -s "$work/proxy.port" ] && break; sleep 0.05; done
  [ -s "$work/proxy.port" ] || fail "davproxy.py $* did not start: $(cat "$work/proxy.err")"
  PROXY_PORT="$(cat "$work/proxy.port")"
  PROXY_URL="http://127.0.0.1:$PROXY_PORT$NOTES_PATH"
}

# Requests the program sent through the proxy so far.
proxy_requests() { grep -vc '^#' "$work/proxy.log" 2>/dev/null || true; }
