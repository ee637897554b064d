#!/usr/bin/env bash
# Starts the real Trovel.exe for the first time on a virtual display: it opens its help at the
# new-user topic by itself; then the tray menu's "Help Topics" command opens the contents, and a
# screenshot of the help window is saved.
# Usage: demo_help.sh [SCREENSHOT.png]   (default: build/demo/help-window.png)
# Wine's help viewer shows the contents, index and search tabs, but draws no topic page here: that
# needs Wine's HTML engine (Gecko), which these prefixes leave out. On Windows the page shows.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
shot=${1:-$root/build/demo/help-window.png}
help_topics_command=350

if [ "${1:-}" = --run ]; then
    # Inside the Wine environment made below: slot 0 is a fresh prefix on its own Xvfb display.
    shot=$2
    . "$root/scripts/wine-env.sh"
    mapfile -t slot_env < <(trovel_wine_slot_env 0)
    display=$(printf '%s\n' "${slot_env[@]}" | sed -n 's/^DISPLAY=//p')
    # A Wine desktop window draws the title bars itself (Xvfb has no window manager) and shows the tray.
    desktop=(env "${slot_env[@]}" "$TROVEL_WINE" explorer /desktop=TrovelDemo,1024x768)
    "${desktop[@]}" "$root/build/win64/Trovel.exe" > /dev/null 2>&1 < /dev/null &
    result=$(mktemp /tmp/trovel-help.XXXXXX)
    "${desktop[@]}" "$root/build/win64/tests/trovel_post_command.exe" "$help_topics_command" "Trovel Help" 60 \
        "Z:${result//\//\\}" > /dev/null 2>&1 < /dev/null &
    for _ in $(seq 1 700); do
        [ -s "$result" ] && break
        sleep 0.1
    done
    read -r x y w h < <(tr -d "\r" < "$result") || true
    rm -f "$result"
    [[ "${h:-}" =~ ^[0-9]+$ ]] || { echo "demo_help: the help window did not open" >&2; exit 1; }
    mkdir -p "$(dirname "$shot")"
    import -display "$display" -window root -crop "${w}x${h}+${x}+${y}" +repage "$shot"
    echo "Screenshot of the help window: $shot"
    exit 0
fi

command -v import >/dev/null || { echo "demo_help: needs ImageMagick's import (apt-get install imagemagick)" >&2; exit 1; }
bash "$root/scripts/build.sh" win64 --target Trovel --target trovel_post_command
exec bash "$root/scripts/wine-env.sh" --slots 1 -- bash "$root/scripts/demo_help.sh" --run "$shot"
