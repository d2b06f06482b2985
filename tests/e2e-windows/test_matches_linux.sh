#!/usr/bin/env bash
# The Windows program computes and draws what the Linux program does: the
# same world digests from the world tool, the same trace of a replayed walk,
# and a screenshot of the same frame that differs only in a few edge pixels.
# Usage: test_matches_linux.sh WINDOWS_BUILD LINUX_BUILD
set -u
WINBUILD="$1"
BUILD="$2"
. "$(dirname "$0")/lib.sh"

# World digests: the default world, the cave method and a seed taken whole.
for options in "" "--method 2" "--whole-seed 1 --seed valley"; do
  # shellcheck disable=SC2086  # the options are words
  linux="$("$BUILD/voxmere-world" $options | tail -n 1)"
  # shellcheck disable=SC2086
  windows="$(wine_run voxmere-world.exe $options | tr -d '\r' | tail -n 1)"
  [ -n "$linux" ] && [ "$linux" = "$windows" ] || fail "world '$options': Linux '$linux', Windows '$windows'"
  echo "world ${options:-(defaults)}: $windows"
done
# Streamed in on background threads, as the shipped settings do: the same world.
linux="$("$BUILD/voxmere-world" | tail -n 1)"
windows="$(wine_run voxmere-world.exe --stream --stream-threads 2 | tr -d '\r' | grep '^world')"
[ "$linux" = "$windows" ] || fail "world streamed on threads: Linux '$linux', Windows '$windows'"
echo "world streamed on threads: $windows"

# The map of a cave world: the same picture, byte for byte.
map_dir="$(mktemp -d)"
"$BUILD/voxmere-world" --method 2 --terrain-width 128 --map "$map_dir/linux.png" > /dev/null || fail "Linux map"
(cd "$map_dir" && wine_run voxmere-world.exe --method 2 --terrain-width 128 --map windows.png > out.txt 2>&1) ||
  fail "Windows map: $(cat "$map_dir/out.txt")"
cmp -s "$map_dir/linux.png" "$map_dir/windows.png" || fail "the maps differ (see $map_dir)"
rm -rf "$map_dir"
echo "map: identical"

linux_dir="$(make_rundir "$SMALL_CONFIG")"
windows_dir="$(make_rundir "$SMALL_CONFIG" "$WINBUILD")"
grep -q '^streamThreads=[1-9]' "$windows_dir/config.ini" || fail "the shipped settings do not stream on threads"
# Show the overlay, look down a little, fall towards the terrain and walk
# forward on the way.
walk='1 keydown 71
1 mouse 0 120
2 keyup 71
100 keydown 87
200 keyup 87'
printf '%s\n' "$walk" > "$linux_dir/walk.txt"
printf '%s\n' "$walk" > "$windows_dir/walk.txt"
run=(--no-dialogs --frames 240 --fixed-dt 0.0166667 --input walk.txt --trace trace.csv --screenshot shot.png)
(cd "$linux_dir" && "$BUILD/voxmere" "${run[@]}" > out.txt 2>&1) || fail "Linux run: $(cat "$linux_dir/out.txt")"
(cd "$windows_dir" && wine_run voxmere.exe "${run[@]}" > out.txt 2>&1) || fail "Windows: $(cat "$windows_dir/out.txt")"

# The trace without its two timing columns.
cut -d, -f1,2,5- "$linux_dir/trace.csv" > "$linux_dir/moves.csv"
tr -d '\r' < "$windows_dir/trace.csv" | cut -d, -f1,2,5- > "$windows_dir/moves.csv"
[ "$(wc -l < "$linux_dir/moves.csv")" -eq 241 ] || fail "the Linux trace has $(wc -l < "$linux_dir/moves.csv") lines"
cmp -s "$linux_dir/moves.csv" "$windows_dir/moves.csv" ||
  fail "the traces differ: $(diff "$linux_dir/moves.csv" "$windows_dir/moves.csv" | head -n 4)"
echo "replayed walk: identical traces over 240 frames"

# Both rasterizers run on llvmpipe, but through different front ends
# (OpenGL directly, Direct3D through Wine's translation): a triangle edge may
# fall on the neighbouring pixel. The overlay's adapter line (y 30) names a
# different adapter and is masked. Count pixels whose colour differs by more
# than 3 %; allow at most 0.5 % of the frame (a few hundred edge pixels are
# typical).
same_picture() {  # LINUX_SHOT WINDOWS_SHOT WHAT
  convert "$1" -fill black -draw "rectangle 0,28 639,47" "$windows_dir/linux_masked.png"
  convert "$2" -fill black -draw "rectangle 0,28 639,47" "$windows_dir/masked.png"
  different="$(compare -metric AE -fuzz 3% "$windows_dir/linux_masked.png" "$windows_dir/masked.png" \
    "$windows_dir/d.png" 2>&1)"
  echo "$3: $different of $((640 * 360)) pixels differ"
  [ "$different" -le $((640 * 360 / 200)) ] || fail "$3: $different pixels differ (see $windows_dir)"
}
same_picture "$linux_dir/shot.png" "$windows_dir/shot.png" "screenshot"
# The exposed-faces renderer draws its quads through a layout of its own;
# it is switched on for this run only, from the command line.
(cd "$windows_dir" && wine_run voxmere.exe "${run[@]/shot.png/faces.png}" --set renderFaces=true > out.txt 2>&1) ||
  fail "Windows with renderFaces: $(cat "$windows_dir/out.txt")"
same_picture "$linux_dir/shot.png" "$windows_dir/faces.png" "screenshot with renderFaces"
# Faces kept on the card, with fog and ambient occlusion: both programs draw alike.
looks=(--set renderFaces=true --set fog=true --set ambientOcclusion=true)
(cd "$linux_dir" && "$BUILD/voxmere" "${run[@]/shot.png/looks.png}" "${looks[@]}" > out.txt 2>&1) ||
  fail "Linux with the new looks: $(cat "$linux_dir/out.txt")"
(cd "$windows_dir" && wine_run voxmere.exe "${run[@]/shot.png/looks.png}" "${looks[@]}" > out.txt 2>&1) ||
  fail "Windows with the new looks: $(cat "$windows_dir/out.txt")"
cmp -s "$linux_dir/shot.png" "$linux_dir/looks.png" && fail "the new looks change nothing"
same_picture "$linux_dir/looks.png" "$windows_dir/looks.png" "screenshot with fog and ambient occlusion"
# The overlay is drawn: its lines are near-white on the grey sky.
text="$(white_share "$windows_dir/shot.png" 200x100+0+0)"
awk -v s="$text" 'BEGIN { exit !(s > 0.02) }' || fail "no overlay text in the Windows screenshot ($text)"
rm -rf "$linux_dir" "$windows_dir"
echo "PASS"
