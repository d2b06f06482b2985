#!/usr/bin/env bash
# The Windows program ends as the Linux one does: Escape pressed in its
# window quits with 0; storage that runs out on a worker and a missing cube
# pixel shader end start-up with their messages and 1; a bad option prints
# the usage and ends with 2. Its output reaches the console it was started
# from, and dpiAware keeps the window's pixels real at a raised scale.
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

# Storage that runs out on a stream thread ends the program from the main
# thread, with the message and 1, and nothing else on stderr.
VOXMERE_FAIL_WORKER_ALLOCATION=1 wine_run voxmere.exe --no-dialogs --frames 300 --set streamThreads=2 > out.txt 2>&1
code=$?
[ "$code" = 1 ] && [ "$(tr -d '\r' < out.txt)" = "Error: Cant reserve more than 2GB RAM." ] ||
  fail "out of memory on a worker ended with $code: $(cat out.txt)"
echo "out of memory on a stream thread: exit 1 with the message"

# At a raised display scale (144 dpi) a dpiAware window keeps its client
# size in real pixels, and the back buffer with it.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f > /dev/null 2>&1
wine_run voxmere.exe --no-dialogs --frames 3 --set dpiAware=true --screenshot dpi.png > out.txt 2>&1 ||
  fail "dpiAware at 144 dpi: $(cat out.txt)"
[ "$(identify -format %wx%h dpi.png)" = 640x360 ] || fail "dpiAware at 144 dpi drew $(identify -format %wx%h dpi.png)"
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f > /dev/null 2>&1
echo "dpiAware at 144 dpi: 640x360"

# Started from a console, the help and a bad option's usage appear in it
# (script gives cmd a terminal, so Wine's console draws what is written);
# redirected by cmd, the version goes to the file. Wine hands its console to
# a GUI program itself, so this holds the result, not the attaching.
cp "$WINBUILD/voxmere.exe" .
in_console() { timeout 60 script -qec "wine cmd /c $*" /dev/null | sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' | tr -d '\r '; }
in_console voxmere.exe --help | grep -q '^Usage:voxmere\[options\]' || fail "no help in the console"
in_console voxmere.exe --bogus | grep -q '^voxmere:unknownoption--bogus' || fail "no usage in the console"
wine cmd /c "voxmere.exe --version > version.txt" > /dev/null 2>&1
[ "$(tr -d '\r' < version.txt)" = "$("$BUILD/voxmere" --version)" ] || fail "cmd's redirection: $(cat version.txt)"
echo "console: help and usage shown, --version redirected"

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
