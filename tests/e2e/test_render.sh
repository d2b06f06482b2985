#!/usr/bin/env bash
# Renders a small world with the real binary and checks the screenshots:
# grey sky above, shaded terrain below, wireframe differs from solid, and a
# missing cube pixel shader ends start-up with its message.
# Usage: test_render.sh BUILD_DIR   (needs a display; scripts/test uses xvfb-run)
set -euo pipefail

build="$(cd "${1:?usage: test_render.sh BUILD_DIR}" && pwd)"
. "$(dirname "$0")/lib.sh"
binary="$build/voxmere"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A run folder with the build's settings turned into a small, fully
# generated world in a 640 x 360 window.
make_run_folder() {
    local folder="$1"
    mkdir -p "$folder"
    sed -e 's/^fullscreen=.*/fullscreen=false/' -e 's/^VSync=.*/VSync=false/' \
        -e 's/^windowWidth=.*/windowWidth=640/' -e 's/^windowHeight=.*/windowHeight=360/' \
        -e 's/^terrainWidth=.*/terrainWidth=128/' -e 's/^instantStart=.*/instantStart=false/' \
        -e 's/^infiniteTerrain=.*/infiniteTerrain=false/' "$build/config.ini" >"$folder/config.ini"
    for setting in fullscreen=false windowWidth=640 terrainWidth=128 instantStart=false toggleWireframe=V; do
        grep -qx "$setting" "$folder/config.ini" || fail "config.ini lacks $setting"
    done
    cp -r "$build/bin" "$folder/bin"
}

# Prints "width height sky lower_terrain upper_terrain shades" for a PNG:
# sky = pixels of exactly (153, 153, 153); lower/upper_terrain = share of
# non-sky pixels in the lower and upper quarter; shades = distinct non-sky
# colours covering at least 0.1 % of the frame.
png_stats() {
    python3 - "$1" <<'EOF'
import struct, sys, zlib

def read_png(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, chunks, width = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour in (2, 6), "8-bit RGB or RGBA expected"
            channels = 4 if colour == 6 else 3
        elif kind == b"IDAT":
            chunks += body
        pos += 12 + length
    raw = zlib.decompress(chunks)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            upper_left = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - upper_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - upper_left)
                predictor = left if pa <= pb and pa <= pc else (up if pb <= pc else upper_left)
                line[i] = (line[i] + predictor) & 255
        rows.append([tuple(line[x * channels:x * channels + 3]) for x in range(width)])
        previous = line
    return width, height, rows

width, height, rows = read_png(sys.argv[1])
sky = (153, 153, 153)
counts, sky_pixels = {}, 0
for row in rows:
    for pixel in row:
        if pixel == sky:
            sky_pixels += 1
        else:
            counts[pixel] = counts.get(pixel, 0) + 1

def terrain_share(band):
    pixels = [p for row in band for p in row]
    return sum(1 for p in pixels if p != sky) / len(pixels)

quarter = height // 4
shades = sum(1 for n in counts.values() if n >= width * height * 0.001)
print(width, height, sky_pixels, "%.3f" % terrain_share(rows[-quarter:]),
      "%.3f" % terrain_share(rows[:quarter]), shades)
EOF
}

[[ -x "$binary" ]] || fail "no binary at $binary"

echo "== solid terrain"
solid="$work/solid"
make_run_folder "$solid"
(cd "$solid" && "$binary" --frames 3 --fixed-dt 0.0166667 --screenshot out.png --no-dialogs) || fail "solid run ended with $?"
[[ -s "$solid/out.png" ]] || fail "no screenshot written"
read -r width height sky lower upper shades < <(png_stats "$solid/out.png")
echo "   ${width}x${height}, sky pixels $sky, terrain in lower quarter $lower, upper quarter $upper, shades $shades"
[[ "$width" == 640 && "$height" == 360 ]] || fail "screenshot is ${width}x${height}, not 640x360"
[[ "$sky" -gt $((width * height / 4)) ]] || fail "too little sky colour (153,153,153)"
python3 -c "import sys; sys.exit(0 if float('$lower') >= 0.10 else 1)" || fail "terrain covers only $lower of the lower quarter"
python3 -c "import sys; sys.exit(0 if float('$upper') <= 0.01 else 1)" || fail "the upper quarter is not sky ($upper terrain)"
[[ "$shades" -ge 2 ]] || fail "fewer than two distinct face shades ($shades)"

echo "== wireframe terrain"
# The toggleWireframe key (V, virtual key 86) pressed in the first frame. Both
# runs take the same fixed frame time, so they see the terrain from one place
# however slowly a build draws.
printf '1 keydown 86\n2 keyup 86\n' >"$solid/wireframe.txt"
(cd "$solid" && "$binary" --frames 3 --fixed-dt 0.0166667 --input wireframe.txt --screenshot wire.png --no-dialogs) ||
    fail "wireframe run ended with $?"
read -r _ _ wire_sky wire_lower _ _ < <(png_stats "$solid/wire.png")
echo "   sky pixels $wire_sky, terrain in lower quarter $wire_lower"
cmp -s "$solid/out.png" "$solid/wire.png" && fail "the wireframe frame equals the solid one"
[[ "$wire_sky" -gt "$sky" ]] || fail "wireframe shows no more sky than solid faces ($wire_sky <= $sky)"

cp "$solid/out.png" "$build/e2e-render.png" 2>/dev/null || true
cp "$solid/wire.png" "$build/e2e-render-wireframe.png" 2>/dev/null || true

echo "== missing cube pixel shader"
broken="$work/broken"
make_run_folder "$broken"
rm "$broken/bin/shader/Cube_PS.glsl"
set +e
(cd "$broken" && "$binary" --frames 3 --no-dialogs) 2>"$broken/stderr.txt"
status=$?
set -e
[[ "$status" -eq 1 ]] || fail "exit code $status instead of 1"
grep -q "failed to read Pixel Shader" "$broken/stderr.txt" || fail "stderr lacks 'failed to read Pixel Shader'"

echo "PASS"
