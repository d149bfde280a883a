#!/usr/bin/env bash
# Installs the Debian 12 packages that building, installing and testing need
# (listed in packages.txt: toolchain, libpng and GoogleTest for the command
# line and unit tests, libgimp and GIMP for the plug-in and its tests, Xvfb,
# xdotool and ImageMagick for driving and checking GIMP in tests).
set -euo pipefail
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y $(cat "$(dirname "$0")/packages.txt")
