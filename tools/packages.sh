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
# What the end-to-end tests add: a virtual X server and a way to drive it.
TEST_PACKAGES=(xvfb xauth xdotool x11-utils x11-apps)
# The bar's stacking watch talks to the X server through xcb.
BUILD_PACKAGES+=(libxcb1-dev)
# A window manager for the end-to-end test of the bar under one.
TEST_PACKAGES+=(openbox)
# xrandr, to lay out two monitors in one X screen for the bar's monitor test.
TEST_PACKAGES+=(x11-xserver-utils)
# The sway test: a Wayland compositor with XWayland, screenshots, and what our
# small virtual-pointer client is built from.
TEST_PACKAGES+=(sway xwayland grim libwayland-dev)
