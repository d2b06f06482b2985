# Shared helpers of the Windows end-to-end tests, on top of the Linux ones.
# Source it with $WINBUILD (the Windows build) and $BUILD (the Linux build
# it is compared against) set; Wine's prefix comes from the caller.

. "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"

# Runs a Windows program of the build, bounded in time.
wine_run() {
  local program="$1"
  shift
  timeout 180 wine "$WINBUILD/$program" "$@"
}

# Waits up to 60 s for the viewer's window (Wine's windows carry no usable
# process id, so it is found by its title) and prints its id.
wait_for_wine_window() {
  local pid="$1" id=""
  for _ in $(seq 1 600); do
    id="$(timeout 5 xdotool search --onlyvisible --name '^Voxmere' 2>/dev/null | head -n 1 || true)"
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$pid" 2>/dev/null || { echo "the viewer exited before its window showed" >&2; return 1; }
    sleep 0.1
  done
  echo "after 60 s: no visible window" >&2
  return 1
}
