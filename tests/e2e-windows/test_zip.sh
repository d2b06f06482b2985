#!/usr/bin/env bash
# The zip that scripts/build-windows made: one Voxmere folder with the
# stripped programs, everything they read, a read-me and the licences with
# Windows line ends; each program's version resource, as Windows reads it,
# gives the version --version prints, the product name and LICENSE's
# copyright line; and the unpacked viewer draws three frames.
# Usage: test_zip.sh WINDOWS_BUILD LINUX_BUILD
set -u
WINBUILD="$1"
BUILD="$2"
. "$(dirname "$0")/lib.sh"
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"

zip="$WINBUILD/voxmere-win64.zip"
[ -f "$zip" ] || fail "no $zip: scripts/build-windows makes it"
for program in voxmere.exe voxmere-world.exe; do
  [ "$zip" -nt "$WINBUILD/$program" ] || fail "$zip is older than $program: run scripts/build-windows again"
done
scratch="$(mktemp -d)"
(cd "$scratch" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
listing="$(cmake -E tar tf "$zip")"
folder="$scratch/Voxmere"
for file in voxmere.exe voxmere-world.exe config.ini README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt \
  bin/font/font.dds bin/font/fontInfo.txt bin/shader/Cube_VS.cso bin/shader/Cube_PS.cso bin/shader/Font_VS.cso \
  bin/shader/Font_PS.cso; do
  [ -f "$folder/$file" ] || fail "the zip's Voxmere folder lacks $file: ${listing//$'\n'/ }"
done
[ -z "$(echo "$listing" | grep -v '^Voxmere/')" ] || fail "files outside the Voxmere folder"

# Text files for Notepad: every line ends in CR LF; the licences are the
# source tree's.
for file in README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt; do
  [ "$(grep -c $'\r$' "$folder/$file")" = "$(wc -l < "$folder/$file")" ] || fail "$file has lines without CR LF"
done
cmp -s <(tr -d '\r' < "$folder/LICENSE.txt") "$source_dir/LICENSE" || fail "LICENSE.txt is not LICENSE"
cmp -s <(tr -d '\r' < "$folder/THIRD-PARTY-NOTICES.txt") "$source_dir/THIRD-PARTY-NOTICES" ||
  fail "THIRD-PARTY-NOTICES.txt is not THIRD-PARTY-NOTICES"
# The read-me's keys are the shipped bindings.
readme="$(tr -d '\r' < "$folder/README.txt")"
for action in moveForward moveBackward moveLeft moveRight moveUp moveDown toggleFlyMode toggleCollision \
  toggleWireframe toggleDebugOutput; do
  key="$(sed -n "s/^$action=\\(.\\)\$/\\1/p" "$folder/config.ini")"
  [ -n "$key" ] || fail "config.ini binds no letter to $action"
  echo "$readme" | grep -Eq "^  ($key|. / $key)( / .)? " || fail "README.txt does not list $key ($action)"
done
grep -qx 'jump=32' "$folder/config.ini" && echo "$readme" | grep -q '^  Space ' || fail "README.txt: jump is not Space"
grep -qx 'screenshot=123' "$folder/config.ini" && echo "$readme" | grep -q '^  F12 ' || fail "README.txt: no F12"

copyright="$(grep '^Copyright (c) ' "$source_dir/LICENSE")"
cd "$folder" || fail "no folder"
for program in voxmere voxmere-world; do
  # Stripped: no symbol table, no debug sections.
  x86_64-w64-mingw32-nm "$program.exe" 2>&1 | grep -q ': no symbols$' || fail "$program.exe is not stripped"
  ! x86_64-w64-mingw32-objdump -h "$program.exe" | grep -q '\.debug' || fail "$program.exe has debug sections"

  said="$(timeout 60 wine "$program.exe" --version 2>&1 | tr -d '\r')"
  version="${said#"$program "}"
  [ "$said" = "$program $version" ] && [ -n "$version" ] || fail "$program.exe --version says '$said'"
  timeout 60 wine "$WINBUILD/tests/e2e-windows/version_info.exe" "$program.exe" > info.txt 2>&1 ||
    fail "no version resource in $program.exe: $(cat info.txt)"
  info="$(tr -d '\r' < info.txt | grep -v '^FileDescription: ')"
  description="$(tr -d '\r' < info.txt | sed -n 's/^FileDescription: //p')"
  expected="FILEVERSION $version.0
PRODUCTVERSION $version.0
Translation 0409 04b0
CompanyName: ${copyright#Copyright (c) [0-9][0-9][0-9][0-9] }
FileVersion: $version
InternalName: $program
LegalCopyright: $copyright
OriginalFilename: $program.exe
ProductName: Voxmere
ProductVersion: $version"
  [ "$info" = "$expected" ] || fail "the version resource of $program.exe: $(diff <(echo "$expected") <(echo "$info"))"
  [ "${description#Voxmere }" != "$description" ] || fail "$program.exe has no description: '$description'"
  echo "$program.exe: $(echo "$info" | tr '\n' ';') FileDescription: $description"
  rm info.txt
done

# Unpacked as a user would: three frames from the folder's own settings.
printf '%s\n' "$SMALL_CONFIG" | cat - config.ini > small.ini && mv small.ini config.ini
timeout 180 wine voxmere.exe --no-dialogs --frames 3 --screenshot shot.png > out.txt 2>&1 ||
  fail "three frames of the unpacked viewer failed: $(cat out.txt)"
[ "$(identify -format '%wx%h' shot.png 2>&1)" = 640x360 ] || fail "no 640x360 screenshot: $(cat out.txt)"
cd / && rm -rf "$scratch"
echo "PASS"
