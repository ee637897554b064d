#!/usr/bin/env bash
# Builds the release packages into dist/: one NSIS setup holding both flavours (Trovel-<version>-setup.exe),
# and for each flavour a portable zip (exe, help, README.txt, a sample Trovel.INI).
# Usage: package.sh [--no-build]   (--no-build: package what build/win32 and build/win64 hold)
# The build folders can be moved with TROVEL_BUILD_WIN32 and TROVEL_BUILD_WIN64; each must hold
# Trovel.exe and Trovel.chm. TROVEL_SETUP_TEST_COPY=<file>: also the setup on the 64-bit stub, for the tests.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

build=yes
for arg in "$@"; do
    case $arg in
        --no-build) build=no ;;
        *) echo "usage: $0 [--no-build]" >&2; exit 2 ;;
    esac
done

if [ $build = yes ]; then
    bash "$root/scripts/setup.sh"
    bash "$root/scripts/build.sh" win32 win64 --target Trovel
fi

version=$(sed -n 's/.*VALUE "ProductVersion", "\([^"]*\)".*/\1/p' "$root/res/Trovel.rc")
[ -n "$version" ] || { echo "package: no ProductVersion in res/Trovel.rc" >&2; exit 1; }
dist=$root/dist
work=$(mktemp -d /tmp/trovel-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$dist"

# Text files for Windows: CRLF line ends.
crlf() { sed -e 's/\r$//' -e 's/$/\r/' "$@"; }

[ -f "/usr/share/nsis/Stubs/lzma_solid-x86-unicode" ] || { echo "package: NSIS has no x86-unicode stub" >&2; exit 1; }
rm -f "$dist"/Trovel-*-setup.exe # the per-flavour setups of earlier releases, or an older version's
for flavour in win32 win64; do
    case $flavour in
        win32) dir=${TROVEL_BUILD_WIN32:-$root/build/win32} bits=32-bit ;;
        win64) dir=${TROVEL_BUILD_WIN64:-$root/build/win64} bits=64-bit ;;
    esac
    for file in Trovel.exe Trovel.chm; do
        [ -f "$dir/$file" ] || { echo "package: $dir/$file is missing; build it first (scripts/build.sh)" >&2; exit 1; }
    done

    stage=$work/$flavour/Trovel
    mkdir -p "$stage"
    cp "$dir/Trovel.exe" "$dir/Trovel.chm" "$stage/"
    sed -e "s/@VERSION@/$version/g" -e "s/@FLAVOUR@/$bits/g" "$root/installer/README.txt" | crlf > "$stage/README.txt"
done

# The one setup: both flavours inside one 32-bit stub, which picks the one for the Windows it runs on.
setup=$dist/Trovel-$version-setup.exe
makensis -V2 -NOCD -DVERSION="$version" -DSTAGE32="$work/win32/Trovel" -DSTAGE64="$work/win64/Trovel" \
    -DOUTFILE="$setup" "$root/installer/Trovel.nsi" > "$work/makensis.log" 2>&1 ||
    { cat "$work/makensis.log" >&2; echo "package: makensis failed" >&2; exit 1; }
# For the installer tests (TROVEL_SETUP_TEST_COPY=<file>): the same setup on NSIS's 64-bit stub, since
# the Wine here runs 64-bit programs only.
if [ -n "${TROVEL_SETUP_TEST_COPY:-}" ]; then
    makensis -V2 -NOCD -DSTUB=amd64 -DVERSION="$version" -DSTAGE32="$work/win32/Trovel" -DSTAGE64="$work/win64/Trovel" \
        -DOUTFILE="$TROVEL_SETUP_TEST_COPY" "$root/installer/Trovel.nsi" > "$work/makensis.log" 2>&1 ||
        { cat "$work/makensis.log" >&2; echo "package: makensis failed for the test copy" >&2; exit 1; }
fi

for flavour in win32 win64; do
    # The zip: the same files, and the sample first-run file (not installed: it belongs in the
    # Windows directory, where an administrator puts it on purpose). The 32-bit one is the way for NT 4.0.
    stage=$work/$flavour/Trovel
    crlf "$root/installer/Trovel.INI" > "$stage/Trovel.INI"
    zipfile=$dist/Trovel-$version-$flavour.zip
    rm -f "$zipfile"
    (cd "$work/$flavour" && zip -q -X -9 -r "$zipfile" Trovel)
done

cd "$dist"
for file in Trovel-"$version"-*; do
    printf '%8d  %s\n' "$(stat -c %s "$file")" "dist/$file"
done
