#!/usr/bin/env bash
# Runs the viewer for a fixed number of frames from the start position over a
# fully generated world (instantStart false, a fixed frame time) and prints
# the median frame, update and render times from its --trace file, and the
# chunks and cubes drawn in the last frame (--stats).
#
# Usage: bench/render_bench.sh BUILD_DIR [FRAMES] [KEY=VALUE ...]
#   KEY=VALUE pairs override settings, e.g. terrainWidth=256 windowWidth=640.
# Needs a display: run it under `xvfb-run -a` on a machine without one.
# With Mesa, GALLIUM_NOOP=1 in the environment skips the driver's vertex and
# pixel work, so render_ms is then the CPU cost of our code and the GL calls.
set -euo pipefail

build="$(cd "${1:?usage: render_bench.sh BUILD_DIR [FRAMES] [KEY=VALUE ...]}" && pwd)"
frames="${2:-120}"
shift $(($# >= 2 ? 2 : 1))
binary="$build/voxmere"
[[ -x "$binary" ]] || { echo "no binary at $binary" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r "$build/bin" "$work/bin"
overrides=(fullscreen=false VSync=false instantStart=false infiniteTerrain=false "$@")
sed_args=()
for pair in "${overrides[@]}"; do
    sed_args+=(-e "s/^${pair%%=*}=.*/${pair//\//\\/}/")
done
sed "${sed_args[@]}" "$build/config.ini" >"$work/config.ini"

start=$(date +%s.%N)
(cd "$work" && "$binary" --frames "$frames" --fixed-dt 0.016 --trace trace.csv --no-dialogs --stats >stats.txt)
end=$(date +%s.%N)

python3 - "$work/trace.csv" "$start" "$end" "${overrides[*]}" "$work/stats.txt" <<'EOF'
import csv, statistics, sys

path, start, end, overrides, stats = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), sys.argv[4], sys.argv[5]
rows = list(csv.DictReader(open(path)))
# The first frames warm up caches and upload the first lists; leave them out.
steady = rows[len(rows) // 4:] if len(rows) >= 8 else rows

def median(column):
    return statistics.median(float(row[column]) for row in steady)

update, render = median("update_ms"), median("render_ms")
frame = statistics.median(float(r["update_ms"]) + float(r["render_ms"]) for r in steady)
print("settings      : %s" % overrides)
print("frames        : %d (median over the last %d)" % (len(rows), len(steady)))
print("frame ms      : %.3f median (update + render)" % frame)
print("update ms     : %.3f median" % update)
print("render ms     : %.3f median" % render)
print("last frame    : %s" % open(stats).read().strip())
print("wall time s   : %.2f for the whole run, start-up included" % (end - start))
EOF
