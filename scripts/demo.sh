#!/usr/bin/env bash
# The main job: set up the machine, build both architectures, and let a
# Susie host (the x64 build, under Wine) load the x64 plug-in, decode the
# bundled sample to a .bmp, and have rovaprev.dll draw its thumbnail.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/wine_env.sh

bash scripts/setup.sh
for preset in win64 win32; do
    echo "== building $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j2 >"build/$preset/build.log" 2>&1 ||
        { tail -n 40 "build/$preset/build.log"; exit 1; }
done

wine_prefix_ready
wine_server_start
trap wine_server_stop EXIT
"$WINE_LOADER" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true

plugin=build/win64/bin/Rova2SPI.spi
sample=samples/layers.rov
echo "== Susie host on $plugin and $sample"
mkdir -p build/demo
bmp=build/demo/layers.bmp
"$WINE_LOADER" build/win64/bin/susie_host.exe "$(wine_path "$plugin")" \
    --bmp "$(wine_path build/demo)\\layers.bmp" "$(wine_path "$sample")"
echo "== decoded picture: $bmp ($(stat -c %s "$bmp") bytes)"

thumb=build/demo/layers_thumbnail.bmp
echo "== Explorer thumbnail of $sample through build/win64/bin/rovaprev.dll"
"$WINE_LOADER" build/win64/bin/thumbnail_demo.exe "$(wine_path "$sample")" \
    "$(wine_path build/demo)\\layers_thumbnail.bmp"
echo "== thumbnail: $thumb ($(stat -c %s "$thumb") bytes)"
echo "== x86 plug-in for 32-bit hosts: build/win32/bin/Rova2SPI.spi"
echo "== x64 plug-in for 64-bit hosts: build/win64/bin/Rova2SPI.sph"
