# Sourced by the tools: installs the Debian packages that are missing, and only those.
# Usage: ensure_packages pkg...
ensure_packages() {
  local missing=()
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# What building the program needs.
BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev libx11-dev libxi-dev
                fonts-ipafont-gothic fonts-liberation)
# Qt's own Japanese texts for its colour and file dialogs; read at run time too.
BUILD_PACKAGES+=(qt6-translations-l10n)
# The icon's PNG sizes are rendered from its SVG at build time.
BUILD_PACKAGES+=(librsvg2-bin)
# CalDAV passwords go to the system's secret store through QtKeychain, which
# reaches the Secret Service through libsecret at run time.
BUILD_PACKAGES+=(qtkeychain-qt6-dev libsecret-1-0)
# What the end-to-end tests add: a virtual X server and a way to drive it.
TEST_PACKAGES=(xvfb xauth xdotool x11-utils x11-apps x11-xserver-utils)
# The day-change end-to-end test runs the program under a faked clock.
TEST_PACKAGES+=(faketime)
# The installed files' validators.
TEST_PACKAGES+=(desktop-file-utils appstream libxml2-utils)
# The profile fuzzer: clang with its libFuzzer and sanitizer runtimes, which
# Debian's clang only recommends (libclang-rt-dev).
TEST_PACKAGES+=(clang libclang-rt-dev)
# The bar's stacking watch talks to the X server through xcb.
BUILD_PACKAGES+=(libxcb1-dev)
# A window manager for the end-to-end test of the bar under one.
TEST_PACKAGES+=(openbox)
# The sway test: a Wayland compositor with XWayland, screenshots, and what our
# small virtual-pointer client is built from.
TEST_PACKAGES+=(sway xwayland grim libwayland-dev)
# The iCalendar reader links libical.
BUILD_PACKAGES+=(libical-dev)
# The reader's expansions are checked against recurring_ical_events.
TEST_PACKAGES+=(python3-recurring-ical-events python3-icalendar python3-x-wr-timezone)
# CalDAV tests: Radicale and Xandikos servers, and a session bus with GNOME's keyring
# daemon as the secret store, looked at with secret-tool.
TEST_PACKAGES+=(radicale xandikos dbus gnome-keyring libsecret-tools)
# The accessibility test reads the bar as a screen reader does: pyatspi (run by
# Debian's own /usr/bin/python3) over the AT-SPI bus of at-spi2-core.
TEST_PACKAGES+=(python3-pyatspi at-spi2-core)
# The store's tests serve feeds with Python's http.server.
TEST_PACKAGES+=(python3)
# What tools/package adds: CPack's DEB generator finds the libraries with
# dpkg-shlibdeps and the programs with file.
PACKAGE_PACKAGES=(dpkg-dev file)
# What tools/windows/build adds: the MinGW-w64 cross compiler, the icon's
# .ico maker, and NSIS for the installer.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix icoutils nsis xz-utils)
# The Windows program's tests run under Wine (64-bit only); Japanese text
# reaches it through the clipboard.
TEST_PACKAGES+=(wine64 xclip)
