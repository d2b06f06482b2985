#!/usr/bin/env bash
# The real binary opens a window of the configured size, quits on Escape and
# after --frames with exit code 0, and rejects bad options with exit code 2.
set -u
BUILD="$1"
. "$(dirname "$0")/lib.sh"
dir="$(make_rundir "$SMALL_CONFIG")"
cd "$dir" || fail "no run folder"

"$BUILD/voxmere" --no-dialogs > out.txt 2>&1 &
pid=$!
VIEWER_PID=$pid
window="$(wait_for_window "$pid")" || fail "no window appeared: $(cat out.txt)"
geometry="$(xwininfo -id "$window")"
echo "$geometry" | grep -q 'Width: 640' || fail "window width is not 640: $geometry"
echo "$geometry" | grep -q 'Height: 360' || fail "window height is not 360: $geometry"
timeout 10 xdotool windowfocus "$window" 2>/dev/null; sleep 0.5
timeout 10 xdotool key --clearmodifiers Escape
wait_exit_code "$pid"
code="$EXIT_CODE"
[ "$code" = "0" ] || fail "Escape ended with $code, expected 0: $(cat out.txt)"

"$BUILD/voxmere" --no-dialogs --frames 30 > out.txt 2>&1
code=$?
[ "$code" = "0" ] || fail "--frames 30 ended with $code: $(cat out.txt)"

"$BUILD/voxmere" --no-such-option > out.txt 2>&1
code=$?
[ "$code" = "2" ] || fail "a bad option ended with $code, expected 2"
grep -q 'Usage: voxmere' out.txt || fail "a bad option printed no usage"

printf '1 keydown 87\nwalk\n' > bad-input.txt
"$BUILD/voxmere" --no-dialogs --input bad-input.txt > out.txt 2>&1
code=$?
[ "$code" = "2" ] || fail "a bad input file ended with $code, expected 2"
grep -q 'bad-input.txt:2' out.txt || fail "the bad input line was not named: $(cat out.txt)"

"$BUILD/voxmere" --no-dialogs --frames 1 --trace no-such-folder/trace.csv > out.txt 2>&1
code=$?
[ "$code" = "2" ] || fail "an unwritable trace file ended with $code, expected 2"
grep -q 'no-such-folder/trace.csv' out.txt || fail "the trace file was not named: $(cat out.txt)"

printf 'terrainWidth=96\nchunkWidth=32\nfullscreen=false\n' > config.ini
"$BUILD/voxmere" --no-dialogs --frames 1 > out.txt 2>&1
code=$?
[ "$code" = "1" ] || fail "an odd chunk count started (exit $code)"
grep -q '^Error: terrainWidth' out.txt || fail "no message names terrainWidth: $(cat out.txt)"

rm -rf "$dir"
echo "PASS"
