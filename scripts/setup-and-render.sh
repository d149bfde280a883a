#!/usr/bin/env bash
# One command for a fresh Debian 12 machine: install the packages, build, and
# render the bundled sample shape into a normal map.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)"
mkdir -p out
./build/ormolo2 samples/shape.png out/shape-normal-map.png
echo "Normal map of samples/shape.png written to $(pwd)/out/shape-normal-map.png"
