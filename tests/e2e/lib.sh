# Shared helpers of the end-to-end tests. Source it; $BUILD is the build folder.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A viewer started in the background; killed when the test ends early.
VIEWER_PID=""
trap '[ -n "$VIEWER_PID" ] && kill "$VIEWER_PID" 2>/dev/null' EXIT

# Makes a working folder with the given config.ini text and the build's bin/.
make_rundir() {
  local dir
  dir="$(mktemp -d)"
  ln -s "$BUILD/bin" "$dir/bin"
  printf '%s\n' "$1" > "$dir/config.ini"
  echo "$dir"
}

# A small windowed world that starts quickly.
SMALL_CONFIG='fullscreen=false
VSync=false
windowWidth=640
windowHeight=360
terrainWidth=128
instantStart=false
GUIUpdate=0.05
moveForward=W
moveBackward=S
moveLeft=A
moveRight=D
moveUp=E
moveDown=Q
jump=32
toggleFlyMode=F
toggleCollision=C
toggleWireframe=V
toggleDebugOutput=G'

# Waits up to 60 s for the viewer's window and prints its id; says why on failure.
wait_for_window() {
  local pid="$1" id=""
  for _ in $(seq 1 600); do
    id="$(timeout 5 xdotool search --all --pid "$pid" --name 'Voxmere' 2>/dev/null | head -n 1 || true)"
    if [ -n "$id" ] && timeout 5 xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable'; then
      echo "$id"
      return 0
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "the viewer exited before its window showed" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "after 60 s: no visible window '${id}', viewer still running" >&2
  return 1
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

# Prints the RGB of one pixel of a PNG as "r g b".
pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:
}

# Prints the share (0..1) of near-white pixels in a WxH+X+Y region of a PNG.
white_share() {
  convert "$1" -crop "$2" +repage -colorspace gray -threshold 94% -format "%[fx:mean]" info:
}
