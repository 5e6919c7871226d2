#!/usr/bin/env bash
# Builds the Debian package with tools/package, lists it, unpacks it into a
# temporary folder and starts the unpacked bar through its launcher. Never
# installs it. Runs with MURVANE_PACKAGE_TEST=1 or in CI only: the package
# is a whole optimised build of its own.
# Usage: package_check.sh SOURCE_ROOT APP_ID
here="$(dirname "$0")"
root="$1" id="$2"
if [ "${MURVANE_PACKAGE_TEST:-}" != 1 ] && { [ -z "${CI:-}" ] || [ "${CI:-}" = false ]; }; then
  echo "SKIP: the package is built only with MURVANE_PACKAGE_TEST=1 or in CI"
  exit 77
fi
source "$here/../e2e/lib.sh"
source "$here/launcher.sh"
e2e_init

"$root/tools/package" >"$E2E_TMP/package.log" 2>&1 || { cat "$E2E_TMP/package.log" >&2; e2e_fail "tools/package failed"; }
deb="$(tail -n 1 "$E2E_TMP/package.log")"
version="$(sed -n 's/^project(Murvane VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
[ "$(basename "$deb")" = "murvane_${version}_$(dpkg --print-architecture).deb" ] || e2e_fail "package named $deb"

dpkg-deb -c "$deb" | awk '{ print $NF }' >"$E2E_TMP/contents"
for f in bin/murvane bin/murvane-launcher share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
  share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/48x48/apps/$id.png \
  share/doc/murvane/README.md share/doc/murvane/LICENSE; do
  grep -qx "./usr/$f" "$E2E_TMP/contents" || e2e_fail "the package lacks /usr/$f"
done
info="$(dpkg-deb -I "$deb")"
depends="$(sed -n 's/^ Depends: //p' <<<"$info")"
for d in libqt6widgets6 fonts-ipafont-gothic fonts-liberation; do
  grep -q "$d" <<<"$depends" || e2e_fail "Depends lacks $d: $depends"
done
# A sanitizer build would depend on its run-time libraries.
! grep -Eq 'libasan|libubsan' <<<"$depends" || e2e_fail "a sanitizer build was packaged: $depends"
grep -q '^ Maintainer: .*@' <<<"$info" || e2e_fail "no maintainer"

dpkg-deb -x "$deb" "$E2E_TMP/root"
e2e_require Xvfb xdotool
e2e_start_xvfb 1280x800x24
start_launcher "$E2E_TMP/root/usr/bin/murvane-launcher" "$E2E_TMP/home"
check_data_folder "$E2E_TMP/home/.local/share/Murvane" "$E2E_TMP/home"
echo "PASS"
