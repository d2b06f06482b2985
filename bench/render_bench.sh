#!/usr/bin/env bash
# Runs the viewer for a fixed number of frames from the start position over a
# fully generated world (instantStart false, a fixed frame time) and prints
# the median frame, update and render times from its --trace file, and the
# chunks, cubes and triangles drawn in the last frame (--stats).
#
# Usage: bench/render_bench.sh [--compare-faces] BUILD_DIR [FRAMES] [KEY=VALUE ...]
#   KEY=VALUE pairs override settings, e.g. terrainWidth=256 windowWidth=640.
#   --compare-faces runs the same view twice, with the cube renderer and with
#   renderFaces=true, and prints the ratio of their median frames.
# Needs a display: run it under `xvfb-run -a` on a machine without one.
# With Mesa, GALLIUM_NOOP=1 in the environment skips the driver's vertex and
# pixel work, so render_ms is then the CPU cost of our code and the GL calls.
set -euo pipefail

compare=0
if [[ "${1:-}" == "--compare-faces" ]]; then
    compare=1
    shift
fi
build="$(cd "${1:?usage: render_bench.sh [--compare-faces] BUILD_DIR [FRAMES] [KEY=VALUE ...]}" && pwd)"
frames="${2:-120}"
shift $(($# >= 2 ? 2 : 1))
binary="$build/voxmere"
[[ -x "$binary" ]] || { echo "no binary at $binary" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r "$build/bin" "$work/bin"

# Runs one view with the given overrides; prints its figures and leaves the
# median frame in $work/frame_ms.
run_view() {
    local overrides=(fullscreen=false VSync=false instantStart=false infiniteTerrain=false "$@")
    cp "$build/config.ini" "$work/config.ini"
    local pair
    for pair in "${overrides[@]}"; do
        if grep -q "^${pair%%=*}=" "$work/config.ini"; then
            sed -i "s/^${pair%%=*}=.*/${pair//\//\\/}/" "$work/config.ini"
        else
            echo "$pair" >>"$work/config.ini"
        fi
    done
    local start end
    start=$(date +%s.%N)
    (cd "$work" && "$binary" --frames "$frames" --fixed-dt 0.016 --trace trace.csv --no-dialogs --stats >stats.txt)
    end=$(date +%s.%N)
    python3 - "$work/trace.csv" "$start" "$end" "${overrides[*]}" "$work/stats.txt" "$work/frame_ms" <<'PY'
import csv, statistics, sys

path, start, end, overrides, stats, out = sys.argv[1:7]
rows = list(csv.DictReader(open(path)))
# The first frames warm up caches and upload the first lists; leave them out.
steady = rows[len(rows) // 4:] if len(rows) >= 8 else rows

def median(column):
    return statistics.median(float(row[column]) for row in steady)

update, render = median("update_ms"), median("render_ms")
frame = statistics.median(float(r["update_ms"]) + float(r["render_ms"]) for r in steady)
lines = open(stats).read().strip().splitlines()
print("settings      : %s" % overrides)
print("frames        : %d (median over the last %d)" % (len(rows), len(steady)))
print("frame ms      : %.3f median (update + render)" % frame)
print("update ms     : %.3f median" % update)
print("render ms     : %.3f median" % render)
for line in lines:
    print("last frame    : %s" % line)
print("wall time s   : %.2f for the whole run, start-up included" % (float(end) - float(start)))
open(out, "w").write("%.3f" % frame)
PY
}

if [[ "$compare" == 0 ]]; then
    run_view "$@"
    exit 0
fi
run_view renderFaces=false "$@"
cubes_ms="$(cat "$work/frame_ms")"
echo
run_view renderFaces=true "$@"
faces_ms="$(cat "$work/frame_ms")"
echo
python3 -c "import sys; c, f = float(sys.argv[1]), float(sys.argv[2]); print('faces / cubes : %.3f (%.3f ms against %.3f ms)' % (f / c, f, c))" "$cubes_ms" "$faces_ms"
