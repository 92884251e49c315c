#!/usr/bin/env bash
# The Windows icons (packaging/icons/*.ico, built into the programs as resources) from the icon
# drawings beside them: each drawing at the sizes Windows shows (16 to 256 pixels), the large one
# PNG-compressed. Run it after changing a drawing and commit the result; the build uses the
# committed files, so it needs no image tools. Installs librsvg2-bin and icoutils where missing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-missing.sh librsvg2-bin icoutils
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for name in morva-7e tavin application-x-tavin-settings; do
    pngs=()
    for size in 16 24 32 48 64 256; do
        rsvg-convert -w "$size" -h "$size" "packaging/icons/$name.svg" -o "$scratch/$name-$size.png"
        pngs+=("$scratch/$name-$size.png")
    done
    icotool -c -o "packaging/icons/$name.ico" --raw="${pngs[-1]}" "${pngs[@]:0:${#pngs[@]}-1}"
    echo "packaging/icons/$name.ico"
done
