#!/bin/sh
# Runs voxmere-world on a small world: checks the line format, that budgeted
# queues and streaming give the same world as the start-up pre-generation,
# and that bad options exit with 2.
set -eu
tool="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

small="--seed voxmere --chunk-width 16 --chunk-height 32 --terrain-width 64"
stream="--stream --load-speed 500 --update-speed 900"
"$tool" $small > "$work/m1.txt"
hash='[0-9a-f]{16}'
chunk_line="^chunk [0-9]+ 0 [0-9]+ origin -?[0-9]+ 0 -?[0-9]+ solid [0-9]+ blocks $hash visible [0-9]+ cubes $hash\$"
[ "$(head -n 16 "$work/m1.txt" | grep -Ec "$chunk_line")" -eq 16 ] || fail "chunk line format"
sed -n 2p "$work/m1.txt" | grep -q '^chunk 0 0 1 origin 0 0 16 ' || fail "slots go x, then y, then z"
# The world line sums the chunk lines; an empty cube list hashes to the FNV-1a offset basis.
awk '/^chunk/ { s += $10; v += $14 } /^world/ { if ($3 != s || $5 != v) exit 1 }' "$work/m1.txt" || fail "world totals"
awk '$14 == 0 && $16 != "cbf29ce484222325" { exit 1 }' "$work/m1.txt" || fail "empty cube hash"

# --faces keeps the world lines and adds the face count; budgeted and streamed runs give the same lines.
"$tool" $small --method 2 --faces 1 > "$work/m2.txt"
head -n 17 "$work/m2.txt" | cmp -s "$work/m1.txt" - && fail "the two methods gave the same world"
tail -n 1 "$work/m2.txt" | grep -Eq '^world faces [1-9][0-9]*$' || fail "faces line format"
"$tool" $small --method 2 --faces 1 --budgeted 1 7 | cmp -s "$work/m2.txt" - || fail "--budgeted differs"
"$tool" $small --method 2 --faces 1 $stream > "$work/stream.txt"
head -n 18 "$work/stream.txt" | cmp -s "$work/m2.txt" - || fail "--stream differs"
tail -n 1 "$work/stream.txt" | grep -Eq '^stream frames [0-9]+ worst_ms [0-9.]+ median_ms [0-9.]+$' || fail stream
# Streamed on background threads and pre-generated on them: the same lines again.
"$tool" $small --method 2 --faces 1 --stream --stream-threads 2 > "$work/threads.txt"
head -n 18 "$work/threads.txt" | cmp -s "$work/m2.txt" - || fail "--stream-threads differs"
tail -n 1 "$work/threads.txt" | grep -Eq '^stream frames [0-9]+ worst_ms [0-9.]+ median_ms [0-9.]+ ready_ms [0-9.]+$' ||
    fail "threaded stream line"
"$tool" $small --method 2 --faces 1 --stream-threads 3 | cmp -s "$work/m2.txt" - || fail "threaded pre-generation differs"
# Surface tops worked out by a separate double-precision noise script; x = -5 lies outside the window.
tops="$("$tool" $small --column 5 7 --column 40 20 --column 17 50 --column -5 7 | awk '{ printf "%s ", $5 }')"
[ "$tops" = "11 13 8 0 " ] || fail "column tops: $tops"
# Only the first byte of a seed counts, unless every byte is to count.
"$tool" $small --seed vale --whole-seed 0 | cmp -s "$work/m1.txt" - || fail "--whole-seed 0 changed the world"
"$tool" $small --whole-seed 1 > "$work/whole1.txt"
"$tool" $small --seed vale --whole-seed 1 > "$work/whole2.txt"
cmp -s "$work/m1.txt" "$work/whole1.txt" && fail "--whole-seed 1 kept the first-byte world"
cmp -s "$work/whole1.txt" "$work/whole2.txt" && fail "--whole-seed 1 gave two seeds of one first byte one world"
"$tool" $small --whole-seed 1 | cmp -s "$work/whole1.txt" - || fail "--whole-seed 1 is not repeatable"
# The map: one pixel per column, or N x N; a bad path is refused before any work and nothing is left behind.
"$tool" $small --map "$work/map.png" | grep -qx "map $work/map.png 64x64" || fail "map line"
[ "$(identify -format %wx%h "$work/map.png")" = 64x64 ] || fail "map size"
echo old > "$work/map3.png"
"$tool" $small --method 2 --map "$work/map3.png" --map-scale 3 > /dev/null || fail "scaled map"
[ "$(identify -format %wx%h "$work/map3.png")" = 192x192 ] || fail "scaled map size"
[ -z "$(ls "$work" | grep partial)" ] || fail "a partial map was left"
for bad in "$work/nowhere/map.png" "$work"; do
    status=0
    "$tool" $small --map "$bad" > /dev/null 2> "$work/err.txt" || status=$?
    [ "$status" -eq 2 ] && grep -q "cannot write the map" "$work/err.txt" || fail "--map $bad exits with $status"
done
[ ! -e "$work/nowhere" ] || fail "a refused map left a folder"
"$tool" $small --time 2 | grep -Eq '^pregen_ms median [0-9.]+ min [0-9.]+ max [0-9.]+ runs 2$' || fail "--time format"
for bad in "--bogus" "--method" "--budgeted 5" "--faces 3" "--whole-seed 2" "--map" "--map-scale 17" "--chunk-width 12" "--terrain-width 96" "--stream-threads -1"; do
    status=0
    "$tool" $bad > /dev/null 2> "$work/err.txt" || status=$?
    [ "$status" -eq 2 ] && grep -q '^usage:' "$work/err.txt" || fail "'$bad' exits with $status or prints no usage"
done
echo "voxmere-world checks passed"
