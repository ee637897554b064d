#!/usr/bin/env bash
# Runs one Windows program under Wine in a free slot of the environment made by wine-env.sh.
# CTest's emulator for the test programs: wine-run.sh PROGRAM.exe [ARGS...]; exit code = PROGRAM's.
# A slot is used by one program at a time, so parallel tests never share a registry, files, a
# desktop or a tray. Programs a test leaves running are ended (and named on stderr) afterwards.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Outside a prepared environment (a bare ctest call): make a one-off one for this program.
if [ -z "${TROVEL_WINE_RUN:-}" ] || [ ! -d "$TROVEL_WINE_RUN" ]; then
    exec bash "$here/wine-env.sh" --slots 1 -- bash "$here/wine-run.sh" "$@"
fi
. "$here/wine-env.sh"

slot=
for ((i = 0; i < TROVEL_WINE_SLOTS; i++)); do
    exec {lock}>"$TROVEL_WINE_RUN/slot$i/lock"
    if flock -n "$lock"; then slot=$i; break; fi
    exec {lock}>&-
done
if [ -z "$slot" ]; then
    # More parallel jobs than slots: queue on one.
    slot=$(( $$ % TROVEL_WINE_SLOTS ))
    exec {lock}>"$TROVEL_WINE_RUN/slot$slot/lock"
    flock "$lock"
fi
slot_env=$TROVEL_WINE_RUN/slot$slot/env.sh
prefix=$TROVEL_WINE_RUN/slot$slot/prefix

# Wine's own background programs of the prefix; they stay between tests.
is_wine_service() {
    case ${1,,} in
        services.exe|winedevice.exe|plugplay.exe|svchost.exe|rpcss.exe|explorer.exe) return 0 ;;
    esac
    return 1
}

# Prints "PID NAME" for every program of this prefix that is not one of Wine's own.
list_programs() {
    local file pid arg0 name
    for file in $(grep -lzxF "WINEPREFIX=$prefix" /proc/[0-9]*/environ 2>/dev/null); do
        pid=${file#/proc/}; pid=${pid%/environ}
        [ "$pid" = $$ ] && continue
        IFS= read -r -d '' arg0 < "/proc/$pid/cmdline" 2>/dev/null || continue
        name=${arg0##*[\\/]}
        [[ ${name,,} == *.exe ]] || continue
        is_wine_service "$name" || echo "$pid $name"
    done
}

end_programs() {
    local report=$1 pid name names=()
    while read -r pid name; do
        kill -KILL "$pid" 2>/dev/null && names+=("$name")
    done < <(list_programs)
    if [ "$report" = yes ] && [ ${#names[@]} -gt 0 ]; then
        echo "wine-run: $(basename "$2") left running: ${names[*]} (ended)" >&2
    fi
}

end_programs no ""
# Output goes through files: Wine's background programs (desktop, services) started by this
# program inherit its Unix stdout/stderr and would keep a pipe to CTest open long after it ended.
# stdout is passed on as it comes (callers may wait for a line), stderr at the end.
out=$(mktemp "$TROVEL_WINE_RUN/out.XXXXXX")
err=$(mktemp "$TROVEL_WINE_RUN/err.XXXXXX")
# GoogleTest makes this file when it starts and deletes it when it finishes normally. Under Wine a
# crashed program sometimes exits with 0, so the file left behind is what tells a crash.
unfinished=$(mktemp -u "$TROVEL_WINE_RUN/unfinished.XXXXXX")
(. "$slot_env"; export TEST_PREMATURE_EXIT_FILE="Z:${unfinished//\//\\}"; exec "$TROVEL_WINE" "$@") \
    {lock}>&- > "$out" 2> "$err" < /dev/null &
pid=$!
tail -s 0.02 --pid="$pid" -n +1 -f "$out"
wait "$pid"
rc=$?
cat "$err" >&2
rm -f "$out" "$err"
if [ -e "$unfinished" ]; then
    echo "wine-run: $(basename "$1") ended before its tests finished (crash or exit; exit code $rc)" >&2
    rm -f "$unfinished"
    [ $rc -ne 0 ] || rc=1
fi
end_programs yes "$1"
exit $rc
