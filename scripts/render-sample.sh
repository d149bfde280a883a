#!/bin/sh
# Renders a shape through the installed Ormolo 2.0 plug-in with GIMP in
# batch mode (default settings: Round2 at depth 20, normal-map output).
# Usage: scripts/render-sample.sh [INPUT.png [OUTPUT.png]]
# The plug-in must be installed first: cmake --build build --target install-plugin
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
input=$(realpath "${1:-$root/samples/shape.png}")
output=$(realpath -m "${2:-$root/out/shape-ormolo2.png}")
profile=${GIMP2_DIRECTORY:-$HOME/.config/GIMP/2.10}

if [ ! -x "$profile/plug-ins/ormolo2/ormolo2" ]; then
    echo "The plug-in is not installed in $profile/plug-ins/ormolo2/;" >&2
    echo "run: cmake --build build --target install-plugin" >&2
    exit 1
fi

mkdir -p "$(dirname "$output")"
rm -f "$output"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# The filter takes RGB drawables only, so grey or indexed files are converted.
gimp-console-2.10 -i -d -f -n -b "
  (let* ((image (car (gimp-file-load RUN-NONINTERACTIVE \"$input\" \"$input\")))
         (layer (car (gimp-image-get-active-layer image))))
    (if (not (= (car (gimp-image-base-type image)) RGB))
        (gimp-image-convert-rgb image))
    (plug-in-ormolo2 RUN-NONINTERACTIVE image layer 0 3 3 10 7 20 -1 1)
    (file-png-save2 RUN-NONINTERACTIVE image layer \"$output\" \"$output\" 0 9 0 0 0 0 0 0 1)
    (gimp-image-delete image))" -b '(gimp-quit 0)' >"$log" 2>&1 || true

if [ ! -f "$output" ]; then
    cat "$log" >&2
    echo "GIMP did not write $output." >&2
    exit 1
fi
echo "Rendered $input"
echo "     to $output"
echo "In GIMP the filter is under Filters > Map > Ormolo 2.0..."
