#!/usr/bin/env bash
# Configures and builds Trovel (Release): build/win32 (i686) and build/win64 (x86_64).
# Usage: build.sh [win32|win64]... [--target TARGET]...   (default: both flavours, everything)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

flavours=() targets=()
while [ $# -gt 0 ]; do
    case $1 in
        win32|win64) flavours+=("$1"); shift ;;
        --target) targets+=(--target "$2"); shift 2 ;;
        *) echo "usage: $0 [win32|win64]... [--target TARGET]..." >&2; exit 2 ;;
    esac
done
[ ${#flavours[@]} -gt 0 ] || flavours=(win32 win64)

jobs=$(nproc)
for flavour in "${flavours[@]}"; do
    dir=$root/build/$flavour
    case $flavour in
        win32) toolchain=$root/cmake/mingw-i686.cmake ;;
        win64) toolchain=$root/cmake/mingw-x86_64.cmake ;;
    esac
    # Keep the generator of an existing build folder; CMake refuses to switch it.
    generator=Ninja
    if [ -f "$dir/CMakeCache.txt" ]; then
        generator=$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$dir/CMakeCache.txt")
    fi
    echo "build: $flavour"
    mkdir -p "$root/build"
    cmake -S "$root" -B "$dir" -G "$generator" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release --log-level=WARNING > "$root/build/configure-$flavour.log" 2>&1 ||
        { cat "$root/build/configure-$flavour.log" >&2; exit 1; }
    cmake --build "$dir" --parallel "$jobs" "${targets[@]}"
done
