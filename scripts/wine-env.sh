#!/usr/bin/env bash
# Throwaway Wine environments for running Trovel and its tests.
#
# Sourced, it defines:
#   trovel_wine_start N [user]  N slots, each a fresh prefix copied from the template, its own X display
#                               (with "user": the caller's $DISPLAY when it answers) and a persistent
#                               wineserver; exports TROVEL_WINE_RUN and TROVEL_WINE_SLOTS.
#   trovel_wine_stop            ends everything trovel_wine_start started and deletes the prefixes.
#   trovel_wine_slot_env I      prints the environment of slot I as NAME=VALUE lines; the file
#                               $TROVEL_WINE_RUN/slotI/env.sh has it for the shell's '.'.
# Run directly:  bash scripts/wine-env.sh [--slots N] [--user-display] -- COMMAND [ARGS...]
#   runs COMMAND inside such an environment and cleans up afterwards (exit code = COMMAND's).
#
# Nothing touches ~/.wine or the home folder: the prefix lives under build/ (template) and /tmp
# (per run), and wine gets a private HOME, so no settings or menu entries leak onto the machine.

TROVEL_ROOT=${TROVEL_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
TROVEL_WINE=/usr/lib/wine/wine64
TROVEL_WINESERVER=/usr/lib/wine/wineserver
TROVEL_WINE_TEMPLATE=${TROVEL_WINE_TEMPLATE:-$TROVEL_ROOT/build/wine-template}
# Bump when the template's set-up below changes, so old templates get rebuilt.
TROVEL_WINE_TEMPLATE_REVISION=1

# mscoree/mshtml off: wineboot would otherwise offer to download Mono/Gecko in a dialog.
# winemenubuilder off: it writes .desktop files and MIME entries into the user's home.
trovel_wine_common_env() {
    printf '%s\n' \
        "WINEDEBUG=-all" \
        "WINEDLLOVERRIDES=mscoree,mshtml=;winemenubuilder.exe=d" \
        "WINEARCH=win64"
}

_trovel_log() { echo "wine-env: $*" >&2; }

# Starts an Xvfb on a display number it picks itself; prints "PID DISPLAY".
_trovel_start_xvfb() {
    local dir=$1 number_file
    number_file=$dir/xvfb.display
    : > "$number_file"
    # -displayfd lets the server choose a free number, so parallel runs never collide; its own
    # session keeps a Ctrl-C in the terminal from ending it before the programs on it.
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
        3>"$number_file" >"$dir/xvfb.log" 2>&1 < /dev/null &
    local pid=$! i
    for i in $(seq 1 100); do
        if [ -s "$number_file" ]; then
            echo "$pid :$(head -n1 "$number_file" | tr -d '[:space:]')"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    _trovel_log "Xvfb did not start; its log:"
    cat "$dir/xvfb.log" >&2
    return 1
}

_trovel_display_works() {
    [ -n "${1:-}" ] && command -v xdpyinfo >/dev/null && timeout 5 xdpyinfo -display "$1" >/dev/null 2>&1
}

# Ends the Wine processes and X servers of run folders whose owner has gone (a killed earlier run).
_trovel_reap_stale_runs() {
    local dir owner
    for dir in /tmp/trovel-wine.*; do
        [ -f "$dir/owner.pid" ] || continue
        owner=$(cat "$dir/owner.pid")
        kill -0 "$owner" 2>/dev/null && continue
        _trovel_stop_dir "$dir"
    done
}

_trovel_stop_dir() {
    local dir=$1 slot pid
    # Each -k takes most of a second, so the slots are ended side by side.
    for slot in "$dir"/slot*; do
        [ -d "$slot/prefix" ] || continue
        WINEPREFIX=$slot/prefix HOME=$dir/home timeout 20 "$TROVEL_WINESERVER" -k >/dev/null 2>&1 &
    done
    wait
    for pid in $(cat "$dir"/slot*/xvfb.pid 2>/dev/null); do
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$dir"
}

_trovel_wine_version() {
    echo "$("$TROVEL_WINE" --version) rev$TROVEL_WINE_TEMPLATE_REVISION"
}

# Makes the template prefix once (a few seconds); later runs only copy it.
trovel_wine_template() {
    local display=$1 want
    want=$(_trovel_wine_version)
    mkdir -p "$(dirname "$TROVEL_WINE_TEMPLATE")"
    (
        flock 9
        if [ -f "$TROVEL_WINE_TEMPLATE/.trovel-template" ] &&
           [ "$(cat "$TROVEL_WINE_TEMPLATE/.trovel-template")" = "$want" ]; then
            exit 0
        fi
        _trovel_log "creating the Wine prefix template in $TROVEL_WINE_TEMPLATE"
        local tmp=$TROVEL_WINE_TEMPLATE.new home
        rm -rf "$tmp" "$TROVEL_WINE_TEMPLATE"
        home=$(mktemp -d /tmp/trovel-wine-home.XXXXXX)
        local -a envs
        mapfile -t envs < <(trovel_wine_common_env)
        local -a run=(env "${envs[@]}" WINEPREFIX="$tmp" HOME="$home" DISPLAY="$display")
        if ! "${run[@]}" "$TROVEL_WINE" wineboot -i >"$home/boot.log" 2>&1; then
            _trovel_log "wineboot failed:"; cat "$home/boot.log" >&2; exit 1
        fi
        # A crashing program just ends (with a backtrace on its console) instead of waiting in a dialog.
        "${run[@]}" "$TROVEL_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        # Let the server write the registry files and end.
        "${run[@]}" "$TROVEL_WINESERVER" -w
        # The user's shell folders point into the real home; make them plain folders of the prefix.
        local link
        for link in "$tmp"/drive_c/users/*/*; do
            if [ -L "$link" ]; then rm "$link"; mkdir "$link"; fi
        done
        # Never let wine rewrite the prefix on an upgrade: copies share its program files (see below).
        echo disable > "$tmp/.update-timestamp"
        rm -f "$tmp/wineserver"
        rm -rf "$home"
        echo "$want" > "$tmp/.trovel-template"
        mv "$tmp" "$TROVEL_WINE_TEMPLATE"
    ) 9>"$TROVEL_WINE_TEMPLATE.lock"
}

# Copies the template: program files are hard links (fast, never written), the rest real copies,
# so a run cannot change the template.
trovel_wine_copy_prefix() {
    local src=$1 dst=$2
    local binaries='.*\.\(dll\|exe\|drv\|sys\|ocx\|cpl\|acm\|ax\|ds\|tlb\|nls\|com\|msstyles\)'
    cp -al "$src" "$dst"
    find "$dst" -type f ! -iregex "$binaries" -delete
    (cd "$src" && find . -type f ! -iregex "$binaries" -print0 | tar --null -T - -cf -) | (cd "$dst" && tar -xf -)
}

trovel_wine_slot_env() {
    cat "$TROVEL_WINE_RUN/slot$1/env"
}

# A Japanese locale of the build's own (Wine takes the ANSI code page, 932 there, from the locale a
# program starts under); made once, in a second.
TROVEL_LOCALES=$TROVEL_ROOT/build/locale
_trovel_make_locales() {
    [ -d "$TROVEL_LOCALES/ja_JP.UTF-8" ] && return 0
    mkdir -p "$TROVEL_LOCALES"
    localedef -i ja_JP -f UTF-8 "$TROVEL_LOCALES/ja_JP.UTF-8" >/dev/null 2>&1 ||
        _trovel_log "no Japanese locale (localedef failed): code page 932 tests will fail"
}

trovel_wine_start() {
    local slots=${1:-1} mode=${2:-xvfb} i display xvfb
    _trovel_reap_stale_runs
    _trovel_make_locales
    TROVEL_WINE_RUN=$(mktemp -d /tmp/trovel-wine.XXXXXX)
    echo $$ > "$TROVEL_WINE_RUN/owner.pid"
    mkdir -p "$TROVEL_WINE_RUN/home"
    for ((i = 0; i < slots; i++)); do
        local slot=$TROVEL_WINE_RUN/slot$i
        mkdir -p "$slot"
        if [ "$mode" = user ] && _trovel_display_works "${DISPLAY:-}"; then
            display=$DISPLAY
        else
            xvfb=$(_trovel_start_xvfb "$slot") || return 1
            echo "${xvfb%% *}" > "$slot/xvfb.pid"
            display=${xvfb#* }
        fi
        if [ "$i" -eq 0 ]; then
            trovel_wine_template "$display" || return 1
        fi
        trovel_wine_copy_prefix "$TROVEL_WINE_TEMPLATE" "$slot/prefix"
        # For tests (TROVEL_TEST_DRIVE=1, set by test.sh), drive R: is a folder of the slot's own,
        # which a test can remove to pull the drive away, as a stick is unplugged; TROVEL_DRIVE_R
        # names it.
        if [ "${TROVEL_TEST_DRIVE:-}" = 1 ]; then
            mkdir -p "$slot/drive_r"
            ln -sfn "$slot/drive_r" "$slot/prefix/dosdevices/r:"
        fi
        # env: plain NAME=VALUE lines (for env(1) and grep); env.sh: the same for the shell's '.'.
        {
            trovel_wine_common_env
            echo "WINEPREFIX=$slot/prefix"
            echo "DISPLAY=$display"
            echo "HOME=$TROVEL_WINE_RUN/home"
            [ "${TROVEL_TEST_DRIVE:-}" = 1 ] && echo "TROVEL_DRIVE_R=$slot/drive_r"
            echo "TROVEL_LOCALES=$TROVEL_LOCALES"
        } > "$slot/env"
        local assignment
        while read -r assignment; do
            printf 'export %s=%q\n' "${assignment%%=*}" "${assignment#*=}"
        done < "$slot/env" > "$slot/env.sh"
        : > "$slot/lock"
        # A persistent server keeps each program start at a few tens of milliseconds; its own
        # session keeps a Ctrl-C in the terminal from ending it under the running programs.
        (. "$slot/env.sh"; setsid "$TROVEL_WINESERVER" -p < /dev/null) || return 1
        # The first program starts Wine's own background programs: do it now, detached from any
        # test's output and signals. On Xvfb there is no window manager, and Wine would wait 2 s for
        # one each time a managed window is hidden or destroyed, so windows are left unmanaged there.
        local -a first=(cmd /c exit)
        [ -f "$slot/xvfb.pid" ] && first=(reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f)
        (. "$slot/env.sh"; setsid "$TROVEL_WINE" "${first[@]}" < /dev/null > /dev/null 2>&1) || {
            _trovel_log "Wine does not start in $slot/prefix"; return 1; }
    done
    export TROVEL_WINE_RUN TROVEL_WINE_SLOTS=$slots
}

trovel_wine_stop() {
    [ -n "${TROVEL_WINE_RUN:-}" ] && [ -d "$TROVEL_WINE_RUN" ] && _trovel_stop_dir "$TROVEL_WINE_RUN"
    unset TROVEL_WINE_RUN TROVEL_WINE_SLOTS
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -uo pipefail
    slots=1 mode=xvfb
    while [ $# -gt 0 ]; do
        case $1 in
            --slots) slots=$2; shift 2 ;;
            --user-display) mode=user; shift ;;
            --) shift; break ;;
            *) echo "usage: $0 [--slots N] [--user-display] -- COMMAND [ARGS...]" >&2; exit 2 ;;
        esac
    done
    [ $# -gt 0 ] || { echo "usage: $0 [--slots N] [--user-display] -- COMMAND [ARGS...]" >&2; exit 2; }
    trap trovel_wine_stop EXIT
    trap 'exit 130' INT TERM
    trovel_wine_start "$slots" "$mode" || exit 1
    "$@"
    exit $?
fi
