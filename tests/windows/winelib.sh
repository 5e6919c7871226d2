# Wine for the tests of the Windows build: sourced by wine-run and the
# Windows end-to-end tests. Debian's wine64 runs 64-bit programs only, which
# is what we build.
#
#   wine_prepare    makes the Wine prefix once (WINEPREFIX, default a cache
#                   folder of ours); returns 1, with the reason, when Wine
#                   cannot be used here
#   $WINE, $WINESERVER

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer dialogs: nothing of ours needs them.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64

wine_prepare() {
  export WINEPREFIX="${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/murvane/wineprefix}"
  if [ ! -x "$WINE" ]; then
    echo "SKIP: $WINE is missing (tools/test installs wine64)" >&2
    return 1
  fi
  [ -f "$WINEPREFIX/.murvane-ready" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    # Tests run side by side: one makes the prefix, the others wait for it.
    flock 9
    [ -f "$WINEPREFIX/.murvane-ready" ] && exit 0
    rm -rf "$WINEPREFIX"
    DISPLAY= "$WINE" wineboot --init >"$WINEPREFIX.log" 2>&1 || { cat "$WINEPREFIX.log" >&2; exit 1; }
    "$WINESERVER" -w
    touch "$WINEPREFIX/.murvane-ready"
  ) 9>"$WINEPREFIX.lock" || { echo "SKIP: the Wine prefix $WINEPREFIX could not be made" >&2; return 1; }
}
