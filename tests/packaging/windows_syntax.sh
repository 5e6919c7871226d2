#!/usr/bin/env bash
# Compiles every source of the Windows build with the MinGW-w64 cross compiler
# in syntax-only mode, against this machine's Qt headers with _WIN32 defined by
# the compiler: the Windows platform layer is checked without a Windows machine.
# libical's headers are this machine's too (LIBICAL_INCLUDE_DIR holds libical/):
# only that folder is shown to the cross compiler, the rest of its parent is
# this machine's C library.
# Usage: windows_syntax.sh SOURCE_ROOT APP_ID QT_INCLUDE_DIRS(colon-separated) LIBICAL_INCLUDE_DIR
set -euo pipefail
root="$1" app_id="$2" qt_dirs="$3" ical_dir="$4"
cxx=x86_64-w64-mingw32-g++-posix
command -v "$cxx" >/dev/null ||
  { echo "FAIL: $cxx is missing (tools/test installs g++-mingw-w64-x86-64-posix)" >&2; exit 1; }

listing="$(cmake -DROOT="$root" -DMURVANE_APP_ID="$app_id" -P "$(dirname "$0")/windows_sources.cmake" 2>&1)" ||
  { echo "$listing" >&2; echo "FAIL: could not list the Windows sources" >&2; exit 1; }

# Qt's own build defines these for every Windows target.
flags=(-std=c++20 -fsyntax-only -Wall -Wextra -Wno-attributes -DUNICODE -D_UNICODE)
IFS=: read -ra dirs <<<"$qt_dirs"
for d in "${dirs[@]}"; do flags+=("-I$d"); done
[ -f "$ical_dir/libical/ical.h" ] || { echo "FAIL: no libical/ical.h under $ical_dir" >&2; exit 1; }
staged="$(mktemp -d)"
trap 'rm -rf "$staged"' EXIT
ln -s "$ical_dir/libical" "$staged/libical"
flags+=(-isystem "$staged")
sources=()
while IFS= read -r line; do
  case "$line" in
    "SRC "*) sources+=("${line#SRC }") ;;
    "DEF "*) flags+=("-D${line#DEF }") ;;
    "INC "*) flags+=("-I${line#INC }") ;;
    *) echo "FAIL: unexpected line from the listing: $line" >&2; exit 1 ;;
  esac
done <<<"$listing"
[ ${#sources[@]} -gt 0 ] || { echo "FAIL: no sources listed" >&2; exit 1; }

failed=()
for src in "${sources[@]}"; do
  "$cxx" "${flags[@]}" "$src" || failed+=("${src#"$root"/}")
done
echo "${#sources[@]} files compiled for Windows, ${#failed[@]} failed${failed:+: ${failed[*]}}"
[ ${#failed[@]} -eq 0 ]
