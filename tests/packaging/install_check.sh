#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop finds
# there: the desktop entry and the AppStream metadata validate, every icon
# size is there and the SVG parses, the README and the licence are there; the
# installed launcher, started as the menu starts it, shows the bar working in
# ${XDG_DATA_HOME:-$HOME/.local/share}/Murvane and puts nothing in HOME itself.
# Usage: install_check.sh BUILD_DIR APP_ID
here="$(dirname "$0")"
source "$here/../e2e/lib.sh"
source "$here/launcher.sh"
build="$1" id="$2"
e2e_init
e2e_require desktop-file-validate appstreamcli xmllint

prefix="$E2E_TMP/prefix"
cmake --install "$build" --prefix "$prefix" >"$E2E_TMP/install.log" 2>&1 ||
  { cat "$E2E_TMP/install.log" >&2; e2e_fail "cmake --install failed"; }
share="$prefix/share"

entry="$share/applications/$id.desktop"
report="$(desktop-file-validate "$entry" 2>&1)" && [ -z "$report" ] || e2e_fail "desktop-file-validate: $report"
program="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")"
[ -x "$prefix/bin/$program" ] || e2e_fail "the entry starts $program, which is not in bin/"
grep -qx "Icon=$id" "$entry" || e2e_fail "the entry names another icon"
report="$(appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" 2>&1)" ||
  e2e_fail "appstreamcli validate: $report"
# The tree as a whole: the metadata's launchable entry is there.
report="$(appstreamcli validate-tree --no-net "$prefix" 2>&1)" || e2e_fail "appstreamcli validate-tree: $report"

icons="$share/icons/hicolor"
for size in 16 32 48 64 128 256; do
  png="$icons/${size}x$size/apps/$id.png"
  [ -f "$png" ] || e2e_fail "no ${size}x$size icon"
  # The signature, then width and height from the IHDR chunk.
  [ "$(od -An -tx1 -N 8 "$png" | tr -d ' ')" = 89504e470d0a1a0a ] || e2e_fail "$png is no PNG"
  read -r w h <<<"$(od -An -tu4 --endian=big -j 16 -N 8 "$png")"
  [ "$w" = "$size" ] && [ "$h" = "$size" ] || e2e_fail "$png is ${w}x$h"
done
svg="$icons/scalable/apps/$id.svg"
[ "$(xmllint --xpath 'local-name(/*)' "$svg" 2>&1)" = svg ] || e2e_fail "$svg does not parse as SVG"
for f in README.md LICENSE docs/bar.png; do
  [ -f "$share/doc/murvane/$f" ] || e2e_fail "no $f in share/doc/murvane"
done

# As the menu starts it: in the home folder, with and without XDG_DATA_HOME.
e2e_require Xvfb xdotool
e2e_start_xvfb 1280x800x24
start_launcher "$prefix/bin/murvane-launcher" "$E2E_TMP/home1" "$E2E_TMP/xdg-data"
check_data_folder "$E2E_TMP/xdg-data/Murvane" "$E2E_TMP/home1"
[ ! -e "$E2E_TMP/home1/.local" ] || e2e_fail "made ~/.local although XDG_DATA_HOME is set"
stop_program
start_launcher "$prefix/bin/murvane-launcher" "$E2E_TMP/home2"
check_data_folder "$E2E_TMP/home2/.local/share/Murvane" "$E2E_TMP/home2"
echo "PASS"
