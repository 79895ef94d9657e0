#!/usr/bin/env bash
# Installs the Debian packages flagrun needs, and only those that are
# missing. Uses sudo when not run as root.
#   ./scripts/setup.sh play   what building and running the game needs
#   ./scripts/setup.sh        that and everything the tests and CI need
set -euo pipefail

play_packages=(
  build-essential cmake pkg-config
  libsdl1.2-compat-dev libgl-dev libx11-dev libxext-dev
  libfreetype-dev libpng-dev fonts-dejavu-core fonts-dejavu-extra
  libenet-dev
)
test_packages=(
  git
  libgtest-dev libbenchmark-dev
  xvfb xdotool imagemagick python3 python3-xlib
  desktop-file-utils file clang-format
  clang libclang-rt-14-dev
  lintian appstream dpkg-dev man-db
)

case "${1:-test}" in
  play) packages=("${play_packages[@]}") ;;
  test) packages=("${play_packages[@]}" "${test_packages[@]}") ;;
  *) echo "Usage: $0 [play|test]" >&2; exit 2 ;;
esac

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
