#!/usr/bin/env bash
# The debug-overlay key shows white text at the status lines' positions and
# the clock near the right edge; without it the same places show none.
set -u
BUILD="$1"
. "$(dirname "$0")/lib.sh"
dir="$(make_rundir "$SMALL_CONFIG")"
cd "$dir" || fail "no run folder"

printf '1 keydown 71\n2 keyup 71\n' > overlay-on.txt
run=("$BUILD/voxmere" --no-dialogs --frames 12 --fixed-dt 0.02)
"${run[@]}" --input overlay-on.txt --screenshot on.png > out.txt 2>&1 || fail "the overlay run failed: $(cat out.txt)"
"${run[@]}" --screenshot off.png > out.txt 2>&1 || fail "run without the overlay failed: $(cat out.txt)"

# Title, adapter, FPS, world statistics, seed, position, flight, collision;
# the clock 100 pixels from the right edge of the 640-pixel window.
for region in 120x16+10+{10,30,50,90,110,130,150,170} 95x16+540+10; do
  is "$(white_share on.png "$region")" '> 0.03' || fail "no text at $region"
  is "$(white_share off.png "$region")" '== 0' || fail "text at $region with the overlay off"
done
# The rows between the lines and left of the clock stay free of text.
is "$(white_share on.png 120x3+10+27)" '< 0.01' || fail "text between the first two lines"
is "$(white_share on.png 80x16+440+10)" '== 0' || fail "text left of the clock"

cp on.png "$BUILD/e2e-overlay.png" 2>/dev/null
rm -rf "$dir"
echo "PASS"
