#!/usr/bin/env bash
# Real key presses through xdotool: F switches flight on and holding E (up)
# lifts the player; the trace records both.
set -u
BUILD="$1"
. "$(dirname "$0")/lib.sh"
dir="$(make_rundir "$SMALL_CONFIG")"
cd "$dir" || fail "no run folder"

"$BUILD/voxmere" --no-dialogs --trace trace.csv > out.txt 2>&1 &
pid=$!
VIEWER_PID=$pid
window="$(wait_for_window "$pid")" || fail "no window appeared: $(cat out.txt)"
xdotool windowfocus --sync "$window" 2>/dev/null || true
sleep 1
# Switches act on the key states a frame sees, so a tap is held across
# frames, as a person's finger would.
xdotool keydown f
sleep 0.3
xdotool keyup f
sleep 0.3
xdotool keydown e
sleep 1.5
xdotool keyup e
sleep 0.3
xdotool key --clearmodifiers Escape
wait_exit_code "$pid"
code="$EXIT_CODE"
[ "$code" = "0" ] || fail "ended with $code: $(cat out.txt)"

python3 - trace.csv <<'PY' || fail "the trace shows no flight upwards"
import csv, sys
rows = list(csv.DictReader(open(sys.argv[1])))
flying = [r for r in rows if r["flying"] == "1"]
assert rows and rows[0]["flying"] == "0", "the player should start walking"
assert flying, "flight was never switched on"
first = float(flying[0]["y"])
top = max(float(r["y"]) for r in flying)
assert top > first + 5.0, f"flying up rose only from {first} to {top}"
print(f"flight from frame {flying[0]['frame']}, y {first:.2f} -> {top:.2f}")
PY
rm -rf "$dir"
echo "PASS"
