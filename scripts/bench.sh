#!/usr/bin/env bash
# Builds the benchmarks (64-bit) and runs each under Wine on a virtual display of its own.
# Usage: bench.sh [NAME...]   (default: every bench/*.cpp; NAME is the file name without .cpp)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

if [ "${1:-}" = --run ]; then
    # Inside the Wine environment made below.
    shift
    status=0
    for name in "$@"; do
        echo "== $name"
        bash "$root/scripts/wine-run.sh" "$root/build/win64/bench/$name.exe" || status=1
    done
    exit $status
fi

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for src in "$root"/bench/*.cpp; do names+=("$(basename "$src" .cpp)"); done
fi
targets=()
for name in "${names[@]}"; do targets+=(--target "$name"); done
bash "$root/scripts/build.sh" win64 "${targets[@]}"
exec bash "$root/scripts/wine-env.sh" --slots 1 -- bash "$root/scripts/bench.sh" --run "${names[@]}"
