#!/usr/bin/env bash
# Opens the About box of the real Trovel.exe through its About command (the tray menu's route) on a
# virtual display and saves a screenshot of the box.
# Usage: demo_about.sh [SCREENSHOT.png]   (default: build/demo/about-box.png)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exec bash "$root/scripts/demo_command.sh" 0xE140 "About Trovel" "${1:-$root/build/demo/about-box.png}" --returning-user
