#!/usr/bin/env bash
# The face renderer's merged quads against the cube renderer, from views that
# find cracks if there are any: along the ground at the start, looking down a
# slope, looking steeply down from above, at the far edge of the window, and
# flying forward in small steps. In none may a pixel show sky where the cube
# renderer shows terrain. Then what fog and ambient occlusion change, and the
# bytes a still frame uploads.
set -u
BUILD="$1"
. "$(dirname "$0")/lib.sh"
dir="$(make_rundir "${SMALL_CONFIG/terrainWidth=128/terrainWidth=256}
infiniteTerrain=false")"
cd "$dir" || fail "no run folder"

# Pixels that are sky in the second picture and terrain in the first.
sky_in_terrain() {
  convert "$2" -alpha off -fill white -opaque 'rgb(153,153,153)' -fill black +opaque white sky.png
  convert "$1" -alpha off -fill black -opaque 'rgb(153,153,153)' -fill white +opaque black terrain.png
  convert sky.png terrain.png -compose multiply -composite -format %c histogram:info:- |
    awk '/#FFFFFF/ { n = $1 + 0 } END { print n + 0 }'
}
render() {  # NAME FRAMES INPUT [OPTIONS...]
  "$BUILD/voxmere" --no-dialogs --frames "$2" --fixed-dt 0.0166667 --stats --input "$3" --screenshot "$1.png" \
    "${@:4}" > "$1.txt" 2>&1 || fail "the $1 run failed: $(cat "$1.txt")"
}
# Mouse offsets turn by 0.005 radians a pixel: 120 down is about 34 degrees.
printf '1 mouse 0 0\n' > ahead.txt
printf '1 mouse 0 120\n' > slope.txt
printf '1 mouse 0 300\n' > down.txt
printf '1 mouse 260 -20\n' > edge.txt
printf '1 mouse 40 60\n2 keydown 87\n' > fly.txt
views=(ahead:3:ahead.txt slope:3:slope.txt down:3:down.txt edge:3:edge.txt fly1:20:fly.txt fly2:21:fly.txt
  fly3:22:fly.txt fly4:40:fly.txt)
for view in "${views[@]}"; do
  IFS=: read -r name frames input <<< "$view"
  render "$name-cubes" "$frames" "$input"
  render "$name-faces" "$frames" "$input" --set renderFaces=true
  cracks="$(sky_in_terrain "$name-cubes.png" "$name-faces.png")"
  terrain="$(sky_in_terrain "$name-faces.png" "$name-cubes.png")"
  echo "$name: $cracks sky pixels in terrain, $terrain terrain pixels in sky, $(sky_share "$name-cubes.png") sky"
  [ "$cracks" = 0 ] || fail "$name: the face renderer shows sky at $cracks pixels where the cubes show terrain"
  is "$(sky_share "$name-cubes.png")" '< 0.995' || fail "$name: the view shows no terrain"
done
is "$(sky_share down-cubes.png)" '< 0.05' || fail "the view from above is not of the ground"

# A still camera uploads its constants only; the cube renderer its cubes.
bytes() { sed -n 's/^bytes uploaded \([0-9]*\)$/\1/p' "$1"; }
echo "bytes uploaded: faces $(bytes ahead-faces.txt), cubes $(bytes ahead-cubes.txt)"
[ -n "$(bytes ahead-faces.txt)" ] && (($(bytes ahead-faces.txt) <= 65536)) || fail "faces upload $(bytes ahead-faces.txt)"
(($(bytes ahead-cubes.txt) > 65536)) || fail "the cube renderer uploads only $(bytes ahead-cubes.txt) bytes"

# Fog fades the far terrain into the sky with both renderers, and alike: the
# distant hills (rows 250 to 270 ahead) change, the ground right below the
# eye (the middle of the view down) does not.
render fog-cubes 3 ahead.txt --set fog=true
render fog-down 3 down.txt --set fog=true
render fog-faces 3 ahead.txt --set fog=true --set renderFaces=true
change() {  # mean difference (0..1) of two pictures in a band
  convert \( "$1" -crop "$3" +repage \) \( "$2" -crop "$3" +repage \) -alpha off -compose difference -composite \
    -colorspace gray -format '%[fx:mean]' info:
}
far="$(change ahead-cubes.png fog-cubes.png 640x20+0+250)" near="$(change down-cubes.png fog-down.png 60x60+290+150)"
apart="$(compare -metric AE -fuzz 3% fog-cubes.png fog-faces.png null: 2>&1)"
echo "fog: far change $far, near change $near, $apart pixels differ between the renderers"
is "$far" "> 0.02" && is "$near" "< 0.002" || fail "fog does not grow with distance (far $far, near $near)"
((apart * 200 <= 640 * 360)) || fail "fog differs between the renderers at $apart pixels"

# Ambient occlusion darkens creases and corners only: coverage stays, the
# terrain gets darker on the whole.
render occlusion 3 slope.txt --set renderFaces=true --set ambientOcclusion=true
luma() { convert "$1" -alpha off -colorspace gray -format '%[fx:mean]' info:; }
echo "occlusion: mean $(luma occlusion.png) against $(luma slope-faces.png)," \
  "$(sky_in_terrain slope-faces.png occlusion.png) sky pixels in terrain"
[ "$(sky_in_terrain slope-faces.png occlusion.png)" = 0 ] || fail "occlusion opened cracks"
is "$(luma occlusion.png)" "< $(luma slope-faces.png) - 0.005" || fail "occlusion darkens nothing"
rm -rf "$dir"
echo "PASS"
