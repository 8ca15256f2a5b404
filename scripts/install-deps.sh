#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking Tilvane need.
# Idempotent: when everything is present it does nothing, and it refreshes the package
# lists only when something has to be installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git clang-format
  # make lint: clang-tidy and its run-clang-tidy
  clang-tidy
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # SVG pictures (the library and its icon and image plugins)
  qt6-svg-dev
  # a font for windows rendered without a desktop (tests, screenshots)
  fonts-dejavu-core
  libcurl4-openssl-dev libpugixml-dev
  libzip-dev zipcmp zipmerge ziptool zlib1g-dev
  libcpp-httplib-dev libssl-dev libbrotli-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xdg-utils
  # checks of the desktop entry and the AppStream metainfo; the .deb's
  # library dependencies; a clean Debian root for the package check
  appstream desktop-file-utils dpkg-dev debootstrap
  # the portable bundle: run paths into its folder, and the Wayland platform
  # it carries besides X11
  patchelf qt6-wayland
  # a real X server without a screen, for the start-up benchmark
  xvfb xauth
  # clang and its libFuzzer runtime, for scripts/fuzz-server-page.sh
  clang libclang-rt-dev
  # the Windows cross build (GoogleTest from its sources) and Wine to run its
  # tests (scripts/test-windows.sh)
  g++-mingw-w64-x86-64-posix wine wine64 googletest
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
