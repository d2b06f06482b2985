#!/usr/bin/env bash
# A replayed walk with a fixed frame time: the player falls onto the terrain
# and rests on it, walks forward, stops, and jumps once. The trace is checked
# against movement computed here in single precision and against the heights
# of the world's block columns.
set -u
BUILD="$1"
. "$(dirname "$0")/lib.sh"
dir="$(make_rundir "$SMALL_CONFIG")"
cd "$dir" || fail "no run folder"

cat > walk.txt <<'INPUT'
# The fall from the top takes about 350 frames. W: walk forward from frame
# 420 to 479, then jump at frame 600.
420 keydown 87
480 keyup 87
600 keydown 32
601 keyup 32
INPUT
"$BUILD/voxmere" --no-dialogs --frames 720 --fixed-dt 0.0166667 --input walk.txt --trace trace.csv \
  > out.txt 2>&1 || fail "the replayed walk failed: $(cat out.txt)"

python3 - "$BUILD/voxmere-world" trace.csv <<'PY' || fail "the trace does not match the world"
import csv, math, struct, subprocess, sys

tool, trace = sys.argv[1], sys.argv[2]
rows = list(csv.DictReader(open(trace)))
f = lambda v: struct.unpack("f", struct.pack("f", v))[0]   # round to single precision
row = lambda frame: rows[frame - 1]
num = lambda frame, key: f(float(row(frame)[key]))  # nine digits round-trip a float

def surface(cells):
    """Highest column top under the player's box: the four corner columns."""
    args = [tool, "--terrain-width", "128"]
    for x, z in cells:
        args += ["--column", str(x), str(z)]
    out = subprocess.run(args, capture_output=True, text=True, check=True).stdout.split("\n")
    return max(int(line.split()[4]) for line in out if line)

def corner_cells(x, z):
    xs = {math.floor(x - 0.25), math.floor(x + 0.25)}
    zs = {math.floor(z - 0.25), math.floor(z + 0.25)}
    return [(a, b) for a in xs for b in zs]

def check_rest(first, last, label):
    y = num(last, "y")
    top = surface(corner_cells(num(last, "x"), num(last, "z")))
    for frame in range(first, last + 1):
        assert row(frame)["on_ground"] == "1", f"{label}: not on ground at frame {frame}"
        assert num(frame, "vy") == 0.0 and num(frame, "y") == y, f"{label}: moving at frame {frame}"
    # The feet (1.5 below the eye) sink into the top layer by at most one frame's fall.
    assert top + 1.5 - 0.3 < y <= top + 1.5, f"{label}: eye at {y}, surface at {top}"
    return y, top

t = f(0.0166667)
damp = lambda v: f(v - f(v * f(8.0 * t)))

# Falling from the start corner (64, 128, 64), walking, with gravity.
vy, y = -1.0, 128.0
for frame in range(1, 6):
    vy = damp(f(vy - f(t * 120.0)))
    y = f(y + f(vy * t))
    assert num(frame, "vy") == vy and num(frame, "y") == y, f"fall differs at frame {frame}"
    assert num(frame, "x") == 64.0 and num(frame, "z") == 64.0
landing = next(int(r["frame"]) for r in rows if r["on_ground"] == "1")
rest_y, top = check_rest(landing + 2, 419, "first landing")

# Walking forward along +z from rest: the first step, then onwards.
vz = damp(f(t * 50.0))
assert num(420, "vz") == vz, f"first step speed {num(420, 'vz')} != {vz}"
assert num(420, "z") == f(64.0 + f(vz * t))
assert all(num(frame, "x") == 64.0 for frame in range(420, 480)), "walking forward drifted sideways"
walked = num(479, "z") - 64.0
assert walked > 2.0, f"walked only {walked}"
end_y, end_top = check_rest(560, 599, "after the walk")

# One jump from the ground: +25, damped once, and back down to the same rest.
assert num(600, "vy") == damp(25.0), f"jump speed {num(600, 'vy')}"
peak = max(num(frame, "y") for frame in range(600, 660))
assert peak > end_y + 1.0, f"the jump rose only to {peak}"
back_y, _ = check_rest(700, 720, "after the jump")
print(f"landed at frame {landing}: eye y {rest_y:.4f} over surface {top}; walked {walked:.3f} along z; "
      f"rest y {end_y:.4f} over {end_top}; jump peak {peak:.3f}; rest again at y {back_y:.4f}")
PY
rm -rf "$dir"
echo "PASS"
