#!/usr/bin/env bash
# Opens the About box of the real Trovel.exe through its About command (the tray menu's route) on a
# virtual display and saves a screenshot of the box.
# Usage: demo_about.sh [SCREENSHOT.png]   (default: build/demo/about-box.png)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
shot=${1:-$root/build/demo/about-box.png}
about_command=0xE140

if [ "${1:-}" = --run ]; then
    # Inside the Wine environment made below: slot 0 is a fresh prefix on its own Xvfb display.
    shot=$2
    . "$root/scripts/wine-env.sh"
    mapfile -t slot_env < <(trovel_wine_slot_env 0)
    display=$(printf '%s\n' "${slot_env[@]}" | sed -n 's/^DISPLAY=//p')
    # A Wine desktop window draws the title bars itself (Xvfb has no window manager) and shows the tray.
    desktop=(env "${slot_env[@]}" "$TROVEL_WINE" explorer /desktop=TrovelDemo,800x600)
    # Not a first start: the new-user help would open over the box (both registry views, as 64-bit
    # builds have used either).
    for view in 32 64; do
        env "${slot_env[@]}" "$TROVEL_WINE" reg add 'HKLM\Software\Larkfield Software\Trovel\Newbie' \
            /v Help /d 1 /f /reg:$view > /dev/null 2>&1
    done
    "${desktop[@]}" "$root/build/win64/Trovel.exe" > /dev/null 2>&1 < /dev/null &
    result=$(mktemp /tmp/trovel-about.XXXXXX)
    # Explorer may hand the program to the desktop and return at once: wait for its result file.
    "${desktop[@]}" "$root/build/win64/tests/trovel_post_command.exe" "$about_command" "About Trovel" 60 \
        "Z:${result//\//\\}" > /dev/null 2>&1 < /dev/null &
    for _ in $(seq 1 700); do
        [ -s "$result" ] && break
        sleep 0.1
    done
    read -r x y w h < <(tr -d "\r" < "$result") || true
    rm -f "$result"
    [[ "${h:-}" =~ ^[0-9]+$ ]] || { echo "demo_about: the About box did not open" >&2; exit 1; }
    mkdir -p "$(dirname "$shot")"
    import -display "$display" -window root -crop "${w}x${h}+${x}+${y}" +repage "$shot"
    echo "Screenshot of the About box: $shot"
    exit 0
fi

command -v import >/dev/null || { echo "demo_about: needs ImageMagick's import (apt-get install imagemagick)" >&2; exit 1; }
bash "$root/scripts/build.sh" win64 --target Trovel --target trovel_post_command
exec bash "$root/scripts/wine-env.sh" --slots 1 -- bash "$root/scripts/demo_about.sh" --run "$shot"
