# Helpers for the end-to-end tests: sourced by each tests/e2e/e2e_*.sh.
#
#   e2e_init                     temporary work folder, cleanup on exit
#   e2e_start_xvfb [WxHxD]       a private X server on a free display; exports DISPLAY
#   e2e_make_datadir [NAME]      an empty data folder; prints its path
#   e2e_start_murvane BIN DIR    starts the bar in DIR; sets MURVANE_PID
#   e2e_wait_window PID [SECS]   waits for the program's visible window; prints its id
#   e2e_geometry WID             prints "X Y W H" of the window on the screen
#   e2e_pointer X Y              moves the pointer there as a mouse would
#   e2e_wait_until SECS CMD...   retries CMD until it succeeds or SECS pass
#   e2e_fail MESSAGE             reports and ends the test with failure
#   e2e_map_chars TEXT           gives the characters of TEXT keys of their own before typing
#   e2e_open_editor              double-clicks where the pointer is; sets EDITOR_X, EDITOR_Y of the day editor
#
# Everything started here is killed when the script ends, however it ends.

set -euo pipefail

E2E_PIDS=()
E2E_TMP=""

e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${E2E_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  [ -n "$E2E_TMP" ] && rm -rf "$E2E_TMP"
  return 0
}

e2e_init() {
  E2E_TMP="$(mktemp -d "${TMPDIR:-/tmp}/murvane-e2e.XXXXXX")"
  trap e2e_cleanup EXIT
  trap 'exit 130' INT TERM
  export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
  export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
  mkdir -m 700 -p "$XDG_RUNTIME_DIR"
  unset WAYLAND_DISPLAY QT_QPA_PLATFORM
}

e2e_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

e2e_require() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || e2e_fail "$tool is not installed (tools/test installs it)"
  done
}

# Xvfb picks a free display itself and writes its number to the descriptor.
e2e_start_xvfb() {
  local screen="${1:-1280x800x24}"
  shift || true
  e2e_require Xvfb
  local fdfile="$E2E_TMP/displayfd"
  : >"$fdfile"
  Xvfb -displayfd 9 -screen 0 "$screen" -nolisten tcp -noreset "$@" 9>"$fdfile" >"$E2E_TMP/xvfb.log" 2>&1 &
  E2E_PIDS+=($!)
  local i
  for i in $(seq 1 200); do
    if grep -q '^[0-9]' "$fdfile" 2>/dev/null; then
      export DISPLAY=":$(head -n 1 "$fdfile" | tr -d '[:space:]')"
      return 0
    fi
    sleep 0.025
  done
  cat "$E2E_TMP/xvfb.log" >&2
  e2e_fail "Xvfb did not start"
}

e2e_make_datadir() {
  local dir="$E2E_TMP/${1:-data}"
  mkdir -p "$dir"
  echo "$dir"
}

e2e_start_murvane() {
  local bin="$1" dir="$2"
  [ -x "$bin" ] || e2e_fail "no program at $bin"
  (cd "$dir" && exec "$bin") >"$E2E_TMP/murvane.log" 2>&1 &
  MURVANE_PID=$!
  E2E_PIDS+=("$MURVANE_PID")
}

# A warp (xdotool mousemove) moves no input device, so programs that listen
# to raw device motion never hear of it: warp next to the target, then make
# the last pixel a relative move of the virtual device.
e2e_pointer() {
  local x="$1" y="$2"
  if [ "$x" -gt 0 ]; then
    xdotool mousemove "$((x - 1))" "$y" mousemove_relative -- 1 0
  else
    xdotool mousemove "$((x + 1))" "$y" mousemove_relative -- -1 0
  fi
}

e2e_log() {
  cat "$E2E_TMP/murvane.log" 2>/dev/null || true
}

e2e_wait_until() {
  local secs="$1"
  shift
  local deadline=$(($(date +%s%N) + secs * 1000000000))
  while :; do
    "$@" && return 0
    [ "$(date +%s%N)" -ge "$deadline" ] && return 1
    sleep 0.02
  done
}

_e2e_visible_window() {
  xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -n 1
}

e2e_wait_window() {
  local pid="$1" secs="${2:-10}" wid=""
  e2e_require xdotool
  local deadline=$(($(date +%s%N) + secs * 1000000000))
  while [ -z "$wid" ]; do
    kill -0 "$pid" 2>/dev/null || { e2e_log >&2; e2e_fail "the program ended early"; }
    wid="$(_e2e_visible_window "$pid")"
    [ -n "$wid" ] && break
    [ "$(date +%s%N)" -ge "$deadline" ] && e2e_fail "no window of process $pid within ${secs}s"
    sleep 0.02
  done
  echo "$wid"
}

