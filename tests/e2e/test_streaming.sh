#!/usr/bin/env bash
# Background streaming with the shipped settings: a minute of flight straight
# ahead at top speed never shows a chunk of the window without the lists of
# its own blocks, where the budgeted streaming lags behind every step; the
# statistics say when the world was first ready; Escape in the first frames,
# with work still in flight, ends the viewer at once with 0.
set -u
BUILD="$1"
. "$(dirname "$0")/lib.sh"
# The cube renderer draws: its frames take about 0.1 s of wall time here, so
# that 3 blocks a frame are about 30 blocks a second; the faces renderer's
# frames are three times shorter, which would be a flight of 100 blocks a
# second, far beyond the viewer's top speed.
WINDOW_CONFIG='renderFaces=false
fullscreen=false
VSync=false
windowWidth=640
windowHeight=360'

# W held from the second frame; 0.2 s frames, the longest a frame may take.
fly() {
  printf '2 keydown 87\n' > fly.txt
  "$BUILD/voxmere" --no-dialogs --frames "$1" --fixed-dt 0.2 --input fly.txt --check-window --stats \
    --trace trace.csv > out.txt 2>&1 || fail "the flight failed: $(cat out.txt)"
}

dir="$(make_rundir "$WINDOW_CONFIG")"
cd "$dir" || fail "no run folder"
grep -q '^streamThreads=[1-9]' config.ini || fail "the shipped settings do not stream on threads"
fly 300
grep -Eq '^world ready at frame [0-9]+ after [0-9]+ ms$' out.txt || fail "no ready line: $(cat out.txt)"
read -r frames gaps <<< "$(awk '/^window frames/ { print $3, $5 }' out.txt)"
[ "${frames:-0}" -ge 250 ] || fail "the world was ready only for $frames of 300 frames: $(cat out.txt)"
[ "$gaps" = 0 ] || fail "$gaps frames showed a chunk without its own lists"
# At 0.2 s a frame the damping holds the flight to about 15 blocks a second: 28 chunks in the minute.
distance="$(awk -F, 'NR == 2 { x = $5; z = $7 } END { print sqrt(($5 - x) ^ 2 + ($7 - z) ^ 2) }' trace.csv)"
is "$distance" '> 850' || fail "the flight went only $distance blocks"

# The same flight streamed under the budgets, from a pre-generated world.
dir="$(make_rundir "$WINDOW_CONFIG
streamThreads=0
instantStart=false")"
cd "$dir" || fail "no run folder"
fly 120
grep -Eq '^world ready at frame 1 after [0-9]+ ms$' out.txt || fail "pre-generated, yet: $(cat out.txt)"
gaps="$(awk '/^window frames/ { print $5 }' out.txt)"
[ "${gaps:-0}" -gt 0 ] || fail "the budgeted flight showed no gaps: the check sees nothing"

# A large world with its work in flight when Escape comes.
dir="$(make_rundir "$WINDOW_CONFIG
terrainWidth=2048")"
cd "$dir" || fail "no run folder"
start_viewer --stats || fail "$REPLY"
started=$(date +%s%N)
timeout 10 xdotool key --window "$WINDOW" Escape
wait_exit_code "$VIEWER_PID"
elapsed_ms=$(( ($(date +%s%N) - started) / 1000000 ))
[ "$EXIT_CODE" = 0 ] || fail "Escape with work in flight ended with $EXIT_CODE: $(cat out.txt)"
[ "$elapsed_ms" -lt 3000 ] || fail "the viewer took $elapsed_ms ms to end"
grep -Eq '^world not ready after [0-9]+ frames$' out.txt || fail "a world of 4096 chunks ready at once: $(cat out.txt)"
echo "streaming checks passed (Escape ended the viewer in $elapsed_ms ms)"
