#!/usr/bin/env bash
# Starts the real Trovel.exe on a virtual display, carries out one of its tray menu's commands and
# saves a screenshot of the window that command opens.
# Usage: demo_command.sh COMMAND "WINDOW TITLE" SCREENSHOT.png [--returning-user]
#   --returning-user: not a first start, so the new-user help does not open over the window.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

if [ "${1:-}" = --run ]; then
    # Inside the Wine environment made below: slot 0 is a fresh prefix on its own Xvfb display.
    command=$2 title=$3 shot=$4 returning=${5:-}
    . "$root/scripts/wine-env.sh"
    mapfile -t slot_env < <(trovel_wine_slot_env 0)
    display=$(printf '%s\n' "${slot_env[@]}" | sed -n 's/^DISPLAY=//p')
    # A Wine desktop window draws the title bars itself (Xvfb has no window manager) and shows the tray.
    desktop=(env "${slot_env[@]}" "$TROVEL_WINE" explorer /desktop=TrovelDemo,1024x768)
    if [ -n "$returning" ]; then
        # Both registry views, as 64-bit builds have used either.
        for view in 32 64; do
            env "${slot_env[@]}" "$TROVEL_WINE" reg add 'HKLM\Software\Larkfield Software\Trovel\Newbie' \
                /v Help /d 1 /f /reg:$view > /dev/null 2>&1
        done
    fi
    "${desktop[@]}" "$root/build/win64/Trovel.exe" > /dev/null 2>&1 < /dev/null &
    result=$(mktemp /tmp/trovel-demo.XXXXXX)
    # Explorer may hand the program to the desktop and return at once: wait for the result file.
    "${desktop[@]}" "$root/build/win64/tests/trovel_post_command.exe" "$command" "$title" 60 \
        "Z:${result//\//\\}" > /dev/null 2>&1 < /dev/null &
    for _ in $(seq 1 700); do
        [ -s "$result" ] && break
        sleep 0.1
    done
    read -r x y w h < <(tr -d "\r" < "$result") || true
    rm -f "$result"
    [[ "${h:-}" =~ ^[0-9]+$ ]] || { echo "demo: \"$title\" did not open" >&2; exit 1; }
    mkdir -p "$(dirname "$shot")"
    import -display "$display" -window root -crop "${w}x${h}+${x}+${y}" +repage "$shot"
    echo "Screenshot of \"$title\": $shot"
    exit 0
fi

[ $# -ge 3 ] || { echo "usage: demo_command.sh COMMAND \"WINDOW TITLE\" SCREENSHOT.png [--returning-user]" >&2; exit 2; }
command -v import >/dev/null || { echo "demo: needs ImageMagick's import (apt-get install imagemagick)" >&2; exit 1; }
bash "$root/scripts/build.sh" win64 --target Trovel --target trovel_post_command
exec bash "$root/scripts/wine-env.sh" --slots 1 -- bash "$root/scripts/demo_command.sh" --run "$@"
