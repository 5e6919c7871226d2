#!/usr/bin/env bash
# The per-user installer under Wine, in a fresh prefix of its own: a silent
# install puts the program, the Start-menu shortcut and the Uninstall entry
# in place, and the installed bar starts; neither the installer nor the
# uninstaller touches a running bar; a silent uninstall takes everything of
# its own away and leaves the user's data.
# Usage: installer.sh murvane-VERSION-setup.exe
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/winelib.sh"
setup="$(realpath "$1")"
version="$(basename "$setup" | sed -n 's/^murvane-\(.*\)-setup\.exe$/\1/p')"
[ -n "$version" ] || e2e_fail "no version in the installer's name: $setup"
e2e_init
e2e_require xdotool xwininfo strings
[ -x "$WINE" ] || { echo "SKIP: $WINE is missing (tools/test installs wine64)"; exit 77; }

# Fresh each run; the mark beside it keeps a prefix that is not ours from being wiped.
export WINEPREFIX="${WINEPREFIX:-$E2E_TMP/wineprefix}"
mark="$WINEPREFIX.installer-test"
[ ! -e "$WINEPREFIX" ] || [ -e "$mark" ] || e2e_fail "$WINEPREFIX is no prefix of this test's; not wiping it"
"$WINESERVER" -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
touch "$mark"
wine_prepare || exit 77
trap '"$WINESERVER" -k 2>/dev/null || true; e2e_cleanup' EXIT
e2e_start_xvfb 1280x800x24

"$WINE" "$setup" /S || e2e_fail "the silent install failed: status $?"
user="$(ls "$WINEPREFIX/drive_c/users" | grep -vx Public || true)"
[ "$(wc -l <<<"$user")" -eq 1 ] || e2e_fail "no single user folder in the prefix: $user"
home="$WINEPREFIX/drive_c/users/$user/AppData"
home_win="C:\\users\\$user\\AppData"
dir="$home/Local/Programs/Murvane"
dir_win="$home_win\\Local\\Programs\\Murvane"
exe="$dir/murvane.exe"
link="$home/Roaming/Microsoft/Windows/Start Menu/Programs/Murvane.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Murvane'
for f in "$exe" "$dir/uninstall.exe" "$link"; do
  [ -f "$f" ] || e2e_fail "not installed: ${f#"$WINEPREFIX/"}"
done
targets="$(strings -a -el "$link")"
for want in "$dir_win\\murvane.exe" "--data \"$home_win\\Roaming\\Murvane\""; do
  grep -qF -- "$want" <<<"$targets" || e2e_fail "the shortcut lacks $want: $targets"
done

# The entry Windows' "Apps" list reads; EstimatedSize counts KiB.
declare -A entry=()
while read -r name type value; do
  [ "$type" = REG_DWORD ] && value=$((value))
  entry[$name]="$value"
done < <("$WINE" reg query "$key" | tr -d '\r' | grep -E '^ +[A-Za-z]+ +REG_')
while read -r name want; do
  if [ "$want" = "<any>" ]; then [ -n "${entry[$name]:-}" ]; else [ "${entry[$name]:-}" = "$want" ]; fi ||
    e2e_fail "Uninstall entry $name is '${entry[$name]:-}', not $want"
done <<EOF
DisplayName Murvane
DisplayVersion $version
Publisher <any>
DisplayIcon $dir_win\\murvane.exe,0
UninstallString "$dir_win\\uninstall.exe"
EOF
min_kib=$(($(stat -c %s "$exe") / 1024))
[ "${entry[EstimatedSize]:-0}" -ge "$min_kib" ] || e2e_fail "EstimatedSize ${entry[EstimatedSize]:-} KiB is below the program's $min_kib KiB"

# The user's data, which the uninstall has to leave as it is.
datafile="$home/Roaming/Murvane/Yotei202612.Dat"
mkdir -p "$(dirname "$datafile")"
head -c 4096 /dev/urandom >"$datafile"
cp "$datafile" "$E2E_TMP/data.copy"

# The installed bar, in a data folder of the test's.
data="$(e2e_make_datadir)"
"$WINE" "$exe" --data "Z:${data//\//\\}" >"$E2E_TMP/murvane.log" 2>&1 &
MURVANE_PID=$!
E2E_PIDS+=("$MURVANE_PID")
bar_shown() {
  local w x y ww hh
  for w in $(xdotool search --onlyvisible --pid "$MURVANE_PID" 2>/dev/null); do
    read -r x y ww hh <<<"$(e2e_geometry "$w" 2>/dev/null)" || continue
    [ "$x" = 0 ] && [ "$hh" = 37 ] && return 0
  done
  return 1
}
e2e_wait_until 30 bar_shown || { e2e_log >&2; e2e_fail "the installed bar showed no window 37 px high at x 0"; }

# A running bar holds its program open: installer and uninstaller must give
# up and change nothing. NSIS gives a file the build's time stamp, so the old
# one set here tells the program was not replaced.
touch -d 2001-01-01 "$exe"
old="$(stat -c %Y "$exe")"
refused() {
  local status=0
  "$WINE" "$@" || status=$?
  [ "$status" -ne 0 ] || e2e_fail "$* went ahead under a running bar"
  [ "$(stat -c %Y "$exe")" = "$old" ] || e2e_fail "$* replaced the running program"
  [ -f "$link" ] && "$WINE" reg query "$key" >/dev/null || e2e_fail "$* removed the shortcut or the entry"
}
refused "$setup" /S
# _?= runs the uninstaller in place, so its status is its own.
refused "$dir/uninstall.exe" /S "_?=$dir_win"
kill -0 "$MURVANE_PID" 2>/dev/null || e2e_fail "the bar ended while installers ran"
kill "$MURVANE_PID"
wait "$MURVANE_PID" || true

# With the bar closed the same install goes through.
"$WINE" "$setup" /S || e2e_fail "the install after closing the bar failed: status $?"
[ "$(stat -c %Y "$exe")" != "$old" ] || e2e_fail "the install after closing the bar left the old program"

# The uninstaller copies itself away and returns at once: wait for all of Wine.
"$WINE" "$dir/uninstall.exe" /S
"$WINESERVER" -w
[ ! -e "$dir" ] || e2e_fail "the program folder stays: $(ls "$dir")"
[ ! -e "$link" ] || e2e_fail "the Start-menu shortcut stays"
! "$WINE" reg query "$key" >/dev/null 2>&1 || e2e_fail "the Uninstall entry stays"
cmp -s "$datafile" "$E2E_TMP/data.copy" || e2e_fail "the uninstall changed or removed the user's data"
echo "PASS"
