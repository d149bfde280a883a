#!/usr/bin/env bash
# Installs the Debian 12 packages that building, installing and testing need.
#   install-deps.sh             everything: packages-cli.txt (toolchain,
#                               libpng, GoogleTest) and packages-plugin.txt
#                               (libgimp and GIMP for the plug-in and its
#                               tests, Xvfb, xdotool and ImageMagick for
#                               driving and checking GIMP in tests)
#   install-deps.sh --cli-only  the command-line tool and its tests only
set -euo pipefail
here=$(dirname "$0")
lists=("$here/packages-cli.txt")
case "${1:-}" in
--cli-only) ;;
"") lists+=("$here/packages-plugin.txt") ;;
*) echo "usage: $0 [--cli-only]" >&2; exit 2 ;;
esac
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y $(cat "${lists[@]}")
