#!/usr/bin/env bash
# Makes the sample probes (samples/probes/) with the project's own generator
# and the README's pictures (docs/pictures/) from the sample shape with the
# command-line tool, so that both can be made again after a change.
# Builds into build/ (or $BUILD); needs ImageMagick for the probe strip.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target ormolo2 ormolo_make_probes

mkdir -p samples/probes docs/pictures
"$build/tools/ormolo_make_probes" samples/probes

tool="$build/ormolo2 --compression small"
shape=samples/shape.png
pictures=docs/pictures
$tool "$shape" "$pictures/normal-map.png"
$tool --encoding unit --flip-y --height-map "$pictures/height-map.png" "$shape" "$pictures/unit-normal-map.png"
$tool --probe samples/probes/chrome.png "$shape" "$pictures/chrome-sharp.png"
$tool --probe samples/probes/chrome.png --specularity 0.9 --seed 0 "$shape" "$pictures/chrome-blurred.png"
# -strip keeps ImageMagick's time stamps out, so an unchanged picture stays
# byte for byte the same.
convert samples/probes/chrome.png samples/probes/gold.png samples/probes/plastic.png \
    -resize 50% +append -strip "$pictures/probes.png"

# A seamless tile: a panel with a round hole, rolled by half its size so that
# the panel crosses every edge and the hole wraps around the corners; its
# unit normal map (y up) repeated 2 x 2, rendered as an ordinary image and
# with --tile.
convert -size 128x128 xc:black -fill white -draw "roundrectangle 6,6 121,121 18,18" \
    -fill black -draw "circle 64,64 64,44" -roll +64+64 -depth 8 -strip "$pictures/tile-mask.png"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
$tool --encoding unit --flip-y "$pictures/tile-mask.png" "$scratch/plain.png"
$tool --tile --encoding unit --flip-y "$pictures/tile-mask.png" "$scratch/tile.png"
for mode in plain tile; do
    convert "$scratch/$mode.png" "$scratch/$mode.png" +append \( +clone \) -append -strip \
        "$pictures/tile-2x2-$mode.png"
done
echo "Wrote samples/probes/ and $pictures/"
