#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Trovel need; quick and silent when
# they are all there already. Needs root (or sudo).
# Usage: setup.sh [demo]   (demo: also what the demos need to take screenshots)
set -euo pipefail

packages=(
    cmake ninja-build                                         # build
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix       # the two Windows flavours: tests
    g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32       # and Trovel.exe (no winpthreads)
    googletest                                                # sources, cross-built by tests/
    wine64                                                    # runs the 64-bit flavour
    xvfb x11-utils                                            # a virtual display, and xdpyinfo to probe one
    locales                                                   # the Japanese locale, for code page 932 under Wine
    fp-utils                                                  # chmcmd, which compiles the help (Trovel.chm)
    nsis zip                                                  # the installers and zips of scripts/package.sh
)
[ "${1:-}" = demo ] && packages+=(imagemagick)               # import, for the demos' screenshots

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "setup: installing ${missing[*]}"
log=$(mktemp /tmp/trovel-setup.XXXXXX)
export DEBIAN_FRONTEND=noninteractive
if ! { "${sudo[@]}" apt-get update -q && "${sudo[@]}" apt-get install -y -q "${missing[@]}"; } > "$log" 2>&1; then
    cat "$log" >&2
    echo "setup: apt-get failed (log above)" >&2
    exit 1
fi
rm -f "$log"
