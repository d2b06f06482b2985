#!/usr/bin/env bash
# Bad input of every kind against the real binary, one table: each case gives
# the settings it puts before the small world's, what it prepares in its run
# folder, the command, the exit code, a line the user must see on stderr and
# what must hold afterwards. Nothing may crash, hang or lose a file.
set -u
BUILD="$1"
. "$(dirname "$0")/lib.sh"

V="$BUILD/voxmere --no-dialogs"
# group | case | settings (;-separated) | preparation | command | exit | stderr (grep -E) | afterwards
CASES='
options|unknown option||true|$V --no-such-option|2|Usage: voxmere|true
options|frames out of range||true|$V --frames 99999999999999999999|2|bad value .99999999999999999999. for --frames|true
options|replay is a folder||mkdir walks|$V --frames 5 --input walks|2|cannot open input file walks: it is a folder|true
options|trace over the replay||echo "1 keydown 87" > walk.txt|$V --frames 5 --input walk.txt --trace walk.txt|2|--trace walk.txt would overwrite --input walk.txt|grep -qx "1 keydown 87" walk.txt
options|trace over config.ini||true|$V --frames 5 --trace ./config.ini|2|would overwrite the settings file config.ini|grep -q "^fullscreen=false" config.ini
options|screenshot is a folder||mkdir shots|$V --frames 5 --screenshot shots|2|cannot write the --screenshot file shots: it is a folder|test -d shots
options|screenshot in a missing folder||true|$V --frames 5 --screenshot nowhere/shot.png|2|the folder nowhere does not exist|true
options|screenshot unwritable||true|$V --frames 5 --screenshot /proc/voxmere-shot.png|2|cannot write the --screenshot file /proc/voxmere-shot.png|true
options|trace and screenshot alike||true|$V --frames 5 --trace out.png --screenshot out.png|2|--trace and --screenshot name the same file|test ! -e out.png
options|--set without =||true|$V --frames 1 --set windowWidth|2|bad value .windowWidth. for --set: it takes KEY=VALUE|true
options|--set with an empty key||true|$V --frames 1 --set =640|2|bad value .=640. for --set|true
input files|mouse offset beyond 16 bits||echo "1 mouse 2147483647 0" > walk.txt|$V --frames 5 --input walk.txt|2|walk.txt:1: bad input line|true
input files|a line that is no event||printf "1 keydown 87\\nwalk\\n" > walk.txt|$V --frames 5 --input walk.txt|2|walk.txt:2: bad input line|true
start-up|no display||true|env -u DISPLAY -u WAYLAND_DISPLAY $V --frames 1|1|no display can be reached|true
start-up|font info file missing|fontInfoFilename=bin\font\none.txt|true|$V --frames 1|1|cannot open the font info file bin/font/none.txt \(fontInfoFilename\): no such file \(working directory /|grep -q "^Error: failed to initialize TextEngine" stderr.txt
start-up|no bin folder||rm bin|$V --frames 1|1|font info file bin/font/fontInfo.txt \(fontInfoFilename\): the folder bin/font does not exist \(working directory /|true
start-up|odd number of chunks|terrainWidth=96;chunkWidth=32|true|$V --frames 1|1|^Error: terrainWidth must be a multiple of chunkWidth|true
start-up|cube pixel shader missing|cubeShaderName=shaders\Cube|mkdir shaders; cp bin/shader/Cube_VS.glsl shaders|$V --frames 1|1|^Error: failed to read Pixel Shader|true
start-up|world beyond memory|terrainWidth=1073741824|true|$V --frames 1|1|^Error: Cant reserve more than 2GB RAM.$|true
start-up|out of memory on a stream thread|streamThreads=2;instantStart=true|true|env VOXMERE_FAIL_WORKER_ALLOCATION=1 $V --frames 300|1|^Error: Cant reserve more than 2GB RAM.$|[ "$(grep -c . stderr.txt)" = 1 ]
start-up|out of memory on a pre-generation thread|streamThreads=0;instantStart=false|true|env VOXMERE_FAIL_WORKER_ALLOCATION=1 $V --frames 1|1|^Error: Cant reserve more than 2GB RAM.$|[ "$(grep -c . stderr.txt)" = 1 ]
settings|no config.ini||rm config.ini|$V --frames 1|0|config.ini: cannot read it \(no such file\) in the working directory /.*fullscreen included|true
settings|field of view 0|fieldOfView=0|true|$V --frames 1|0|fieldOfView=0 leaves nothing to see|true
settings|--set over config.ini|windowWidth=640|cp config.ini before.ini|$V --frames 2 --set windowWidth=200 --set windowHeight=120 --set windowWidth=256 --set noSuchKey=1 --screenshot shot.png|0|^voxmere: unknown setting noSuchKey$|identify -format %wx%h shot.png | grep -qx 256x120 && cmp -s config.ini before.ini
settings|--set with a bad number||true|$V --frames 1 --set screenDepth=far|0|--set: screenDepth=far is not a valid number, using 1024|true
outputs|trace and screenshot replace older files||echo old > trace.csv; echo old > shot.png|$V --frames 2 --trace trace.csv --screenshot shot.png|0|screenshot saved to shot.png|head -n 1 trace.csv | grep -q "^frame,dt," && head -c 4 shot.png | grep -q PNG && test -z "$(ls *.partial 2>/dev/null)"
'

failures=0
group=""
while IFS='|' read -r case_group name settings preparation command expected pattern afterwards; do
  [ -n "$case_group" ] || continue
  [ "$case_group" = "$group" ] || { group="$case_group"; echo "== $group"; }
  dir="$(make_rundir "$(printf '%s\n%s' "${settings//;/$'\n'}" "$SMALL_CONFIG")")"
  (
    cd "$dir" || exit 1
    eval "$preparation" || { echo "FAIL: $name: the preparation failed"; exit 1; }
    eval "timeout 60 $command" > stdout.txt 2> stderr.txt
    code=$?
    problem=""
    if [ "$code" != "$expected" ]; then
      problem="exit code $code, expected $expected"
    elif ! grep -Eq -- "$pattern" stderr.txt; then
      problem="stderr lacks /$pattern/"
    elif ! eval "$afterwards"; then
      problem="afterwards: $afterwards does not hold"
    fi
    if [ -n "$problem" ]; then
      echo "FAIL: $name: $problem"
      sed 's/^/    /' stderr.txt
      exit 1
    fi
    echo "ok   $name"
  ) || failures=$((failures + 1))
  rm -rf "$dir"
done <<< "$CASES"

[ "$failures" = 0 ] || fail "$failures bad-input case(s) failed"
echo "PASS"
