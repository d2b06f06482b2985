#!/usr/bin/env bash
# Input recorded with --record from real key presses and a mouse move
# (xdotool) replays to the same positions frame by frame, and the screenshot
# key (F12, a virtual-key code) saves the same picture in the recorded run and
# in its replay. A run ended by Ctrl+C leaves a complete recording too.
set -u
BUILD="$1"
. "$(dirname "$0")/lib.sh"
dir="$(make_rundir "$SMALL_CONFIG
screenshot=123")"
cd "$dir" || fail "no run folder"
dt=0.0166667

# One recorded session: flight on, a turn to the right and down, forward, up,
# a screenshot, Escape.
record_once() {
  rm -f rec.txt live.csv screenshot-*.png
  "$BUILD/voxmere" --no-dialogs --fixed-dt "$dt" --record rec.txt --trace live.csv > out.txt 2>&1 &
  VIEWER_PID=$!
  local window
  window="$(wait_for_window "$VIEWER_PID")" || { echo "no window appeared: $(cat out.txt)"; return 1; }
  timeout 10 xdotool windowfocus "$window" 2>/dev/null
  sleep 1
  timeout 10 xdotool keydown f; sleep 0.3; timeout 10 xdotool keyup f
  sleep 0.3
  timeout 10 xdotool mousemove_relative -- 60 80
  sleep 0.3
  timeout 10 xdotool keydown w; sleep 1; timeout 10 xdotool keyup w
  timeout 10 xdotool keydown e; sleep 0.5; timeout 10 xdotool keyup e
  sleep 0.3
  timeout 10 xdotool keydown F12; sleep 0.2; timeout 10 xdotool keyup F12
  sleep 0.5
  timeout 10 xdotool key --clearmodifiers Escape
  wait_exit_code "$VIEWER_PID"
  [ "$EXIT_CODE" = "0" ] || { echo "the recorded run ended with $EXIT_CODE: $(cat out.txt)"; return 1; }
  grep -q 'keydown 70$' rec.txt && grep -q '^[0-9]* mouse [1-9]' rec.txt || {
    echo "the flight key or the mouse move was not recorded: $(cat rec.txt)"
    return 1
  }
}
record_once || { echo "first try failed, trying again"; record_once; } || fail "no session was recorded"
live_shot="$(ls screenshot-*.png 2>/dev/null)"
[ "$(echo "$live_shot" | wc -w)" = "1" ] || fail "the screenshot key saved '$live_shot', expected one file"
mkdir live && mv "$live_shot" live/

# The replay ends by itself at the recorded Escape.
timeout 120 "$BUILD/voxmere" --no-dialogs --fixed-dt "$dt" --input rec.txt --trace replay.csv > out.txt 2>&1 ||
  fail "the replay failed: $(cat out.txt)"
replay_shot="$(ls screenshot-*.png 2>/dev/null)"
[ -n "$replay_shot" ] || fail "the replay saved no screenshot"

python3 - live.csv replay.csv <<'PY' || fail "the replay does not follow the recorded run"
import csv, sys
live = list(csv.DictReader(open(sys.argv[1])))
replay = list(csv.DictReader(open(sys.argv[2])))
state = ("x", "y", "z", "vx", "vy", "vz", "on_ground", "flying", "collision")
assert len(replay) >= len(live), f"the replay ran {len(replay)} frames, the recorded run {len(live)}"
for a, b in zip(live, replay):
    assert [a[k] for k in state] == [b[k] for k in state], f"frame {a['frame']}: {a} != {b}"
flying = [r for r in live if r["flying"] == "1"]
assert flying, "flight was never switched on"
moved_x = max(abs(float(r["x"]) - float(flying[0]["x"])) for r in flying)
assert moved_x > 0.5, f"the turn did not change the walking direction (x moved {moved_x})"
print(f"{len(live)} recorded frames replayed alike; x moved {moved_x:.2f} after the turn")
PY
[ "$(identify -format '%m %wx%h' "live/$live_shot")" = "PNG 640x360" ] || fail "$live_shot is not a 640x360 PNG"
terrain="$(convert "live/$live_shot" -fuzz 3% -fill white -opaque 'rgb(153,153,153)' -fill black +opaque white \
  -colorspace gray -format '%[fx:1-mean]' info:)"
python3 -c "import sys; sys.exit(0 if $terrain > 0.2 else 1)" || fail "the screenshot shows little terrain ($terrain)"
difference="$(compare -metric AE "live/$live_shot" "$replay_shot" null: 2>&1)"
[ "$difference" = "0" ] || fail "the replay's screenshot differs from the recorded one in $difference pixels"

# Ctrl+C ends the run normally and leaves a complete recording. (Job control
# keeps the background viewer from ignoring SIGINT, as it would in a script.)
set -m
"$BUILD/voxmere" --no-dialogs --record interrupted.txt > out.txt 2>&1 &
VIEWER_PID=$!
set +m
window="$(wait_for_window "$VIEWER_PID")" || fail "no window appeared: $(cat out.txt)"
timeout 10 xdotool windowfocus "$window" 2>/dev/null
sleep 0.5
timeout 10 xdotool key w
sleep 0.5
kill -INT "$VIEWER_PID"
wait_exit_code "$VIEWER_PID"
[ "$EXIT_CODE" = "0" ] || fail "Ctrl+C ended the run with $EXIT_CODE"
grep -q '^# the run ended after frame [0-9]*$' interrupted.txt || fail "the interrupted recording is not complete"
"$BUILD/voxmere" --no-dialogs --frames 2 --input interrupted.txt > out.txt 2>&1 ||
  fail "the interrupted recording does not replay: $(cat out.txt)"

rm -rf "$dir"
echo "PASS"
