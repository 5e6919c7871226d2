# Helpers for end-to-end tests under sway (headless) with XWayland. Source
# after lib.sh and call e2e_init first.
#
#   sway_skip MESSAGE              says why in one line; the test counts as skipped (77)
#   sway_start [WxH]               sway as an ordinary user (created when run as root,
#                                  as sway refuses root) with a fresh runtime folder;
#                                  exports WAYLAND_DISPLAY and XWayland's DISPLAY
#   sway_as CMD...                 runs CMD as that user in the session's environment
#   sway_runnable BIN              prints BIN, or a copy the user can run when it cannot
#   sway_start_murvane BIN DIR     starts the bar as that user in DIR; sets MURVANE_PID
#   sway_pointer_start VPOINTER    starts the virtual-pointer client: the headless
#                                  seat has no pointer before it
#   sway_pointer CMD...            abs X Y | rel DX DY | click [BUTTON] | down B | up B;
#                                  returns once the compositor has the command
#   sway_pointer_onto X Y [SECS]   moves the pointer to X Y over an X window until
#                                  XWayland reports it there: a window XWayland has
#                                  mapped may not be on sway's screen yet, and a
#                                  pointer resting where it then appears is not
#                                  over it for X until it moves
#   sway_screen_colors X Y W H     colours of a screen rectangle (grim), RRGGBB a line
#   sway_rect_has_color X Y W H C  true when colour C is among them
#   sway_screenshot FILE           the whole screen as PNG, for a look after a failure
#
# XWayland lets only sway's user in, so xdotool, xwininfo, xprop and xwd
# become functions that run the tools as that user: lib.sh's window helpers
# work unchanged. Everything is stopped when the script ends.

SWAY_USER="murvane-e2e"
SWAY_PID=""
SWAY_RUNTIME=""
SWAY_ENV=()
SWAY_AS=()
SWAY_VP_IN=""
SWAY_VP_OUT=""

sway_skip() {
  echo "SKIP: $*"
  exit 77
}

sway_cleanup() {
  [ -n "$SWAY_VP_IN" ] && exec {SWAY_VP_IN}>&- 2>/dev/null
  [ -n "$SWAY_VP_OUT" ] && exec {SWAY_VP_OUT}<&- 2>/dev/null
  SWAY_VP_IN="" SWAY_VP_OUT=""
  e2e_cleanup
  if [ -n "$SWAY_PID" ]; then
    # sway leads its own process group, XWayland included.
    kill -TERM -- "-$SWAY_PID" 2>/dev/null || true
    local i
    for i in $(seq 1 100); do
      kill -0 -- "-$SWAY_PID" 2>/dev/null || break
      sleep 0.05
    done
    kill -KILL -- "-$SWAY_PID" 2>/dev/null || true
    wait "$SWAY_PID" 2>/dev/null || true
    SWAY_PID=""
  fi
  return 0
}

sway_as() {
  "${SWAY_AS[@]}" env -i "${SWAY_ENV[@]}" "$@"
}

# The user's own account, or when root, an ordinary one made for the tests.
_sway_user() {
  if [ "$(id -u)" -ne 0 ]; then
    SWAY_USER="$(id -un)"
    return 0
  fi
  if ! id "$SWAY_USER" >/dev/null 2>&1; then
    command -v useradd >/dev/null || sway_skip "sway refuses root and useradd is missing to make a user"
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$SWAY_USER" \
      >/dev/null 2>&1 || sway_skip "sway refuses root and the user $SWAY_USER cannot be created"
  fi
  command -v setpriv >/dev/null || sway_skip "setpriv is missing to run sway as $SWAY_USER"
  SWAY_AS=(setpriv "--reuid=$(id -u "$SWAY_USER")" "--regid=$(id -g "$SWAY_USER")" --init-groups --)
  xdotool() { sway_as xdotool "$@"; }
  xwininfo() { sway_as xwininfo "$@"; }
  xprop() { sway_as xprop "$@"; }
  xwd() { sway_as xwd "$@"; }
  # The work folder holds the data folder, the screenshots and the user's home.
  chown "$SWAY_USER:" "$E2E_TMP"
  chmod 755 "$E2E_TMP"
  # Every folder above it must let the user through.
  "${SWAY_AS[@]}" test -w "$E2E_TMP" || sway_skip "$SWAY_USER cannot reach the work folder $E2E_TMP"
}

