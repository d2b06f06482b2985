#!/usr/bin/env bash
# Renders a small fixed world with the real binary and checks the
# screenshots: grey sky above, terrain in at least two shades below, and a
# wireframe that shows more sky than the solid faces.
set -u
BUILD="$1"
. "$(dirname "$0")/lib.sh"
dir="$(make_rundir "$SMALL_CONFIG
infiniteTerrain=false")"
cd "$dir" || fail "no run folder"

# Both runs take the same fixed frame time, so they see the terrain from one
# place however slowly a build draws; V (86) switches the wireframe on.
run=("$BUILD/voxmere" --no-dialogs --frames 3 --fixed-dt 0.0166667)
"${run[@]}" --screenshot solid.png > out.txt 2>&1 || fail "the solid run failed: $(cat out.txt)"
printf '1 keydown 86\n2 keyup 86\n' > wireframe.txt
"${run[@]}" --input wireframe.txt --screenshot wire.png > out.txt 2>&1 || fail "the wireframe run failed: $(cat out.txt)"

[ "$(identify -format '%m %wx%h' solid.png)" = "PNG 640x360" ] || fail "the screenshot is not a 640x360 PNG"
sky="$(sky_share solid.png)"
echo "sky $sky, lower quarter $(sky_share solid.png 640x90+0+270), upper quarter $(sky_share solid.png 640x90+0+0)"
is "$sky" '> 0.25' || fail "too little sky colour (153,153,153)"
is "$(sky_share solid.png 640x90+0+270)" '<= 0.9' || fail "too little terrain in the lower quarter"
is "$(sky_share solid.png 640x90+0+0)" '>= 0.99' || fail "the upper quarter is not sky"
shades="$(convert solid.png -alpha off -format %c histogram:info:- |
  awk '$1 + 0 >= 230 && $2 != "(153,153,153)"' | wc -l)"
[ "$shades" -ge 2 ] || fail "fewer than two face shades ($shades)"
cmp -s solid.png wire.png && fail "the wireframe frame equals the solid one"
is "$(sky_share wire.png)" "> $sky" || fail "the wireframe shows no more sky than the solid faces"

cp solid.png "$BUILD/e2e-render.png" 2>/dev/null
cp wire.png "$BUILD/e2e-render-wireframe.png" 2>/dev/null
rm -rf "$dir"
echo "PASS"
