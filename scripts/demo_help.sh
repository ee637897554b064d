#!/usr/bin/env bash
# Starts the real Trovel.exe for the first time on a virtual display: it opens its help at the
# new-user topic by itself; then the tray menu's "Help Topics" command opens the contents, and a
# screenshot of the help window is saved.
# Usage: demo_help.sh [SCREENSHOT.png]   (default: build/demo/help-window.png)
# Wine's help viewer shows the contents, index and search tabs, but draws no topic page here: that
# needs Wine's HTML engine (Gecko), which these prefixes leave out. On Windows the page shows.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exec bash "$root/scripts/demo_command.sh" 350 "Trovel Help" "${1:-$root/build/demo/help-window.png}"
