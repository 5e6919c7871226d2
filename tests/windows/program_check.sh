#!/usr/bin/env bash
# What the Windows packages promise before anything runs: murvane.exe needs
# only Windows' own DLLs (no Qt, C++ runtime or thread library beside it),
# carries its icon, version and manifest (asInvoker, PerMonitorV2, Common
# Controls 6, Windows 10/11), and program and installer keep to their sizes.
# Usage: program_check.sh murvane.exe setup.exe
set -euo pipefail
exe="$1" setup="$2"
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in x86_64-w64-mingw32-objdump wrestool; do
  command -v "$tool" >/dev/null || fail "$tool is missing (tools/windows/build installs it)"
done

# Windows' own libraries, and the API sets they are reached through.
system='^(advapi32|authz|bcrypt|comdlg32|crypt32|d3d9|d3d11|dwmapi|dwrite|dxgi|gdi32|imm32|iphlpapi|kernel32|msvcrt|netapi32|ole32|oleaut32|secur32|shcore|shell32|shlwapi|user32|userenv|uxtheme|version|winhttp|winmm|ws2_32|wtsapi32|api-ms-win-[a-z0-9-]+)\.dll$'
foreign="$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}' | grep -Ev "$system" || true)"
[ -z "$foreign" ] || fail "murvane.exe needs DLLs that Windows does not have: $foreign"

resources="$(wrestool -l "$exe")"
for type in 14 16 24; do # group icon, version, manifest
  grep -q -- "--type=$type " <<<"$resources" || fail "no resource of type $type in murvane.exe: $resources"
done
manifest="$(wrestool -x --raw --type=24 "$exe")"
for want in 'level="asInvoker"' PerMonitorV2 Microsoft.Windows.Common-Controls '8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a'; do
  grep -qF "$want" <<<"$manifest" || fail "the manifest lacks $want"
done
version="$(wrestool -x --raw --type=16 "$exe" | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr -c '[:print:]' ' ')"
grep -q "ProductName *Murvane" <<<"$version" || fail "the version resource names no product: $version"

size=$(stat -c %s "$exe") setup_size=$(stat -c %s "$setup")
[ "$size" -le $((30 * 1024 * 1024)) ] || fail "murvane.exe is $size bytes, over 30 MB"
[ "$setup_size" -le $((15 * 1024 * 1024)) ] || fail "the installer is $setup_size bytes, over 15 MB"
echo "PASS: murvane.exe $size bytes, installer $setup_size bytes"
