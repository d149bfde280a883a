#!/usr/bin/env bash
# Builds the project twice, plain and with address and undefined-behaviour
# sanitizers, and runs the whole test suite in each build.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORMOLO_SANITIZE=ON
cmake --build build-sanitize -j "$jobs" --target ormolo_tests ormolo2
(cd build-sanitize && ctest --output-on-failure -j "$jobs" -L unit)
