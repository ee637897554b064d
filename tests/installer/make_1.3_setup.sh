#!/usr/bin/env bash
# Makes a 1.3 setup from the 1.3 installer script (tests/installer/Trovel-1.3.nsi) around the 64-bit
# build's files, so the installer tests can upgrade a 1.3 installation.
# Usage: make_1.3_setup.sh BUILD_DIR OUTFILE
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$1 out=$2
work=$(mktemp -d /tmp/trovel-1.3-setup.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build/Trovel.exe" "$build/Trovel.chm" "$work/"
sed -e 's/@VERSION@/1.3/g' -e 's/@FLAVOUR@/64-bit/g' "$here/../../installer/README.txt" > "$work/README.txt"
makensis -V2 -NOCD -DARCH=amd64 -DVERSION=1.3 -DSTAGE="$work" -DOUTFILE="$out" "$here/Trovel-1.3.nsi" > "$work/log" 2>&1 ||
    { cat "$work/log" >&2; exit 1; }
