#!/usr/bin/env bash
# Renders one fixed scene with the cube renderer and with renderFaces=true, in
# solid and wireframe mode, and checks the screenshots: grey sky above,
# terrain in several shades below, wireframes that show more sky than solid
# faces, and the face renderer's picture equal to the cube renderer's up to a
# few edge pixels, with the same statistics line and far fewer triangles.
#
# The tolerance: the faces renderer grows each merged quad by a fiftieth of a
# pixel so that quads meeting in T-junctions overlap; where a top face meets
# a side face an edge pixel may then show the other one. Such pixels are
# single and scattered along block edges (about 1,300 of 230,400 here); a
# missing direction of faces changes whole faces (12,290 pixels without the
# -x faces). Up to 1 % may differ.
set -u
BUILD="$1"
. "$(dirname "$0")/lib.sh"
dir="$(make_rundir "${SMALL_CONFIG/terrainWidth=128/terrainWidth=256}
infiniteTerrain=false")"
cd "$dir" || fail "no run folder"

# All runs take the same fixed frame time, so they see the terrain from one
# place however slowly a build draws; V (86) switches the wireframe on.
printf '1 keydown 86\n2 keyup 86\n' > wireframe.txt
render() {
  "$BUILD/voxmere" --no-dialogs --frames 3 --fixed-dt 0.0166667 --stats --screenshot "$1.png" "${@:2}" >"$1.txt" 2>&1 ||
    fail "the $1 run failed: $(cat "$1.txt")"
}
render cubes
render cubes-wire --input wireframe.txt
render faces --set renderFaces=true
render faces-wire --input wireframe.txt --set renderFaces=true

[ "$(identify -format '%m %wx%h' cubes.png)" = "PNG 640x360" ] || fail "the screenshot is not a 640x360 PNG"
sky="$(sky_share cubes.png)"
echo "sky $sky, lower quarter $(sky_share cubes.png 640x90+0+270), upper quarter $(sky_share cubes.png 640x90+0+0)"
is "$sky" '> 0.25' || fail "too little sky colour (153,153,153)"
is "$(sky_share cubes.png 640x90+0+270)" '<= 0.9' || fail "too little terrain in the lower quarter"
is "$(sky_share cubes.png 640x90+0+0)" '>= 0.99' || fail "the upper quarter is not sky"
shades="$(convert cubes.png -alpha off -format %c histogram:info:- |
  awk '$1 + 0 >= 230 && $2 != "(153,153,153)"' | wc -l)"
[ "$shades" -ge 2 ] || fail "fewer than two face shades ($shades)"
for renderer in cubes faces; do
  cmp -s "$renderer.png" "$renderer-wire.png" && fail "the $renderer wireframe frame equals the solid one"
  is "$(sky_share "$renderer-wire.png")" "> $sky" || fail "the $renderer wireframe shows no more sky than solid faces"
done
is "$(sky_share faces-wire.png)" "> $(sky_share cubes-wire.png)" || fail "the face wireframe has as many lines"

cat cubes.txt faces.txt
[ "$(grep ^chunks cubes.txt)" = "$(grep ^chunks faces.txt)" ] || fail "the statistics lines differ"
triangles() { sed -n 's/^triangles drawn \([0-9]*\)$/\1/p' "$1"; }
cube_triangles="$(triangles cubes.txt)" face_triangles="$(triangles faces.txt)"
[ -n "$cube_triangles" ] && [ -n "$face_triangles" ] || fail "no triangles line"
((face_triangles > 0 && 3 * face_triangles < cube_triangles)) || fail "triangles: $face_triangles, $cube_triangles"
differing="$(compare -metric AE cubes.png faces.png null: 2>&1)"
echo "$differing of $((640 * 360)) pixels differ between the renderers"
[[ "$differing" =~ ^[0-9]+$ ]] && ((differing * 100 <= 640 * 360)) || fail "$differing pixels differ, more than 1 %"

cp cubes.png "$BUILD/e2e-render.png" 2>/dev/null
cp cubes-wire.png "$BUILD/e2e-render-wireframe.png" 2>/dev/null
rm -rf "$dir"
echo "PASS"
