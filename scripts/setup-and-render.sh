#!/usr/bin/env bash
# One command for a fresh Debian 12 machine: install the packages, build,
# install the plug-in into the user's GIMP 2.10 profile and render the bundled
# sample shape through GIMP in batch mode (and through the command-line tool).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)"
cmake --build build --target install-plugin
sh scripts/render-sample.sh samples/shape.png out/shape-ormolo2.png
./build/ormolo2 samples/shape.png out/shape-cli.png
echo "The command-line tool wrote the same normal map to $(pwd)/out/shape-cli.png"
