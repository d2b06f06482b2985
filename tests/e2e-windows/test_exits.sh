#!/usr/bin/env bash
# The Windows program ends as the Linux one does: Escape pressed in its
# window quits with 0; a missing cube pixel shader ends start-up with its
# message and 1; a bad option prints the usage and ends with 2.
# Usage: test_exits.sh WINDOWS_BUILD LINUX_BUILD
set -u
WINBUILD="$1"
BUILD="$2"
. "$(dirname "$0")/lib.sh"

dir="$(make_rundir "$SMALL_CONFIG" "$WINBUILD")"
cd "$dir" || fail "no run folder"

wine_run voxmere.exe --no-dialogs > out.txt 2>&1 &
VIEWER_PID=$!
window="$(wait_for_wine_window "$VIEWER_PID")" || fail "no window: $(cat out.txt)"
timeout 5 xdotool windowactivate --sync "$window" 2>/dev/null || true
sleep 1  # the first frames: the window procedure is reached only from the main loop
timeout 5 xdotool key Escape
wait_exit_code "$VIEWER_PID"
[ "$EXIT_CODE" = 0 ] || fail "Escape ended with $EXIT_CODE: $(cat out.txt)"
echo "Escape: exit 0"

# The vertex shader is read, then the missing pixel shader ends start-up.
rm bin && mkdir -p bin/shader && cp -r "$WINBUILD/bin/font" bin/
cp "$WINBUILD"/bin/shader/*.cso bin/shader/ && rm bin/shader/Cube_PS.cso
wine_run voxmere.exe --no-dialogs > out.txt 2>&1
code=$?
[ "$code" = 1 ] || fail "a missing Cube_PS.cso ended with $code"
grep -qx "Error: failed to read Pixel Shader" < <(tr -d '\r' < out.txt) || fail "no shader message: $(cat out.txt)"
echo "missing Cube_PS.cso: exit 1, 'failed to read Pixel Shader'"

wine_run voxmere.exe --frames > out.txt 2>&1
code=$?
[ "$code" = 2 ] && grep -q "^Usage: voxmere" out.txt || fail "a bad option ended with $code: $(cat out.txt)"
echo "bad option: exit 2 with the usage"
cd / && rm -rf "$dir"
echo "PASS"
