#!/usr/bin/env bash
# Prints the folder of the Windows build's prefix (Qt 6.4.2 and libical,
# static, for x86_64-w64-mingw32), making it ready first:
# - $MURVANE_WIN_DEPS, when set, is used as it is;
# - else the packed prefix in shared/windows/ beside the checkout is checked
#   against its .sha256 and unpacked once into the cache folder;
# - else a prefix built into the cache folder with shared/windows/build-deps.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cache="${XDG_CACHE_HOME:-$HOME/.cache}/murvane/windows"

ready() { [ -f "$1/lib/cmake/Qt6/qt.toolchain.cmake" ] && [ -f "$1/lib/cmake/LibIcal/LibIcalConfig.cmake" ]; }

if [ -n "${MURVANE_WIN_DEPS:-}" ]; then
  ready "$MURVANE_WIN_DEPS" || { echo "MURVANE_WIN_DEPS=$MURVANE_WIN_DEPS holds no Qt and libical prefix" >&2; exit 1; }
  echo "$MURVANE_WIN_DEPS"
  exit 0
fi

for shared in "$root/../shared/windows" "$root/shared/windows"; do
  for tarball in "$shared"/murvane-win-deps-*.tar.xz; do
    [ -f "$tarball" ] || continue
    name="$(basename "$tarball" .tar.xz)"
    target="$cache/$name"
    if ! ready "$target/murvane-win"; then
      (cd "$shared" && sha256sum --quiet -c "$name.tar.xz.sha256") >&2 ||
        { echo "$tarball does not match its .sha256" >&2; exit 1; }
      rm -rf "$target.part"
      mkdir -p "$target.part"
      tar -C "$target.part" -xJf "$tarball"
      rm -rf "$target"
      mv "$target.part" "$target"
    fi
    echo "$target/murvane-win"
    exit 0
  done
done

if ready "$cache/built/murvane-win"; then
  echo "$cache/built/murvane-win"
  exit 0
fi
echo "No prefix for the Windows build: put murvane-win-deps-*.tar.xz in shared/windows/ beside the checkout," >&2
echo "set MURVANE_WIN_DEPS, or build one into $cache/built with shared/windows/build-deps.sh." >&2
exit 1