sway_start() {
  local size="${1:-1280x800}"
  local sway
  sway="$(command -v sway)" || sway_skip "sway is not installed (tools/test installs it)"
  command -v Xwayland >/dev/null || sway_skip "Xwayland is not installed (tools/test installs it)"
  command -v grim >/dev/null || sway_skip "grim is not installed (tools/test installs it)"
  _sway_user
  trap sway_cleanup EXIT

  SWAY_RUNTIME="$E2E_TMP/sway-runtime"
  mkdir -m 700 "$SWAY_RUNTIME"
  mkdir -p "$E2E_TMP/home"
  [ ${#SWAY_AS[@]} -gt 0 ] && chown "$SWAY_USER:" "$SWAY_RUNTIME" "$E2E_TMP/home"

  # No rules for windows: the program has to place itself. The exec line
  # tells us XWayland's display, known to sway once its config is read.
  local config="$E2E_TMP/sway.conf"
  cat >"$config" <<EOF
output * resolution $size position 0 0
xwayland enable
exec printenv DISPLAY >$E2E_TMP/xdisplay.tmp && mv $E2E_TMP/xdisplay.tmp $E2E_TMP/xdisplay
EOF
  SWAY_ENV=(HOME="$E2E_TMP/home" PATH="$PATH" XDG_RUNTIME_DIR="$SWAY_RUNTIME"
            LANG="${LANG:-C.UTF-8}" ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}")
  [ -n "${LC_ALL:-}" ] && SWAY_ENV+=(LC_ALL="$LC_ALL")
  setsid "${SWAY_AS[@]}" env -i "${SWAY_ENV[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
    WLR_RENDERER=pixman "$sway" -c "$config" </dev/null >"$E2E_TMP/sway.log" 2>&1 &
  SWAY_PID=$!

  local deadline=$(($(date +%s%N) + 10000000000)) socket=""
  while [ ! -s "$E2E_TMP/xdisplay" ]; do
    if ! kill -0 "$SWAY_PID" 2>/dev/null; then
      sway_skip "sway ended at start: $(tail -n 1 "$E2E_TMP/sway.log")"
    fi
    [ "$(date +%s%N)" -ge "$deadline" ] && sway_skip "sway did not come up within 10 s"
    sleep 0.05
  done
  socket="$(cd "$SWAY_RUNTIME" && ls wayland-[0-9] 2>/dev/null | head -n 1)"
  [ -n "$socket" ] || sway_skip "sway runs but made no Wayland socket"
  export WAYLAND_DISPLAY="$socket"
  export DISPLAY
  DISPLAY="$(cat "$E2E_TMP/xdisplay")"
  [ -n "$DISPLAY" ] || sway_skip "sway started without XWayland"
  SWAY_ENV+=(WAYLAND_DISPLAY="$WAYLAND_DISPLAY" DISPLAY="$DISPLAY")
  # XWayland starts with its first client; this one waits for it.
  e2e_wait_until 10 xwininfo -root >/dev/null 2>&1 || sway_skip "XWayland did not answer on $DISPLAY within 10 s"
}

sway_runnable() {
  local bin="$1"
  if sway_as test -x "$bin"; then
    echo "$bin"
  else
    mkdir -p "$E2E_TMP/bin"
    cp "$bin" "$E2E_TMP/bin/"
    chmod 755 "$E2E_TMP/bin" "$E2E_TMP/bin/$(basename "$bin")"
    echo "$E2E_TMP/bin/$(basename "$bin")"
  fi
}

sway_start_murvane() {
  local bin dir="$2"
  bin="$(sway_runnable "$1")"
  [ ${#SWAY_AS[@]} -gt 0 ] && chown -R "$SWAY_USER:" "$dir"
  # An X client: without WAYLAND_DISPLAY, Qt takes XWayland.
  local env=() v
  for v in "${SWAY_ENV[@]}"; do
    [[ "$v" == WAYLAND_DISPLAY=* ]] || env+=("$v")
  done
  (cd "$dir" && exec "${SWAY_AS[@]}" env -i "${env[@]}" QT_QPA_PLATFORM=xcb "$bin") \
    >"$E2E_TMP/murvane.log" 2>&1 &
  MURVANE_PID=$!
  E2E_PIDS+=("$MURVANE_PID")
}

sway_pointer_start() {
  local bin
  bin="$(sway_runnable "$1")"
  mkfifo "$E2E_TMP/vp.in" "$E2E_TMP/vp.out"
  sway_as "$bin" <"$E2E_TMP/vp.in" >"$E2E_TMP/vp.out" 2>"$E2E_TMP/vpointer.log" &
  E2E_PIDS+=($!)
  exec {SWAY_VP_IN}>"$E2E_TMP/vp.in"
  exec {SWAY_VP_OUT}<"$E2E_TMP/vp.out"
  local answer=""
  read -r -t 5 answer <&"$SWAY_VP_OUT" || true
  [ "$answer" = ready ] || e2e_fail "no virtual pointer: $(cat "$E2E_TMP/vpointer.log")"
}

sway_pointer() {
  local answer=""
  # In a subshell, so that a client gone away (SIGPIPE) fails here with a reason.
  (echo "$*" >&"$SWAY_VP_IN") 2>/dev/null && read -r -t 5 answer <&"$SWAY_VP_OUT" || true
  [ "$answer" = ok ] || e2e_fail "virtual pointer: '$*' gave '${answer:-no answer}': $(cat "$E2E_TMP/vpointer.log")"
}

_sway_pointer_there() {
  sway_pointer abs "$(($1 > 0 ? $1 - 1 : $1 + 1))" "$2"
  sway_pointer abs "$1" "$2"
  [ "$(xdotool getmouselocation 2>/dev/null | cut -d' ' -f1-2)" = "x:$1 y:$2" ]
}
sway_pointer_onto() {
  e2e_wait_until "${3:-5}" _sway_pointer_there "$1" "$2" ||
    e2e_fail "XWayland does not see the pointer at $1,$2 (no X window there?)"
}

# grim writes a binary PPM: three text lines of header, then RGB bytes.
sway_screen_colors() {
  local x="$1" y="$2" w="$3" h="$4" file="$E2E_TMP/shot.ppm"
  sway_as grim -t ppm -g "$x,$y ${w}x$h" - >"$file"
  local header
  header="$(head -c 64 "$file" | tr '\n' ' ' | awk '{ print length($1 " " $2 " " $3 " " $4) + 1 }')"
  od -An -v -tx1 -w3 -j "$header" "$file" | tr -d ' '
}

sway_rect_has_color() {
  local colors
  colors="$(sway_screen_colors "$1" "$2" "$3" "$4")"
  grep -qix "$5" <<<"$colors"
}

sway_screenshot() {
  sway_as grim - >"$1" 2>/dev/null || true
}