# Absolute position and size, as xwininfo reports them (negative Y included).
e2e_geometry() {
  xwininfo -id "$1" | awk '
    /Absolute upper-left X:/ { x = $NF }
    /Absolute upper-left Y:/ { y = $NF }
    /^ *Width:/ { w = $NF }
    /^ *Height:/ { h = $NF }
    END { print x, y, w, h }'
}

# True when field N (1 X, 2 Y, 3 W, 4 H) of the window's geometry is VALUE.
e2e_geometry_is() {
  local wid="$1" field="$2" value="$3"
  [ "$(e2e_geometry "$wid" | cut -d' ' -f"$field")" = "$value" ]
}

# Visible windows of the program with the given size; prints "ID X Y".
windows_of_size() {
  local want="$1" w x y ww hh
  for w in $(xdotool search --onlyvisible --pid "$MURVANE_PID" 2>/dev/null); do
    read -r x y ww hh <<<"$(e2e_geometry "$w" 2>/dev/null)" || continue
    [ "${ww}x$hh" = "$want" ] && echo "$w $x $y"
  done
  return 0
}
has_window_of_size() { [ -n "$(windows_of_size "$1")" ]; }
no_window_of_size() { [ -z "$(windows_of_size "$1")" ]; }
visible_count() { xdotool search --onlyvisible --pid "$MURVANE_PID" 2>/dev/null | wc -l; }
count_above() { [ "$(visible_count)" -gt "$1" ]; }

# The colours of a screen rectangle as RRGGBB, one a line, from an xwd dump
# of the whole screen (TrueColor, 24 or 32 bits a pixel, red mask 0xFF0000).
screen_colors() {
  local x="$1" y="$2" w="$3" h="$4" dump="$E2E_TMP/screen.xwd"
  xwd -root -silent >"$dump"
  field() { od -An -tu4 --endian=big -j "$1" -N 4 "$dump" | tr -d ' '; }
  local header order bpp bpl ncolors row
  header="$(field 0)" order="$(field 28)" bpp="$(field 44)" bpl="$(field 48)" ncolors="$(field 76)"
  local size=$((bpp / 8))
  for ((row = y; row < y + h; row++)); do
    od -An -v -tx1 -w"$size" -j $((header + ncolors * 12 + row * bpl + x * size)) -N $((w * size)) "$dump" |
      awk -v msb="$order" -v size="$size" '{
        if (msb == 1) print (size == 4 ? $2 $3 $4 : $1 $2 $3)
        else print $3 $2 $1
      }'
  done
}
# Read whole first: grep -q would end the pipe early, which pipefail reports.
rect_has_color() {
  local colors
  colors="$(screen_colors "$1" "$2" "$3" "$4")"
  grep -qix "$5" <<<"$colors"
}

# Gives each character of TEXT that the keyboard lacks a free key of its own
# before it is typed. Without it xdotool remaps one spare key for every such
# character, and a program that reads a press after the next remapping sees
# the wrong character or none.
e2e_map_chars() {
  local free=() args=() ch hex i=0
  mapfile -t free < <(xmodmap -pke | awk '$4 == "" && $2 > 8 {print $2}')
  while IFS= read -r ch; do
    case "$ch" in [[:print:]]) [ "$(printf '%s' "$ch" | wc -c)" -eq 1 ] && continue ;; esac
    hex="$(printf '%s' "$ch" | iconv -f UTF-8 -t UTF-32BE | od -An -tx1 | tr -d ' \n')"
    [ "$i" -lt "${#free[@]}" ] || e2e_fail "no free key left for $ch"
    args+=(-e "keycode ${free[i]} = U${hex#0000}")
    i=$((i + 1))
  done < <(printf '%s' "$1" | LC_ALL=C.UTF-8 grep -o .)
  [ ${#args[@]} -eq 0 ] || xmodmap "${args[@]}"
}

# Double-clicks where the pointer is and waits for the day editor; sets
# EDITOR_X and EDITOR_Y to where it stands.
e2e_open_editor() {
  xdotool click --repeat 2 --delay 80 1
  e2e_wait_until 5 has_window_of_size 247x245 || { e2e_log >&2; e2e_fail "the double-click opened no editor"; }
  read -r _ EDITOR_X EDITOR_Y <<<"$(windows_of_size 247x245)"
}
