#!/usr/bin/env bash
# Installs the Debian 12 packages that building, installing and testing need.
set -euo pipefail
packages=(
  build-essential cmake pkg-config       # toolchain
  libpng-dev libgtest-dev                # command-line tool, unit tests
  libgimp2.0-dev gimp                    # plug-in and the real host for its tests
  xvfb xdotool imagemagick               # driving GIMP's dialog in tests
)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${packages[@]}"
