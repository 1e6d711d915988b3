#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing), then configures and
# builds one preset. Usage: scripts/setup.sh [PRESET]   (default: "default")
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"

packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          libjpeg62-turbo-dev libcurl4-openssl-dev python3 ccache mold
          libgphoto2-dev gphoto2 strace
          # libgphoto2's own catalogues: the tests read its texts in German and Chinese
          libgphoto2-l10n
          # the desktop windows, their Chinese font, Qt's own translations (the standard
          # buttons in Chinese), and the tests on a real X server
          qt6-base-dev qt6-svg-dev fonts-wqy-microhei qt6-translations-l10n
          xvfb xauth x11-utils
          # the package: cpack's dependencies, the manual page made from --help, the
          # validators of the desktop files and of the package itself
          dpkg-dev help2man desktop-file-utils appstream lintian)
if [ "$preset" = fuzz ]; then packages+=(clang libclang-rt-dev); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}" >/dev/null
  else
    echo "Missing packages. Run as root:" >&2
    echo "  apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
fi

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
