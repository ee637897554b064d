#!/usr/bin/env bash
# Builds the release packages into dist/: for each flavour an NSIS installer built on its own
# architecture's stub, and a portable zip (exe, help, README.txt, a sample Trovel.INI).
# Usage: package.sh [--no-build]   (--no-build: package what build/win32 and build/win64 hold)
# The build folders can be moved with TROVEL_BUILD_WIN32 and TROVEL_BUILD_WIN64; each must hold
# Trovel.exe and Trovel.chm.
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

for flavour in win32 win64; do
    case $flavour in
        win32) dir=${TROVEL_BUILD_WIN32:-$root/build/win32} arch=x86 bits=32-bit ;;
        win64) dir=${TROVEL_BUILD_WIN64:-$root/build/win64} arch=amd64 bits=64-bit ;;
    esac
    for file in Trovel.exe Trovel.chm; do
        [ -f "$dir/$file" ] || { echo "package: $dir/$file is missing; build it first (scripts/build.sh)" >&2; exit 1; }
    done
    [ -d "/usr/share/nsis/Stubs" ] && [ -f "/usr/share/nsis/Stubs/lzma_solid-$arch-unicode" ] ||
        { echo "package: NSIS has no $arch-unicode stub" >&2; exit 1; }

    stage=$work/$flavour/Trovel
    mkdir -p "$stage"
    cp "$dir/Trovel.exe" "$dir/Trovel.chm" "$stage/"
    sed -e "s/@VERSION@/$version/g" -e "s/@FLAVOUR@/$bits/g" "$root/installer/README.txt" | crlf > "$stage/README.txt"

    setup=$dist/Trovel-$version-$flavour-setup.exe
    makensis -V2 -NOCD -DARCH=$arch -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" \
        "$root/installer/Trovel.nsi" > "$work/makensis-$flavour.log" 2>&1 ||
        { cat "$work/makensis-$flavour.log" >&2; echo "package: makensis failed for $flavour" >&2; exit 1; }

    # The zip: the same files, and the sample first-run file (not installed: it belongs in the
    # Windows directory, where an administrator puts it on purpose).
    crlf "$root/installer/Trovel.INI" > "$stage/Trovel.INI"
    zipfile=$dist/Trovel-$version-$flavour.zip
    rm -f "$zipfile"
    (cd "$work/$flavour" && zip -q -X -9 -r "$zipfile" Trovel)
done

cd "$dist"
for file in Trovel-"$version"-*; do
    printf '%8d  %s\n' "$(stat -c %s "$file")" "dist/$file"
done
