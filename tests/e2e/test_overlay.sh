#!/usr/bin/env bash
# The debug-overlay key shows white text at the status lines' positions and
# the clock near the right edge; without it the same places show none.
set -u
BUILD="$1"
. "$(dirname "$0")/lib.sh"
dir="$(make_rundir "$SMALL_CONFIG")"
cd "$dir" || fail "no run folder"

printf '1 keydown 71\n2 keyup 71\n' > overlay-on.txt
"$BUILD/voxmere" --no-dialogs --frames 12 --fixed-dt 0.02 --input overlay-on.txt --screenshot on.png \
  > out.txt 2>&1 || fail "run with the overlay failed: $(cat out.txt)"
"$BUILD/voxmere" --no-dialogs --frames 12 --fixed-dt 0.02 --screenshot off.png \
  > out.txt 2>&1 || fail "run without the overlay failed: $(cat out.txt)"

# Title, adapter, FPS, world statistics, seed, position, flight, collision.
for y in 10 30 50 90 110 130 150 170; do
  on="$(white_share on.png "120x16+10+$y")"
  off="$(white_share off.png "120x16+10+$y")"
  awk -v v="$on" 'BEGIN { exit !(v > 0.03) }' || fail "no text in the line at y=$y (share $on)"
  awk -v v="$off" 'BEGIN { exit !(v == 0) }' || fail "text at y=$y with the overlay off (share $off)"
done
# The rows between the lines stay free of text.
gap="$(white_share on.png "120x3+10+27")"
awk -v v="$gap" 'BEGIN { exit !(v < 0.01) }' || fail "text between the first two lines (share $gap)"
# The clock sits 100 pixels from the right edge of the 640-pixel window.
clock="$(white_share on.png "95x16+540+10")"
awk -v v="$clock" 'BEGIN { exit !(v > 0.03) }' || fail "no clock near the right edge (share $clock)"
left_of_clock="$(white_share on.png "80x16+440+10")"
awk -v v="$left_of_clock" 'BEGIN { exit !(v == 0) }' || fail "text left of the clock (share $left_of_clock)"

cp on.png "$BUILD/e2e-overlay.png" 2>/dev/null
rm -rf "$dir"
echo "PASS"
