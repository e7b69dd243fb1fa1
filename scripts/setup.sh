#!/usr/bin/env bash
# Installs the Debian packages Vitrinex needs, and nothing more than what is asked for. Safe to run
# again; no package installed here runs a service.
#   scripts/setup.sh            building and running the program
#   scripts/setup.sh --server   ... and the local update server (scripts/update-server.sh)
#   scripts/setup.sh --package  ... and building the Debian package (scripts/package.sh)
#   scripts/setup.sh --test     ... and running the tests (includes --server and --package)
#   scripts/setup.sh --clang    ... and clang with its sanitizer and fuzzer runtimes
#   scripts/setup.sh --screenshot ... and the virtual display and tools that take pictures of it
#   scripts/setup.sh --format   ... and clang-format, which lays out the sources (scripts/format.sh)
#   scripts/setup.sh --tidy     ... and clang-tidy with clang, which check the sources (scripts/tidy.sh)
# Options can be combined.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev qt6-qpa-plugins libqt6opengl6-dev libgl-dev libjpeg-dev
  # WebP photos are read by the image-formats plugins.
  qt6-image-formats-plugins
  # The skin and the printed list are set in these fonts.
  fonts-liberation fonts-urw-base35
)
server=(python3)
package=(dpkg-dev file)
screenshot=(xvfb xauth x11-utils x11-apps netpbm xdotool)
for option in "$@"; do
  case $option in
    --server) packages+=("${server[@]}") ;;
    --package) packages+=("${package[@]}") ;;
    --test)
      # pdftotext reads printed lists back; the packaging test validates the desktop files, runs
      # lintian and reads the window's class under a virtual display; the accessibility test reads the
      # window through AT-SPI, on a bus of its own that it stops.
      packages+=("${server[@]}" "${package[@]}" poppler-utils desktop-file-utils appstream
                 shared-mime-info lintian xvfb xauth x11-utils at-spi2-core python3-pyatspi) ;;
    --clang) packages+=(clang libclang-rt-14-dev) ;;
    --screenshot) packages+=("${screenshot[@]}") ;;
    --format) packages+=(clang-format) ;;
    --tidy) packages+=(clang-tidy clang) ;;
    *) echo "usage: $0 [--server] [--package] [--test] [--clang] [--screenshot] [--format] [--tidy]" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
