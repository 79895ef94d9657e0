#!/usr/bin/env bash
# Installs the Debian packages flagrun needs to build, run and test, and only
# those that are missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libsdl1.2-compat-dev
  libfreetype-dev fonts-dejavu-core fonts-dejavu-extra
  libgtest-dev libbenchmark-dev
  xvfb xdotool imagemagick python3 python3-xlib
  desktop-file-utils file clang-format
  clang libclang-rt-14-dev
  libpng-dev lintian appstream dpkg-dev man-db
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
