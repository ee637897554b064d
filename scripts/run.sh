#!/usr/bin/env bash
# Installs what is missing, builds the 64-bit Trovel and runs it under Wine in a fresh prefix: on
# your X display when $DISPLAY answers, otherwise on an Xvfb display of its own. Stays in the
# foreground until Trovel ends or Ctrl-C (which asks Trovel to close, as another program would).
# Usage: run.sh [--demo]
#   --demo  once Trovel is up, also show the main job (see trovel_demo below). On a virtual display,
#           where nobody watches Trovel itself, the demo always runs.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

demo=no
for arg in "$@"; do
    case $arg in
        --demo) demo=yes ;;
        *) echo "usage: $0 [--demo]" >&2; exit 2 ;;
    esac
done

bash "$root/scripts/setup.sh" demo || exit 1
bash "$root/scripts/build.sh" win64 --target Trovel --target trovel_helpers || exit 1

. "$root/scripts/wine-env.sh"
trap trovel_wine_stop EXIT
trovel_wine_start 1 user || exit 1
. "$TROVEL_WINE_RUN/slot0/env.sh"
exe=$root/build/win64/Trovel.exe
closer=$root/build/win64/tests/trovel_close.exe

# Own session: a Ctrl-C here must reach this script only, which then closes Trovel properly.
setsid "$TROVEL_WINE" "$exe" < /dev/null > "$TROVEL_WINE_RUN/trovel.log" 2>&1 &
trovel=$!

if [ -n "$(cat "$TROVEL_WINE_RUN"/slot0/xvfb.pid 2>/dev/null)" ]; then
    where="virtual display $DISPLAY (Xvfb; see it with: xwd -root -display $DISPLAY | convert xwd:- shot.png)"
else
    where="your display $DISPLAY"
fi
cat <<EOF
Trovel is running on $where
  Wine prefix: $WINEPREFIX (deleted when this ends)
  Output:      $TROVEL_WINE_RUN/trovel.log
To stop it: press Ctrl-C here, or from another shell ask it to close (message 0x8020 to its frame):
  WINEPREFIX=$WINEPREFIX DISPLAY=$DISPLAY $TROVEL_WINE $closer
or end everything in the prefix:
  WINEPREFIX=$WINEPREFIX $TROVEL_WINESERVER -k
EOF

stopping=no
stop() {
    [ $stopping = yes ] && return
    stopping=yes
    echo "run: asking Trovel to close"
    # A Trovel blocked in a modal call (a message box, the missing help file) cannot answer.
    if ! timeout 20 "$TROVEL_WINE" "$closer" 5 > /dev/null 2>&1; then
        echo "run: Trovel did not close; ending the prefix's programs"
        "$TROVEL_WINESERVER" -k
    fi
}
trap stop INT TERM

# The main job, shown by the demo scripts, each in a fresh prefix of its own on a virtual display:
# a favourite pasted into a real Save As dialog and picked with the hotkey at Wine's item save and
# open dialogs, then the Preferences pages, the About box, the
# help window, and Preferences, About and the tray at 150 %.
# Their screenshots land in build/demo.
trovel_demo() {
    echo "run: showing the main job (screenshots in $1/build/demo)"
    bash "$1/scripts/demo.sh" && bash "$1/scripts/demo_prefs.sh" && bash "$1/scripts/demo_about.sh" &&
        bash "$1/scripts/demo_help.sh" && bash "$1/scripts/demo_dpi.sh"
}

if [ -n "$(cat "$TROVEL_WINE_RUN"/slot0/xvfb.pid 2>/dev/null)" ]; then
    demo=yes
fi
if [ $demo = yes ]; then
    trovel_demo "$root" || echo "run: the demo failed (exit $?)"
fi

# wait returns early on a trapped signal; go on waiting until Trovel has really ended.
while kill -0 "$trovel" 2>/dev/null; do
    wait "$trovel"
done
echo "run: Trovel ended"
