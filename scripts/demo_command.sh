#!/usr/bin/env bash
# Starts the real Trovel.exe on a virtual display, carries out one of its tray menu's commands and
# saves a screenshot of the window that command opens.
# Usage: demo_command.sh COMMAND "WINDOW TITLE" SCREENSHOT.png [--returning-user] [--dpi DPI]
#   --returning-user: not a first start, so the new-user help does not open over the window.
#   --dpi DPI: the display scale (LogPixels, which Wine reads as a program starts): 144 is 150 %.
#   TROVEL_DEMO_SCREEN=<file.png>: also a shot of the whole 1024 x 768 desktop, tray included.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

if [ "${1:-}" = --run ]; then
    # Inside the Wine environment made below: slot 0 is a fresh prefix on its own Xvfb display.
    command=$2 title=$3 shot=$4 returning=${5:-} dpi=${6:-}
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
    if [ -n "$dpi" ]; then
        env "${slot_env[@]}" "$TROVEL_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
            /d "$dpi" /f > /dev/null 2>&1
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
    if [ -n "${TROVEL_DEMO_SCREEN:-}" ]; then
        import -display "$display" -window root -crop 1024x768+0+0 +repage "$TROVEL_DEMO_SCREEN"
        echo "Screenshot of the desktop: $TROVEL_DEMO_SCREEN"
    fi
    exit 0
fi

[ $# -ge 3 ] || { echo "usage: demo_command.sh COMMAND \"WINDOW TITLE\" SCREENSHOT.png [--returning-user] [--dpi DPI]" >&2; exit 2; }
command -v import >/dev/null || { echo "demo: needs ImageMagick's import (apt-get install imagemagick)" >&2; exit 1; }
bash "$root/scripts/build.sh" win64 --target Trovel --target trovel_post_command
command=$1 title=$2 shot=$3 returning= dpi=
shift 3
while [ $# -gt 0 ]; do
    case $1 in
        --returning-user) returning=yes; shift ;;
        --dpi) dpi=$2; shift 2 ;;
        *) echo "demo: unknown option $1" >&2; exit 2 ;;
    esac
done
exec bash "$root/scripts/wine-env.sh" --slots 1 -- bash "$root/scripts/demo_command.sh" --run "$command" "$title" "$shot" "$returning" "$dpi"
