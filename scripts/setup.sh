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
  # gdb: the whole-program tests print the stacks of a program that will not stop.
  xvfb xauth xdotool x11-apps xclip cups-client gdb
  imagemagick netpbm libtiff-tools ghostscript
  libvips-dev libvips-tools graphicsmagick
  locales
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
else
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
  echo "setup: installed ${missing[*]}"
fi

# The locale tests need a locale that writes numbers with a decimal comma.
if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf-\?8'; then
  $SUDO sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
  echo "setup: generated de_DE.UTF-8"
fi
