#!/usr/bin/env bash
# Draws one scene with the cube renderer and with renderFaces=true and compares
# the screenshots: the same picture in solid mode up to a few pixels along
# edges, the same statistics line, far fewer triangles, and a wireframe of
# only the drawn faces (more background shows through than between the
# cube renderer's lines).
#
# The tolerance: the cube renderer also draws the faces between two solid
# cubes. Along an edge where such a hidden face meets a visible one, both lie
# at the same depth, and which of them a pixel on the edge shows depends on
# drawing order and rounding; without the hidden faces those pixels take the
# visible face's colour. Such pixels are single and scattered (103 of 230,400,
# 0.045 %, in this scene when written); a missing direction of faces changes
# whole faces (12,290 pixels without the -x faces). Up to 0.1 % may differ.
# Usage: test_render_faces.sh BUILD_DIR   (needs a display; scripts/test uses xvfb-run)
set -euo pipefail

build="$(cd "${1:?usage: test_render_faces.sh BUILD_DIR}" && pwd)"
. "$(dirname "$0")/lib.sh"
binary="$build/voxmere"
[[ -x "$binary" ]] || fail "no binary at $binary"
command -v compare >/dev/null || fail "ImageMagick's compare is missing (scripts/install-deps installs it)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A fully generated, fixed world in a 640 x 360 window; frames of a fixed
# length, so that both runs see the scene from the same place.
cp -r "$build/bin" "$work/bin"
sed -e 's/^fullscreen=.*/fullscreen=false/' -e 's/^VSync=.*/VSync=false/' \
    -e 's/^windowWidth=.*/windowWidth=640/' -e 's/^windowHeight=.*/windowHeight=360/' \
    -e 's/^terrainWidth=.*/terrainWidth=256/' -e 's/^instantStart=.*/instantStart=false/' \
    -e 's/^infiniteTerrain=.*/infiniteTerrain=false/' "$build/config.ini" >"$work/config.ini"
grep -qx 'toggleWireframe=V' "$work/config.ini" || fail "config.ini lacks toggleWireframe=V"
# The toggleWireframe key (V, virtual key 86) pressed in the first frame.
printf '1 keydown 86\n2 keyup 86\n' >"$work/wireframe.txt"

# run NAME [viewer options...]: screenshot NAME.png, statistics NAME.txt
run() {
    local name="$1"
    shift
    (cd "$work" && "$binary" --frames 3 --fixed-dt 0.016 --no-dialogs --stats --screenshot "$name.png" "$@" \
        >"$name.txt") || fail "$name run ended with $?"
}
run cubes
run cubes-wire --input wireframe.txt
echo "renderFaces=true" >>"$work/config.ini"
run faces
run faces-wire --input wireframe.txt

sky_pixels() {
    convert "$1" -alpha off -fill black +opaque 'rgb(153,153,153)' -fill white -opaque 'rgb(153,153,153)' \
        -format '%[fx:round(mean*w*h)]' info:
}
triangles() { sed -n 's/^triangles drawn \([0-9]*\)$/\1/p' "$1"; }

echo "== statistics"
cat "$work/cubes.txt" "$work/faces.txt"
[[ "$(head -n 1 "$work/cubes.txt")" == "$(head -n 1 "$work/faces.txt")" ]] ||
    fail "the statistics line differs between the renderers"
cube_triangles="$(triangles "$work/cubes.txt")"
face_triangles="$(triangles "$work/faces.txt")"
[[ -n "$cube_triangles" && -n "$face_triangles" ]] || fail "no triangles line"
((face_triangles > 0 && 3 * face_triangles < cube_triangles)) ||
    fail "$face_triangles face triangles against $cube_triangles cube triangles"

echo "== solid"
pixels=$((640 * 360))
differing="$(compare -metric AE "$work/cubes.png" "$work/faces.png" null: 2>&1 || true)"
echo "   $differing of $pixels pixels differ"
[[ "$differing" =~ ^[0-9]+$ ]] || fail "compare failed: $differing"
((differing * 1000 <= pixels)) || fail "$differing pixels differ, more than 0.1 %"
sky="$(sky_pixels "$work/faces.png")"
((sky > pixels / 4 && sky < pixels * 9 / 10)) || fail "the face picture is not sky over terrain ($sky sky pixels)"

echo "== wireframe"
cube_sky="$(sky_pixels "$work/cubes-wire.png")"
face_sky="$(sky_pixels "$work/faces-wire.png")"
echo "   background pixels: $cube_sky between cube edges, $face_sky between face edges, $sky in solid faces"
((face_sky > sky && face_sky < pixels)) || fail "the face wireframe does not look like a wireframe"
((face_sky > cube_sky)) || fail "the face wireframe draws as many lines as the cube one"

echo "PASS"
