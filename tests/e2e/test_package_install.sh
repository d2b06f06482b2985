#!/usr/bin/env bash
# The Debian package installed with apt as a user installs it: the programs
# run from the PATH with a fresh HOME (the version, three frames of the
# viewer, the manual pages), then the package is removed and purged. After
# that no file of it is left (nor any other new file in /usr, /etc or /opt),
# the user's settings folder is, and the system has the packages it had
# (dependencies this install brought in are purged again, also when the test
# fails half-way). Needs root; skipped (77) when voxmere is already on the
# system, since the test could not put that installation back.
set -u
BUILD="$1"
. "$(dirname "$0")/lib.sh"

# Empty, or "... not-installed", when dpkg has no file of the package.
status() { dpkg-query -W -f='${Status}' voxmere 2>/dev/null || true; }
absent() { case "$(status)" in "" | *" not-installed") return 0 ;; *) return 1 ;; esac; }

[ "$(id -u)" = 0 ] || { echo "SKIP: installing a package needs root"; exit 77; }
if ! absent; then
  echo "SKIP: voxmere is on this system ($(status)): 'apt-get purge voxmere' lets this test run"
  exit 77
fi

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")"
deb="$BUILD/voxmere_${version}_amd64.deb"
[ -f "$deb" ] || fail "no package $deb: scripts/package makes it"
for binary in voxmere voxmere-world; do
  [ "$deb" -nt "$BUILD/$binary" ] || fail "$deb is older than $BUILD/$binary: run scripts/package again"
done

scratch="$(mktemp -d)"
# The packages with files on the system, with their states.
packages() {
  dpkg-query -W -f='${db:Status-Abbrev} ${Package}:${Architecture}\n' | awk '$1 !~ /^.n/ {print $2, $1}' | sort
}
# Every path in the folders a package installs into, less the caches that
# triggers (icon and desktop databases) rebuild and Python's byte code.
paths() {
  find /usr /etc /opt -xdev \( -name __pycache__ -prune \) -o \! -name '*.cache' -print 2>/dev/null | sort
}
apt_get() {
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 -q -y "$@" > "$scratch/apt.txt" 2>&1
}
# Purges the package and the packages its install set up.
restore() {
  absent || dpkg --purge voxmere > /dev/null 2>&1
  if [ -s "$scratch/brought.txt" ]; then
    # shellcheck disable=SC2046  # one package a word
    apt_get purge $(cat "$scratch/brought.txt") && : > "$scratch/brought.txt"
  fi
}
cleanup() {
  [ -n "$VIEWER_PID" ] && kill "$VIEWER_PID" 2>/dev/null
  restore
  rm -rf "$scratch"
}
trap cleanup EXIT

packages > "$scratch/packages-before.txt"
paths > "$scratch/paths-before.txt"
apt_get install "$deb"
installed=$?
sed -n 's/^Setting up \([^ ]*\) .*/\1/p' "$scratch/apt.txt" | grep -v '^voxmere\(:amd64\)\?$' > "$scratch/brought.txt"
[ "$installed" = 0 ] || fail "apt-get install failed: $(tail -n 5 "$scratch/apt.txt")"
[ "$(status) $(dpkg-query -W -f='${Version}' voxmere)" = "install ok installed $version" ] ||
  fail "voxmere $version is not installed: $(status)"

home="$scratch/home"
mkdir "$home"
user="$home/.config/voxmere"
as_user() { (cd "$scratch" && env -u XDG_CONFIG_HOME HOME="$home" "$@"); }
[ "$(command -v voxmere)" = /usr/bin/voxmere ] || fail "voxmere on the PATH is '$(command -v voxmere)'"
[ "$(as_user voxmere --version)" = "voxmere $version" ] || fail "voxmere --version says '$(as_user voxmere --version 2>&1)'"
[ "$(as_user voxmere-world --version)" = "voxmere-world $version" ] || fail "voxmere-world --version failed"
as_user voxmere --no-dialogs --frames 3 --screenshot shot.png > "$scratch/out.txt" 2>&1 ||
  fail "three frames of the installed viewer failed: $(cat "$scratch/out.txt")"
[ -f "$user/config.ini" ] && [ "$(identify -format '%wx%h' "$user/shot.png" 2>&1)" = 1280x720 ] ||
  fail "no settings or no 1280x720 screenshot in $user: $(ls -la "$user" 2>&1)"
# Unless this system's dpkg leaves manual pages out (as slim containers do).
if ! grep -qs '^path-exclude[= ]/usr/share/man' /etc/dpkg/dpkg.cfg.d/*; then
  [ "$(man -w voxmere 2>&1)" = /usr/share/man/man1/voxmere.1.gz ] || fail "man finds no voxmere page: $(man -w voxmere 2>&1)"
  MANWIDTH=80 man voxmere-world 2>/dev/null | grep -q -- '--seed' || fail "the voxmere-world page lacks --seed"
fi

apt_get remove voxmere || fail "apt-get remove failed: $(tail -n 5 "$scratch/apt.txt")"
# apt no longer knows a removed local package; dpkg purges what is left of it.
dpkg --purge voxmere > "$scratch/apt.txt" 2>&1 || fail "dpkg --purge failed: $(cat "$scratch/apt.txt")"
absent || fail "after the purge dpkg still has voxmere as '$(status)'"
[ -f "$user/config.ini" ] || fail "the purge removed the user's $user/config.ini"
restore
left="$(paths | comm -13 "$scratch/paths-before.txt" -)"
[ -z "$left" ] || fail "left after the purge: $(echo "$left" | head -n 5)"
packages | cmp -s "$scratch/packages-before.txt" - ||
  fail "the installed packages differ from before: $(packages | diff "$scratch/packages-before.txt" - | head -n 6)"
echo "PASS"
