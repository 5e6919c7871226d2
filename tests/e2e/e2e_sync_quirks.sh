#!/usr/bin/env bash
# The notes' sync against Radicale behind davproxy.py, for what real servers
# and other clients do and Radicale does not: no ETag after a write,
# If-None-Match ignored, a trash bin, the object changed or deleted between
# the program's read and its write, and a crash after the server took a
# write. Nothing is lost or doubled, and an idle sync is one request.
# Usage: e2e_sync_quirks.sh MURVANE
set -uo pipefail
here="$(dirname "$0")"
source "$here/caldav_lib.sh"
caldav_enter_bus "$0" "$@"
source "$here/sync_lib.sh"
sync_init "$1"
sync_server radicale
proxy
machine a "$PROXY_URL"
machine b "$PROXY_URL"
expect_quiet a b

# Requests per sync: one when nothing changed, at most three for one
# changed note.
notes set "$work/a" "$(day 1)" '最初'
expect_sync a 1 0 0 0
expect_sync b 0 1 0 0
n="$(proxy_requests)"
expect_quiet a
[ $(($(proxy_requests) - n)) = 1 ] || fail "a sync with nothing changed made $(($(proxy_requests) - n)) requests: $(tail -n +$((n + 1)) "$work/proxy.log")"
notes set "$work/a" "$(day 1)" '最初（変更）'
n="$(proxy_requests)"
expect_sync a 1 0 0 0
[ $(($(proxy_requests) - n)) -le 3 ] || fail "one changed note took $(($(proxy_requests) - n)) requests: $(tail -n +$((n + 1)) "$work/proxy.log")"
expect_sync b 0 1 0 0
expect_quiet a b

# No ETag in the answer to a PUT: no second copy, nothing sent again.
proxy --no-etag
notes set "$work/a" "$(day 2)" 'ETagなし'
expect_sync a 1 0 0 0
expect_quiet a
expect_server "$(day 2)" 'ETagなし'
expect_sync b 0 1 0 0
expect_quiet a b

# If-None-Match ignored: A and B create a note on the same day; after two
# syncs each, one object holds both texts, and so do both files.
proxy --ignore-if-none-match
notes set "$work/a" "$(day 3)" 'Aの予定'
notes set "$work/b" "$(day 3)" 'Bの予定'
for name in a b a b; do
  run_sync "$name"
  [ "$SYNC_RC" = 0 ] || fail "sync of $name with If-None-Match ignored: exit $SYNC_RC, err '$SYNC_ERR'"
done
[ "$(phone count "$(day 3)")" = 1 ] || fail "day 3 has $(phone count "$(day 3)") objects on the server: $(phone list)"
server="$(phone list | grep "^$(day 3)"$'\t' | cut -f2)"
for text in 'Aの予定' 'Bの予定'; do
  [[ "$server" == *"$text"* ]] || fail "the server's day 3 lacks $text: '$server'"
done
for name in a b; do expect_note "$name" "$(day 3)" "${server//\\n/#~}"; done
expect_quiet a b

# A trash bin refuses to bring a deleted object back: a new note on the day
# of a deleted one is still created.
proxy --trash
notes set "$work/a" "$(day 1)" ''
run_sync a
[ "$SYNC_RC" = 0 ] || fail "sync of a deleted note: exit $SYNC_RC, err '$SYNC_ERR'"
[ "$(phone count "$(day 1)")" = 0 ] || fail "the deleted note is still on the server: $(phone list)"
notes set "$work/a" "$(day 1)" '新しいメモ'
expect_sync a 1 0 0 0
expect_server "$(day 1)" '新しいメモ'
run_sync b
[ "$SYNC_RC" = 0 ] || fail "sync of b after the trash: exit $SYNC_RC, err '$SYNC_ERR'"
expect_note b "$(day 1)" '新しいメモ'
expect_quiet a b

# Changed on the server between the program's read and its write (412):
# both texts are kept.
proxy --touch-before-first-write
notes set "$work/a" "$(day 2)" 'ETagなし（A変更）'
run_sync a
[ "$SYNC_RC" = 0 ] || fail "sync with a stale ETag: exit $SYNC_RC, err '$SYNC_ERR'"
grep -q '^# touched' "$work/proxy.log" || fail "the program wrote day 2 without If-Match: $(tail -n 5 "$work/proxy.log")"
merged="ETagなし（A変更）"$'\n'"$SEP"$'\nETagなし (phone)'
expect_note a "$(day 2)" "${merged//$'\n'/#~}"
expect_server "$(day 2)" "$merged"
proxy
expect_sync b 0 1 0 0
expect_quiet a b

# Deleted on the server meanwhile (404 or 412): the change is created again.
proxy --delete-before-first-write
notes set "$work/a" "$(day 2)" '二度目'
run_sync a
[ "$SYNC_RC" = 0 ] || fail "sync with the object deleted meanwhile: exit $SYNC_RC, err '$SYNC_ERR'"
grep -q '^# deleted' "$work/proxy.log" || fail "the program wrote day 2 without If-Match: $(tail -n 5 "$work/proxy.log")"
expect_server "$(day 2)" '二度目'
expect_note a "$(day 2)" '二度目'
proxy
expect_quiet a
expect_sync b 0 1 0 0

# Killed after the server took its write: the next sync neither doubles nor
# loses the note.
rm -f "$work/held"
proxy --hold-after-first-write "$work/held"
notes set "$work/a" "$(day 4)" '落ちる前'
XDG_DATA_HOME="$work/a-share" "$murvane" --sync --data "$work/a" >/dev/null 2>&1 &
victim=$!
for i in $(seq 200); do [ -e "$work/held" ] && break; kill -0 "$victim" 2>/dev/null || break; sleep 0.05; done
[ -e "$work/held" ] || fail "the program sent no PUT for day 4: $(tail -n 5 "$work/proxy.log")"
kill -KILL "$victim"
wait "$victim" 2>/dev/null
proxy
run_sync a
[ "$SYNC_RC" = 0 ] || fail "sync after the kill: exit $SYNC_RC, err '$SYNC_ERR'"
expect_server "$(day 4)" '落ちる前'
expect_note a "$(day 4)" '落ちる前'
expect_quiet a
expect_sync b 0 1 0 0
expect_quiet a b
[ "$(notes list "$work/a")" = "$(notes list "$work/b")" ] || fail "a and b differ: $(diff <(notes list "$work/a") <(notes list "$work/b"))"
echo "PASS"
