#!/usr/bin/env bash
# Installs every Debian package Vitrinex needs to build, run and test. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev qt6-qpa-plugins libqt6opengl6-dev libgl-dev
  libjpeg-dev fonts-liberation fonts-urw-base35
  clang libclang-rt-14-dev
  poppler-utils xvfb xauth nginx-light
  dpkg-dev file desktop-file-utils appstream shared-mime-info x11-apps netpbm
)

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
