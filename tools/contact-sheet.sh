#!/usr/bin/env bash
# Builds one PNG contact sheet of the generated images: every material texture
# tiled 2 x 2 (seams would show as lines through the middle), every normal map,
# the three sky boxes as crosses and the particle atlas over a checkerboard.
# usage: tools/contact-sheet.sh <data-dir> <output.png>
set -euo pipefail
data=${1:?usage: contact-sheet.sh <data-dir> <output.png>}
out=${2:?usage: contact-sheet.sh <data-dir> <output.png>}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Material textures: each tiled 2 x 2 at 128 px per tile, labelled with its name.
tiles=()
for f in "$data"/Textures/*.tga "$data"/Textures/*.dds; do
  name=$(basename "$f")
  case "$name" in particle.tga|*_normal.tga) continue ;; esac
  convert "$f" -auto-orient -alpha off -resize 128x128! "$work/one.png"
  convert "$work/one.png" "$work/one.png" +append "$work/row.png"
  convert "$work/row.png" "$work/row.png" -append "$work/tile_${name%.*}.png"
  tiles+=("$work/tile_${name%.*}.png")
done
montage -label '%t' "${tiles[@]}" -tile 6x -geometry +4+4 -background '#202020' -fill white \
  "$work/textures.png"

# Normal maps (colour) and their height fields (alpha) side by side.
normals=()
for f in "$data"/Textures/*_normal.tga; do
  name=$(basename "$f" .tga)
  convert "$f" -auto-orient -alpha off -resize 128x128! "$work/n.png"
  convert "$f" -auto-orient -alpha extract -resize 128x128! "$work/h.png"
  convert "$work/n.png" "$work/h.png" +append "$work/nm_$name.png"
  normals+=("$work/nm_$name.png")
done
if [ ${#normals[@]} -gt 0 ]; then
  montage -label '%t' "${normals[@]}" -tile 5x -geometry +4+4 -background '#202020' -fill white \
    "$work/normals.png"
fi

# Sky boxes as crosses seen from inside: faces mirrored back (-flop) so that
# left, back, right, front read as one panorama, top above and bottom below back.
skies=()
for world in jungle volcano lagoon; do
  dir="$data/skybox/$world"
  [ -f "$dir/left.tga" ] || continue
  for face in left right top bottom front back; do
    convert "$dir/$face.tga" -auto-orient -flop -resize 160x160! "$work/$face.png"
  done
  convert -size 160x160 xc:'#202020' "$work/blank.png"
  convert "$work/blank.png" "$work/top.png" "$work/blank.png" "$work/blank.png" +append "$work/r1.png"
  convert "$work/left.png" "$work/back.png" "$work/right.png" "$work/front.png" +append "$work/r2.png"
  convert "$work/blank.png" "$work/bottom.png" "$work/blank.png" "$work/blank.png" +append "$work/r3.png"
  convert "$work/r1.png" "$work/r2.png" "$work/r3.png" -append "$work/sky_$world.png"
  skies+=("$work/sky_$world.png")
done
if [ ${#skies[@]} -gt 0 ]; then
  montage -label '%t' "${skies[@]}" -tile 3x -geometry +4+4 -background '#202020' -fill white "$work/skies.png"
fi

# Particle atlas composited over a checkerboard, as additive sprites would show on dark ground.
if [ -f "$data/Textures/particle.tga" ]; then
  convert -size 1024x1024 pattern:checkerboard -fill '#000000' -colorize 80% "$work/checker.png"
  convert "$work/checker.png" \( "$data/Textures/particle.tga" -auto-orient \) -compose over -composite -resize 640x640 \
    "$work/atlas.png"
  convert "$data/Textures/particle.tga" -auto-orient -alpha extract -resize 640x640 "$work/atlas_alpha.png"
  convert "$work/atlas.png" "$work/atlas_alpha.png" +append "$work/atlas_pair.png"
fi

parts=("$work/textures.png")
[ -f "$work/normals.png" ] && parts+=("$work/normals.png")
[ -f "$work/skies.png" ] && parts+=("$work/skies.png")
[ -f "$work/atlas_pair.png" ] && parts+=("$work/atlas_pair.png")
convert "${parts[@]}" -background '#202020' -gravity center -append "$out"
echo "Contact sheet written to $out"
