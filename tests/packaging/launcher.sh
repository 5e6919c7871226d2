# Sourced after tests/e2e/lib.sh: starts an installed murvane-launcher the way
# a menu or the session does, in a home folder of its own, and checks where
# the bar keeps its data.
#
#   start_launcher LAUNCHER HOME [XDG_DATA_HOME]   sets MURVANE_PID; without
#                                                  the third, XDG_DATA_HOME is unset
#   check_data_folder DATA HOME                    the bar is up, works in DATA,
#                                                  and HOME holds no data file

start_launcher() {
  local launcher="$1" home="$2" data_home="${3:-}"
  mkdir -p "$home"
  local env_args=(-u XDG_DATA_HOME HOME="$home" XDG_CACHE_HOME="$E2E_TMP/cache" XDG_CONFIG_HOME="$E2E_TMP/config")
  [ -z "$data_home" ] || env_args+=(XDG_DATA_HOME="$data_home")
  (cd "$home" && exec env "${env_args[@]}" "$launcher") >"$E2E_TMP/murvane.log" 2>&1 &
  MURVANE_PID=$!
  E2E_PIDS+=("$MURVANE_PID")
}

check_data_folder() {
  local data="$1" home="$2"
  local wid
  wid="$(e2e_wait_window "$MURVANE_PID")" # in a subshell, as its polling needs
  [ -n "$wid" ] || exit 1
  [ -d "$data" ] || e2e_fail "no data folder $data"
  # The launcher execs the program, so its process is the bar's.
  local cwd
  cwd="$(readlink "/proc/$MURVANE_PID/cwd")"
  [ "$cwd" = "$data" ] || e2e_fail "the bar works in $cwd, expected $data"
  local stray
  stray="$(find "$home" -maxdepth 1 -mindepth 1 ! -name .local)"
  [ -z "$stray" ] || e2e_fail "the home folder got: $stray"
}

stop_program() {
  kill "$MURVANE_PID" 2>/dev/null || true
  wait "$MURVANE_PID" 2>/dev/null || true
}
