#!/usr/bin/env bash
# The Debian package that scripts/package made from this build, unpacked into a
# scratch root: its control data, its files and icons, the world tool run from
# anywhere, and the launcher, which runs the viewer in the user's folder
# (created on the first run, kept on the next) with a scratch HOME.
set -u
BUILD="$1"
. "$(dirname "$0")/lib.sh"

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")"
deb="$BUILD/voxmere_${version}_amd64.deb"
[ -f "$deb" ] || fail "no package $deb: scripts/package makes it"
for binary in voxmere voxmere-world; do
  [ "$deb" -nt "$BUILD/$binary" ] || fail "$deb is older than $BUILD/$binary: run scripts/package again"
done

scratch="$(mktemp -d)"
root="$scratch/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb cannot unpack $deb"
lib="$root/usr/lib/voxmere"

[ "$(dpkg-deb -f "$deb" Package Version)" = "Package: voxmere"$'\n'"Version: $version" ] || fail "package or version"
depends="$(dpkg-deb -f "$deb" Depends)"
for needed in libsdl2-2.0-0 libepoxy0 libgl1-mesa-dri libstdc++6; do
  echo "$depends" | grep -q "$needed" || fail "Depends lacks $needed: $depends"
done
outside="$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '^\./usr/' || true)"
[ -z "$outside" ] || fail "files outside /usr: $outside"

[ "$("$lib/voxmere" --version)" = "voxmere $version" ] || fail "the viewer says $("$lib/voxmere" --version)"
[ "$("$root/usr/bin/voxmere-world" --version)" = "voxmere-world $version" ] || fail "the world tool has no version"
for file in config.ini bin/icon.bmp bin/font/font.dds bin/font/fontInfo.txt bin/shader/Cube_VS.glsl \
  bin/shader/Cube_PS.glsl bin/shader/Font_VS.glsl bin/shader/Font_PS.glsl; do
  [ -f "$lib/$file" ] || fail "the run folder lacks $file"
done

# The documents: the notices as in the source tree, the changelog's newest
# entry and the AppStream release for this version, and a manual page of each
# program on the PATH that names every option its --help names.
doc="$root/usr/share/doc/voxmere"
cmp -s "$doc/THIRD-PARTY-NOTICES" "$(dirname "$0")/../../THIRD-PARTY-NOTICES" || fail "no copy of THIRD-PARTY-NOTICES"
head -n 1 "$doc/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "the copyright file is not machine-readable"
[ "$(zcat "$doc/changelog.gz" | head -n 1 | cut -d' ' -f1-2)" = "voxmere ($version)" ] || fail "the changelog's newest entry is not $version"
grep -q "<release version=\"$version\"" "$root"/usr/share/metainfo/*.metainfo.xml || fail "no AppStream release $version"
for program in voxmere voxmere-world; do
  binary="$root/usr/bin/$program"
  [ "$program" = voxmere ] && binary="$lib/voxmere"  # the launcher passes --help on to it
  page="$(LC_ALL=C MANWIDTH=200 man -l "$root/usr/share/man/man1/$program.1.gz" 2>&1)" || fail "no manual page of $program"
  for option in $("$binary" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    echo "$page" | grep -q -- "$option" || fail "the manual page of $program lacks $option"
  done
done

desktop="$root/usr/share/applications/voxmere.desktop"
[ "$(grep -cx -e Type=Application -e Exec=voxmere -e Icon=voxmere -e Terminal=false "$desktop")" = 4 ] ||
  fail "the desktop entry lacks a line: $(cat "$desktop")"
for size in 16x16 32x32 48x48 256x256; do
  icon="$root/usr/share/icons/hicolor/$size/apps/voxmere.png"
  [ "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "$size" ] || fail "no $size icon"
done

# The world tool needs no run folder.
(cd "$scratch" && PATH="$root/usr/bin:$PATH" voxmere-world --terrain-width 64 --column 0 0) >"$scratch/w.txt" 2>&1 ||
  fail "voxmere-world from the PATH failed: $(cat "$scratch/w.txt")"

# The launcher with a scratch HOME: the first run makes the user's folder and
# runs the shipped settings there, with screenshots landing in it.
home="$scratch/home"
mkdir "$home"
user="$home/.config/voxmere"
launch() {
  (cd "$scratch" && env -u XDG_CONFIG_HOME HOME="$home" PATH="$root/usr/bin:$PATH" \
    voxmere --no-dialogs --frames 3 --screenshot "$1") > "$scratch/out.txt" 2>&1
}
launch first.png || fail "the first run failed: $(cat "$scratch/out.txt")"
cmp -s "$user/config.ini" "$lib/config.ini" || fail "the user's folder has no copy of the shipped config.ini"
[ -L "$user/bin" ] && [ "$(readlink -f "$user/bin")" = "$(readlink -f "$lib/bin")" ] ||
  fail "the user's bin is not a link to the shipped bin"
[ "$(identify -format '%wx%h' "$user/first.png")" = "1280x720" ] || fail "no 1280x720 screenshot in the user's folder"

# The user's own settings are kept and read: a smaller window.
sed -i 's/^windowWidth=.*/windowWidth=640/; s/^windowHeight=.*/windowHeight=360/' "$user/config.ini"
cp "$user/config.ini" "$scratch/edited.ini"
launch second.png || fail "the second run failed: $(cat "$scratch/out.txt")"
cmp -s "$user/config.ini" "$scratch/edited.ini" || fail "the second run replaced the user's config.ini"
[ "$(identify -format '%wx%h' "$user/second.png")" = "640x360" ] || fail "the user's config.ini was not read"

# An absolute XDG_CONFIG_HOME names the folder instead.
(cd "$scratch" && XDG_CONFIG_HOME="$scratch/xdg" HOME="$home" "$root/usr/bin/voxmere" --no-dialogs --frames 1) \
  > "$scratch/out.txt" 2>&1 || fail "the run with XDG_CONFIG_HOME failed: $(cat "$scratch/out.txt")"
[ -f "$scratch/xdg/voxmere/config.ini" ] || fail "XDG_CONFIG_HOME was not used"

rm -rf "$scratch"
echo "PASS"
