#!/usr/bin/env bash
# The real Trovel.exe at 150 % (LogPixels 144) on a 1024 x 768 Wine desktop: the Preferences sheet
# and the About box, each opened through its command, and the whole desktop with the About box
# and the tray icon.
# Usage: demo_dpi.sh [FOLDER]   (default: build/demo; writes prefs-150.png, about-box-150.png,
#                                desktop-150.png, and both pages filled in as prefs-paths-150.png and
#                                prefs-other-150.png)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-$root/build/demo}
bash "$root/scripts/demo_command.sh" 32771 "Preferences" "$out/prefs-150.png" --returning-user --dpi 144
# The About box leaves the notification area in sight.
TROVEL_DEMO_SCREEN=$out/desktop-150.png bash "$root/scripts/demo_command.sh" 0xE140 "About Trovel" \
    "$out/about-box-150.png" --returning-user --dpi 144
TROVEL_DEMO_DPI=144 bash "$root/scripts/demo_prefs.sh" "$out"
