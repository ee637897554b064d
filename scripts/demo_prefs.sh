#!/usr/bin/env bash
# Shows the Preferences sheet of the real Trovel.exe on a virtual display: opened through its command,
# the folder tree expanded to a few demo folders, four favourites added (one renamed), and a screenshot
# of each page; then OK, and the favourites Trovel stored in its settings are printed.
# Usage: demo_prefs.sh [FOLDER]   (default: build/demo; writes prefs-paths.png and prefs-other.png)
# With TROVEL_DEMO_DPI=144 the same at 150 % (LogPixels), written as prefs-paths-150.png and
# prefs-other-150.png.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-$root/build/demo}

if [ "${1:-}" = --run ]; then
    # Inside the Wine environment made below: slot 0 is a fresh prefix on its own Xvfb display.
    out=$2
    . "$root/scripts/wine-env.sh"
    display=$(trovel_wine_slot_env 0 | sed -n 's/^DISPLAY=//p')
    work=$(mktemp -d /tmp/trovel-prefs-demo.XXXXXX)
    winpath() { echo "Z:${1//\//\\}"; }
    suffix=
    if [ -n "${TROVEL_DEMO_DPI:-}" ]; then
        suffix=-$((TROVEL_DEMO_DPI * 100 / 96))
        env $(trovel_wine_slot_env 0) "$TROVEL_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
            /t REG_DWORD /d "$TROVEL_DEMO_DPI" /f > /dev/null 2>&1
    fi
    bash "$root/scripts/wine-run.sh" "$root/build/win64/tests/trovel_prefs_demo.exe" \
        "$(winpath "$root/build/win64/Trovel.exe")" "$(winpath "$work")" > "$work/out.txt" 2>/dev/null &
    demo=$!
    mkdir -p "$out"
    printed=0
    # Each PAGEn line gives the sheet's place on the screen; the helper waits for the flag file.
    for page in 1 2; do
        shown=0
        for _ in $(seq 1 600); do
            if grep -q "^PAGE$page " "$work/out.txt"; then shown=1; break; fi
            kill -0 "$demo" 2>/dev/null || break
            sleep 0.1
        done
        [ $shown = 1 ] || break
        total=$(wc -l < "$work/out.txt")
        sed -n "$((printed + 1)),${total}p" "$work/out.txt" | grep -v '^PAGE' || true
        printed=$total
        read -r x y w h < <(sed -n "s/^PAGE$page //p" "$work/out.txt")
        name=$([ $page = 1 ] && echo prefs-paths$suffix.png || echo prefs-other$suffix.png)
        import -display "$display" -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$name"
        echo "Screenshot of the \"$([ $page = 1 ] && echo Paths and Names || echo Other Settings)\" page: $out/$name"
        touch "$work/page$page"
    done
    status=0
    wait "$demo" || status=$?
    sed -n "$((printed + 1)),\$p" "$work/out.txt" | grep -v '^PAGE' || true
    rm -rf "$work"
    exit $status
fi

command -v import >/dev/null || { echo "demo_prefs: needs ImageMagick's import (apt-get install imagemagick)" >&2; exit 1; }
bash "$root/scripts/build.sh" win64 --target Trovel --target trovel_prefs_demo
exec bash "$root/scripts/wine-env.sh" --slots 1 -- bash "$root/scripts/demo_prefs.sh" --run "$out"
