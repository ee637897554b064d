#!/usr/bin/env bash
# Installs what is missing, builds both flavours (the 32-bit one to prove it compiles and links) and
# runs every test of the 64-bit build under Wine, each parallel job in a fresh prefix and display of
# its own. Extra arguments go to ctest, e.g. -R Harness or -L e2e. Exit code = ctest's.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

bash "$root/scripts/setup.sh" || exit 1
bash "$root/scripts/build.sh" || exit 1

. "$root/scripts/wine-env.sh"
trap trovel_wine_stop EXIT
trap 'exit 130' INT TERM
jobs=$(nproc)
export TROVEL_TEST_DRIVE=1 # drive R: of the prefixes, which tests pull away (see wine-env.sh)
trovel_wine_start "$jobs" || exit 1
ctest --test-dir "$root/build/win64" --parallel "$jobs" --output-on-failure --no-tests=error "$@"
