#!/usr/bin/env bash
# Shows Trovel's main job by itself on a virtual display: a favourite planted through the first-run
# settings file, notepad's Save As dialog and then Wine's item dialog, the favourite picked through
# Trovel's command in each, the file-name field before and after, and a screenshot of each dialog;
# then Trovel's hotkey in Wine's item save and open dialogs, with screenshots of the menu at the field
# (hotkey-menu.png, open-menu.png) and of the result (hotkey-result.png, open-result.png); last, the
# favourite picked in a Browse for Folder dialog, shown selected in its tree (browse-dialog.png).
# Usage: demo.sh [SCREENSHOT.png]   (default: build/demo/paste-dialog.png; the item dialog's goes
# beside it as paste-item-dialog.png)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
shot=${1:-$root/build/demo/paste-dialog.png}

if [ "${1:-}" = --run ]; then
    # Inside the Wine environment made below: slot 0 is a fresh prefix on its own Xvfb display.
    shot=$2
    . "$root/scripts/wine-env.sh"
    display=$(trovel_wine_slot_env 0 | sed -n 's/^DISPLAY=//p')
    work=$(mktemp -d /tmp/trovel-demo.XXXXXX)
    flag=$work/shot.done
    winpath() { echo "Z:${1//\//\\}"; }
    bash "$root/scripts/wine-run.sh" "$root/build/win64/tests/trovel_paste_demo.exe" \
        "$(winpath "$root/build/win64/Trovel.exe")" "$(winpath "$flag")" > "$work/out.txt" 2>/dev/null &
    demo=$!
    # Waits for the demo's line "TAG x y w h", takes that part of the screen, lets the demo go on.
    snap() {
        local tag=$1 file=$2 done_flag=$3 shown=0
        for _ in $(seq 1 600); do
            if grep -q "^$tag " "$work/out.txt"; then shown=1; break; fi
            kill -0 "$demo" 2>/dev/null || break
            sleep 0.1
        done
        if [ $shown = 1 ]; then
            read -r x y w h < <(sed -n "s/^$tag //p" "$work/out.txt")
            mkdir -p "$(dirname "$file")"
            import -display "$display" -window root -crop "${w}x${h}+${x}+${y}" +repage "$file"
            echo "Screenshot: $file" >> "$work/shots.txt"
        fi
        touch "$done_flag"
    }
    snap DIALOG "$shot" "$flag"
    snap ITEM-DIALOG "$(dirname "$shot")/paste-item-dialog.png" "$flag.item"
    for tag in HOTKEY-MENU HOTKEY-RESULT OPEN-MENU OPEN-RESULT; do
        lower=$(echo "$tag" | tr 'A-Z' 'a-z')
        snap "$tag" "$(dirname "$shot")/$lower.png" "$flag.$lower"
    done
    snap BROWSE-DIALOG "$(dirname "$shot")/browse-dialog.png" "$flag.browse"
    status=0
    wait "$demo" || status=$?
    grep -vE '^((ITEM-|BROWSE-)?DIALOG|(HOTKEY|OPEN)-(MENU|RESULT)) ' "$work/out.txt" || true
    cat "$work/shots.txt" 2>/dev/null || true
    rm -rf "$work"
    exit $status
fi

command -v import >/dev/null || { echo "demo: needs ImageMagick's import (apt-get install imagemagick)" >&2; exit 1; }
bash "$root/scripts/build.sh" win64 --target Trovel --target trovel_paste_demo --target trovel_file_dialogs
exec bash "$root/scripts/wine-env.sh" --slots 1 -- bash "$root/scripts/demo.sh" --run "$shot"
