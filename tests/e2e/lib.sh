# Shared helpers of the end-to-end tests. Source it; $BUILD is the build folder.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A viewer started in the background; killed when the test ends early.
VIEWER_PID=""
trap '[ -n "$VIEWER_PID" ] && kill "$VIEWER_PID" 2>/dev/null' EXIT

# Makes a working folder with the bin/ of a build ($BUILD unless a second
# argument names another) and a config.ini of the given lines followed by the
# build's own, which they override (the first of repeated keys counts).
make_rundir() {
  local dir
  dir="$(mktemp -d)"
  ln -s "${2:-$BUILD}/bin" "$dir/bin"
  { printf '%s\n' "$1"; cat "${2:-$BUILD}/config.ini"; } > "$dir/config.ini"
  echo "$dir"
}

# A small windowed world that starts quickly, drawn by the cube renderer
# without fog (the tests that need the other looks ask for them).
SMALL_CONFIG='renderFaces=false
fog=false
ambientOcclusion=false
fullscreen=false
VSync=false
windowWidth=640
windowHeight=360
terrainWidth=128
instantStart=false
GUIUpdate=0.05'

# Starts the viewer in the background with the given options (output in
# out.txt) and waits up to 60 s for its visible window; sets VIEWER_PID and
# WINDOW, or says why it failed.
start_viewer() {
  "$BUILD/voxmere" --no-dialogs "$@" > out.txt 2>&1 &
  VIEWER_PID=$!
  WINDOW=""
  for _ in $(seq 1 600); do
    WINDOW="$(timeout 5 xdotool search --all --pid "$VIEWER_PID" --name 'Voxmere' 2>/dev/null | head -n 1 || true)"
    if [ -n "$WINDOW" ] && timeout 5 xwininfo -id "$WINDOW" 2>/dev/null | grep -q 'IsViewable'; then
      timeout 10 xdotool windowfocus "$WINDOW" 2>/dev/null
      return 0
    fi
    kill -0 "$VIEWER_PID" 2>/dev/null || { echo "the viewer ended before its window showed: $(cat out.txt)"; return 1; }
    sleep 0.1
  done
  echo "after 60 s: no visible window, viewer still running"
  return 1
}

# Holds a key for the given seconds, as a finger would: switches act on the
# key states a frame sees.
hold_key() {
  timeout 10 xdotool keydown "$1"; sleep "$2"; timeout 10 xdotool keyup "$1"
}

# Waits up to 60 s for a child process and sets EXIT_CODE (not in a
# subshell: only this shell can wait for its children).
wait_exit_code() {
  local pid="$1"
  EXIT_CODE=timeout
  for _ in $(seq 1 600); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      EXIT_CODE=$?
      VIEWER_PID=""
      return 0
    fi
    sleep 0.1
  done
  kill "$pid" 2>/dev/null
}

# Prints the share (0..1) of near-white pixels in a WxH+X+Y region of a PNG.
white_share() {
  convert "$1" -crop "$2" +repage -colorspace gray -threshold 94% -format "%[fx:mean]" info:
}

# Prints the share (0..1) of sky-coloured (153, 153, 153) pixels in a PNG or
# in a WxH+X+Y region of it.
sky_share() {
  convert "$1" ${2:+-crop "$2" +repage} -alpha off -fill black +opaque 'rgb(153,153,153)' \
    -fill white -opaque 'rgb(153,153,153)' -colorspace gray -format '%[fx:mean]' info:
}

# True when awk finds the condition on the variable v true, e.g. is "$x" '> 0.5'.
is() { awk -v v="$1" "BEGIN { exit !(v $2) }"; }
