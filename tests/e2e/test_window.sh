#!/usr/bin/env bash
# The real binary opens a window of the configured size and quits on Escape
# and after --frames with exit code 0.
set -u
BUILD="$1"
. "$(dirname "$0")/lib.sh"
dir="$(make_rundir "$SMALL_CONFIG")"
cd "$dir" || fail "no run folder"

start_viewer || fail "no window appeared"
geometry="$(xwininfo -id "$WINDOW")"
echo "$geometry" | grep -q 'Width: 640' && echo "$geometry" | grep -q 'Height: 360' || fail "window is not 640 x 360: $geometry"
sleep 0.5
timeout 10 xdotool key --clearmodifiers Escape
wait_exit_code "$VIEWER_PID"
[ "$EXIT_CODE" = "0" ] || fail "Escape ended with $EXIT_CODE, expected 0: $(cat out.txt)"

"$BUILD/voxmere" --no-dialogs --frames 30 > out.txt 2>&1 || fail "--frames 30 ended with $?: $(cat out.txt)"
rm -rf "$dir"
echo "PASS"
