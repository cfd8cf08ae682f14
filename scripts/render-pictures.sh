#!/usr/bin/env bash
# Renders the pictures drawn under art/ into the files the program and the package ship, at twice their design
# size so they stay sharp at UI scale 2. The rendered files are committed: a build needs no renderer.
# Usage: scripts/render-pictures.sh [OUT_ROOT]   (default: the repository; the pictures test renders elsewhere)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root}"
art="$root/art"

for tool in rsvg-convert convert python3; do
    command -v "$tool" >/dev/null || { echo "render-pictures: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# png SVG OUT: the picture at 2x, transparent where the drawing is.
png() { mkdir -p "$(dirname "$2")"; rsvg-convert --zoom 2 "$1" -o "$2"; }
# jpeg PNG OUT [ROTATE]: flat pictures the program draws opaque; full colour resolution keeps the hairlines clean.
jpeg() {
    mkdir -p "$(dirname "$2")"
    convert "$1" ${3:+-rotate "$3"} -background "#161719" -flatten -sampling-factor 4:4:4 -quality 92 -strip "$2"
}

python3 "$art/panel.py" "$work/panel.svg"
png "$work/panel.svg" "$work/panel.png"
jpeg "$work/panel.png" "$out/resources/Strata/Strata.jpg"

png "$art/fader.svg" "$work/fader.png"
jpeg "$work/fader.png" "$out/resources/ui/fader/fader.jpg"
jpeg "$work/fader.png" "$out/resources/ui/fader/faderHor.jpg" 90

png "$art/kestrel-logo.svg" "$out/resources/kestrel/Kestrel Logo.png"

python3 "$art/models.py" "$work/models"
for model in ardent brio brio-max brio-solo; do
    png "$work/models/$model.svg" "$out/resources/Strata/$model.png"
done

# The icon: the small drawing below 32 pixels, where the full one's detail turns to mush.
for size in 16 24 32 48 64 128 256 512; do
    source="$art/icon.svg"
    [ "$size" -lt 32 ] && source="$art/icon-small.svg"
    dir="$out/packaging/linux/icons/hicolor/${size}x${size}/apps"
    mkdir -p "$dir"
    rsvg-convert -w "$size" -h "$size" "$source" -o "$dir/kestrel-strata.png"
done
