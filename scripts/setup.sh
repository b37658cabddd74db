#!/usr/bin/env bash
# Installs every Debian package Quillantrix needs to build, run and test.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config clang libclang-rt-14-dev
  libtiff-dev libjpeg62-turbo-dev libpng-dev zlib1g-dev nettle-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-liberation
  libx11-dev libxext-dev libxi-dev libxtst-dev
  libcurl4-openssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-apps xclip cups-client
  imagemagick netpbm libtiff-tools ghostscript
  libvips-dev libvips-tools graphicsmagick
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "setup: installed ${missing[*]}"
