#!/usr/bin/env bash
# Builds the project and runs its tests.
#   run-tests.sh             the whole suite: a Release build with the plug-in,
#                            all its tests (unit tests, the plug-in in the real
#                            GIMP in batch mode and its dialog under Xvfb); then
#                            a build without the plug-in, with address and
#                            undefined-behaviour sanitizers, and its unit tests;
#                            then a check that the build configures by itself
#                            without the plug-in where libgimp is missing.
#   run-tests.sh --cli-only  without GIMP: the renderer, the command-line tool
#                            and the benchmark, their unit tests in a Release
#                            build and under the sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
case "${1:-}" in
--cli-only) plugin=OFF ;;
"") plugin=ON ;;
*) echo "usage: $0 [--cli-only]" >&2; exit 2 ;;
esac

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DORMOLO_PLUGIN=$plugin
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORMOLO_SANITIZE=ON -DORMOLO_PLUGIN=OFF
cmake --build build-sanitize -j "$jobs"
(cd build-sanitize && ctest --output-on-failure -j "$jobs")

if [ "$plugin" = ON ]; then
    # Where pkg-config finds no libgimp, the default configuration leaves the
    # plug-in out by itself instead of failing.
    no_packages=$(mktemp -d)
    trap 'rm -rf "$no_packages"' EXIT
    log=$(PKG_CONFIG_LIBDIR=$no_packages cmake -S . -B "$no_packages/build" 2>&1) || {
        echo "$log"; echo "FAIL the build does not configure without libgimp"; exit 1; }
    grep -q "libgimp 2.0 not found" <<<"$log" || {
        echo "$log"; echo "FAIL the build without libgimp did not say that it leaves the plug-in out"; exit 1; }
    echo "ok the build configures without libgimp and leaves the plug-in out"
fi
