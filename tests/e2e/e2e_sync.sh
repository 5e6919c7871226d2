#!/usr/bin/env bash
# The notes' two-way sync (murvane --sync) between two data folders A and B
# and a phone, through one CalDAV calendar on a local Radicale or Xandikos:
# notes travel both ways, phone-style items become notes, changes on both
# sides are merged, several objects on a day become one, deletion loses
# against a change, the first sync and a sudden empty side ask first, and
# events that are not notes stay untouched.
# Every step ends with syncs that do nothing.
# Usage: e2e_sync.sh MURVANE radicale|xandikos
set -uo pipefail
here="$(dirname "$0")"
source "$here/caldav_lib.sh"
caldav_enter_bus "$0" "$@"
source "$here/sync_lib.sh"
sync_init "$1"
sync_server "$2"
machine a
machine b
expect_quiet a b

# A note from A reaches B.
notes set "$work/a" "$(day 1)" $'会議\n資料'
expect_sync a 1 0 0 0
expect_sync b 0 1 0 0
expect_note b "$(day 1)" '会議#~資料'
expect_server "$(day 1)" $'会議\n資料'
expect_quiet a b

# Phone-style items become notes; what is not a single-day all-day item
# never does and is never touched.
phone put "$(day 2)" '電話メモ' --no-dtend
phone put "$(day 3)" '歯医者' --dtend-equal
phone put "$(day 4)" $'一行目\n二行目'
phone put "$(day 5)" '誕生日🎂'
phone put "$(day 6)" '買い物' --summary-only
phone put "$(day 7)" '打ち合わせ' --timed
phone put "$(day 8)" '旅行' --days 2
phone put "$(day 10)" '毎週の会' --weekly
others="$(phone others)"
expect_sync a 0 5 0 0
while IFS='|' read -r d value; do
  expect_note a "$(day "$d")" "$value"
done <<'EOF'
2|電話メモ
3|歯医者
4|一行目#~二行目
5|誕生日〓
6|買い物
7|(none)
8|(none)
9|(none)
10|(none)
EOF
expect_server "$(day 5)" '誕生日🎂'
expect_quiet a
expect_sync b 0 5 0 0
expect_quiet a b

# Three objects on one day become one: texts in the order of their UIDs,
# an equal text once.
phone put "$(day 13)" 'あと' --uid Z-13
phone put "$(day 13)" 'さき' --uid A-13
phone put "$(day 13)" 'さき' --uid M-13
run_sync a
[ "$SYNC_RC" = 0 ] || fail "sync of three objects on one day: exit $SYNC_RC, err '$SYNC_ERR'"
expect_note a "$(day 13)" "さき#~$SEP#~あと"
expect_server "$(day 13)" $'さき\n'"$SEP"$'\nあと'
expect_sync b 0 1 0 0
expect_quiet a b

# Both sides changed day 1: both texts everywhere, A's first on A.
notes set "$work/a" "$(day 1)" $'会議\n資料\nA側'
phone edit "$(day 1)" $'会議\n資料\n電話側'
merged=$'会議\n資料\nA側\n'"$SEP"$'\n会議\n資料\n電話側'
expect_sync a 0 0 1 0
expect_note a "$(day 1)" "${merged//$'\n'/#~}"
expect_server "$(day 1)" "$merged"
expect_sync b 0 1 0 0
expect_note b "$(day 1)" "${merged//$'\n'/#~}"
expect_quiet a b

# Deleted on the server, changed in A's file: the change wins.
phone delete "$(day 2)"
notes set "$work/a" "$(day 2)" '電話メモ（変更）'
expect_sync a 1 0 0 0
expect_server "$(day 2)" '電話メモ（変更）'
expect_sync b 0 1 0 0
expect_note b "$(day 2)" '電話メモ（変更）'
expect_quiet a b

# A first sync of a folder with notes against a server with notes asks
# first and writes nothing; --yes applies it.
machine c
notes set "$work/c" "$(day 11)" 'C側メモ'
notes set "$work/c" "$(day 12)" 'C側12'
phone put "$(day 12)" 'サーバー側12'
received=$(($(phone list | wc -l) - 1))
before_c="$(snapshot c)" before_server="$(phone etags)"
run_sync c
[ "$SYNC_RC" = 3 ] || fail "first sync of c with notes on both sides: exit $SYNC_RC (3 expected), out '$SYNC_OUT', err '$SYNC_ERR'"
[[ "$SYNC_ERR" == *"送信 1 件、受信 $received 件、統合 1 件"* ]] ||
  fail "first sync of c: the question lacks '送信 1 件、受信 $received 件、統合 1 件': '$SYNC_ERR'"
[ -z "$SYNC_OUT" ] || fail "first sync of c printed '$SYNC_OUT' on stdout while asking"
[ "$(snapshot c)" = "$before_c" ] || fail "c's folder or sync state changed while asking"
[ "$(phone etags)" = "$before_server" ] || fail "the server changed while c was asking"
expect_sync c 1 "$received" 1 0 --yes
expect_note c "$(day 5)" '誕生日〓'
expect_note c "$(day 12)" "C側12#~$SEP#~サーバー側12"
expect_server "$(day 12)" $'C側12\n'"$SEP"$'\nサーバー側12'
expect_quiet c
expect_sync a 0 2 0 0
expect_sync b 0 2 0 0
expect_quiet a b c
[ "$(notes list "$work/a")" = "$(notes list "$work/c")" ] || fail "a and c differ: $(diff <(notes list "$work/a") <(notes list "$work/c"))"

# A's files lost every note: it asks, and neither side changes.
mkdir "$work/a-saved" && mv "$work"/a/Yotei*.Dat "$work/a-saved/"
before_a="$(snapshot a)" before_server="$(phone etags)"
run_sync a
[ "$SYNC_RC" = 3 ] || fail "sync of emptied files: exit $SYNC_RC (3 expected), out '$SYNC_OUT', err '$SYNC_ERR'"
[ "$(snapshot a)" = "$before_a" ] || fail "a's folder or sync state changed while asking about its empty files"
[ "$(phone etags)" = "$before_server" ] || fail "the server changed while a was asking about its empty files"
mv "$work"/a-saved/Yotei*.Dat "$work/a/"
expect_quiet a

# The phone deleted every note: it asks, and the files stay as they are.
phone delete-all
before_a="$(snapshot a)"
run_sync a
[ "$SYNC_RC" = 3 ] || fail "sync after the server lost every note: exit $SYNC_RC (3 expected), out '$SYNC_OUT', err '$SYNC_ERR'"
[[ "$SYNC_ERR" == *'サーバーの予定がすべて消えています。同期を続けますか？'* ]] ||
  fail "sync after the server lost every note: unexpected question '$SYNC_ERR'"
[ "$(snapshot a)" = "$before_a" ] || fail "a's folder or sync state changed while asking about the empty server"
[ -z "$(phone list)" ] || fail "notes came back to the server while asking: $(phone list)"

# The other events were there all along, unchanged, and never became notes.
[ "$(phone etags)" = "$others" ] || fail "the timed, two-day or weekly events changed: before '$others', now '$(phone etags)'"
for name in a b c; do
  for d in 7 8 9 10; do notes get "$work/$name" "$(day "$d")" >/dev/null && fail "$name has a note on day $d"; done
done
echo "PASS"
