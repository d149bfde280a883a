#!/usr/bin/env bash
# One command for a fresh Debian 12 machine.
#   setup-and-render.sh             install the packages, build, install the
#                                   plug-in into the user's GIMP 2.10 profile and
#                                   render the bundled sample shape through GIMP
#                                   in batch mode (and through the command-line tool)
#   setup-and-render.sh --cli-only  without GIMP: install the toolchain, libpng
#                                   and GoogleTest, build, install the command-line
#                                   tool into ~/.local/bin and render the sample
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
--cli-only)
    bash scripts/install-deps.sh --cli-only
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DORMOLO_PLUGIN=OFF
    cmake --build build -j "$(nproc)"
    cmake --install build --prefix "$HOME/.local"
    mkdir -p out
    "$HOME/.local/bin/ormolo2" samples/shape.png out/shape-cli.png
    echo "Installed $HOME/.local/bin/ormolo2"
    echo "It rendered $(pwd)/samples/shape.png"
    echo "         to $(pwd)/out/shape-cli.png"
    ;;
"")
    bash scripts/install-deps.sh
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DORMOLO_PLUGIN=ON
    cmake --build build -j "$(nproc)"
    cmake --build build --target install-plugin
    sh scripts/render-sample.sh samples/shape.png out/shape-ormolo2.png
    ./build/ormolo2 samples/shape.png out/shape-cli.png
    echo "The command-line tool wrote the same normal map to $(pwd)/out/shape-cli.png"
    ;;
*)
    echo "usage: $0 [--cli-only]" >&2
    exit 2
    ;;
esac
