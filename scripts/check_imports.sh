#!/usr/bin/env bash
# Fails when an exe imports a function that the oldest Windows of its flavour lacks, since such an
# exe does not even start there, or the ANSI form of a function that has a Unicode (W) one, since the
# ANSI code page cannot spell every name. Every build runs it on Trovel.exe.
#
# Usage: check_imports.sh EXE CC WINNT [--list] [--delete-on-failure]
#   EXE    the exe to check
#   CC     the flavour's C cross compiler, whose headers are asked
#   WINNT  the oldest target as _WIN32_WINNT: 0x0400 (NT 4.0) or 0x0502 (XP x64 / Server 2003 x64)
#   --list               also print every import with its verdict
#   --delete-on-failure  remove a failing EXE, so that no build leaves one behind
#
# Each imported name is looked up twice in the MinGW-w64 headers: declared as the oldest target has
# them (_WIN32_WINNT, WINVER, _WIN32_IE) and declared as Windows 10 has them. A name only the second
# knows is later than the target. The headers do not guard everything, so the table below gives the
# oldest Windows of the names they leave unguarded or do not declare; it overrides the headers, and a
# name that neither knows fails until it is added there.
#
# An import ending in A whose name with W declares in the headers fails, unless the toolchain's own
# start-up code brings it in: those are read from an empty program linked with the same compiler.
set -euo pipefail

exe=$1 cc=$2 winnt=$3 list= delete=
shift 3
for option; do
    case $option in
        --list) list=1 ;;
        --delete-on-failure) delete=1 ;;
        *) echo "check_imports: unknown option $option" >&2; exit 2 ;;
    esac
done
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump} # reads both PE flavours

# name  oldest _WIN32_WINNT that has it  (where it comes from)
table() {
    cat <<'EOF'
AddVectoredExceptionHandler     0x0501  kernel32, XP
RemoveVectoredExceptionHandler  0x0501  kernel32, XP
AddVectoredContinueHandler      0x0600  kernel32, Vista
GetNativeSystemInfo             0x0501  kernel32, XP
IsWow64Process                  0x0502  kernel32, XP SP2 and Server 2003 SP1 (so XP x64)
GetModuleHandleExA              0x0501  kernel32, XP
GetModuleHandleExW              0x0501  kernel32, XP
SetDllDirectoryA                0x0502  kernel32, XP SP1 and Server 2003 SP1
SetDllDirectoryW                0x0502  kernel32, XP SP1 and Server 2003 SP1
AddDllDirectory                 0x0602  kernel32, 8 (7 with an update)
RemoveDllDirectory              0x0602  kernel32, 8 (7 with an update)
SetDefaultDllDirectories        0x0602  kernel32, 8 (7 with an update)
InitCommonControlsEx            0x0500  comctl32 4.70; NT 4.0 as shipped has 4.00
SHGetPathFromIDListW            0x0400  shell32, NT 4.0 (its shell is Unicode throughout)
SHGetSpecialFolderLocation      0x0400  shell32, NT 4.0
__C_specific_handler            0x0502  kernel32 of 64-bit Windows, start-up code
__getmainargs                   0x0400  msvcrt, start-up code
__initenv                       0x0400  msvcrt, start-up code
__set_app_type                  0x0400  msvcrt, start-up code
__setusermatherr                0x0400  msvcrt, start-up code
__p__acmdln                     0x0400  msvcrt, start-up code
__p__commode                    0x0400  msvcrt, start-up code
__p__fmode                      0x0400  msvcrt, start-up code
_acmdln                         0x0400  msvcrt, start-up code
_commode                        0x0400  msvcrt, start-up code
_fmode                          0x0400  msvcrt, start-up code
_amsg_exit                      0x0400  msvcrt, start-up code
_initterm                       0x0400  msvcrt, start-up code
_iob                            0x0400  msvcrt, stdio
__iob_func                      0x0502  msvcrt 7.0 of 64-bit Windows, stdio
__mb_cur_max                    0x0400  msvcrt, ctype
___mb_cur_max_func              0x0502  msvcrt 7.0 of 64-bit Windows, ctype
___lc_codepage_func             0x0502  msvcrt 7.0 of 64-bit Windows, locale
_setjmp3                        0x0400  msvcrt, setjmp
EOF
}

read_imports() {
    "$objdump" -p "$1" | awk '
        /^[ \t]*DLL Name:/ { dll = toupper($3); next }
        /^[ \t]*$/ { next }
        /^The Export Tables|^The Function Table|^PE File Base Relocations|^Resource / { dll = "" }
        dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll, $NF }
        dll != "" && /<none>|Ordinal/ { print dll, "ordinal:" $0 }'
}
imports=$(read_imports "$exe")
[ -n "$imports" ] || { echo "check_imports: no imports read from $exe" >&2; exit 1; }

work=$(mktemp -d /tmp/trovel-imports.XXXXXX)
trap "rm -rf $work" EXIT

# What the start-up code alone imports: an empty GUI program, linked as the exe is.
printf '#include <windows.h>\nint WINAPI WinMain(HINSTANCE a, HINSTANCE b, LPSTR c, int d) { return 0; }\n' \
    > "$work/empty.c"
"$cc" -mwindows -static -o "$work/empty.exe" "$work/empty.c"
read_imports "$work/empty.exe" | cut -d' ' -f2 | sort -u > "$work/startup"

# ANSI names (one a line) whose Unicode form the headers declare.
{
    echo '#include <windows.h>'
    echo '#include <commctrl.h>'
    echo '#include <shellapi.h>'
    echo '#include <shlobj.h>'
    echo '#line 1000'
    awk '$2 ~ /A$/ { print "void *probe_" NR " = (void *)&" substr($2, 1, length($2) - 1) "W;" }
         $2 !~ /A$/ { print "int probe_" NR ";" }' <<< "$imports"
} > "$work/wide.c"
{ "$cc" -x c -fsyntax-only -w -fmax-errors=0 -D_WIN32_WINNT=0x0A00 -DWINVER=0x0A00 -D_WIN32_IE=0x0A00 \
    "$work/wide.c" 2>&1 || true; } |
    sed -n 's/^[^:]*wide\.c:\([0-9]*\):[0-9]*: error: .*/\1/p' | sort -un |
    while read -r line; do sed -n "$((line - 999))p" <<< "$imports" | cut -d' ' -f2; done > "$work/no-wide"

# One line per name, so the compiler's line numbers name the undeclared ones.
{
    echo '#include <windows.h>'
    echo '#include <commctrl.h>'
    echo '#include <shellapi.h>'
    for h in stdio stdlib string ctype locale signal setjmp process io errno wchar excpt; do
        echo "#include <$h.h>"
    done
    echo '#line 1000'
    awk '{ print "void *probe_" NR " = (void *)&" $2 ";" }' <<< "$imports"
} > "$work/probe.c"

# Names (one a line) the headers do not declare with these definitions.
undeclared() {
    { "$cc" -x c -fsyntax-only -w -fmax-errors=0 -D_WIN32_WINNT="$1" -DWINVER="$1" -D_WIN32_IE="$2" \
        "$work/probe.c" 2>&1 || true; } |
        sed -n 's/^[^:]*probe\.c:\([0-9]*\):[0-9]*: error: .*/\1/p' | sort -un |
        while read -r line; do sed -n "$((line - 999))p" <<< "$imports" | cut -d' ' -f2; done
}
case $winnt in
    0x0400) ie=0x0200 ;;  # comctl32 4.00
    *) ie=0x0600 ;;
esac
undeclared "$winnt" "$ie" > "$work/old"
undeclared 0x0A00 0x0A00 > "$work/new"

bad=0
while read -r dll name; do
    verdict=ok
    known=$(table | awk -v n="$name" '$1 == n { print $2; exit }')
    if [[ $name == ordinal:* ]]; then
        verdict="imported by ordinal, cannot be checked"
    elif [[ $name == *A ]] && ! grep -qx "$name" "$work/no-wide" && ! grep -qx "$name" "$work/startup"; then
        verdict="ANSI form of ${name%A}W: call the W function"
    elif [ -n "$known" ]; then
        (( known <= winnt )) || verdict="needs _WIN32_WINNT $known (table)"
    elif grep -qx "$name" "$work/old"; then
        if grep -qx "$name" "$work/new"; then
            verdict="unknown to the headers and the table; add it to the table in $0"
        else
            verdict="needs a later Windows than $winnt (header guard)"
        fi
    fi
    [ -n "$list" ] && printf '  %-12s %-32s %s\n' "$dll" "$name" "$verdict"
    if [ "$verdict" != ok ]; then
        [ -n "$list" ] || echo "check_imports: $(basename "$exe"): $dll $name: $verdict" >&2
        bad=$((bad + 1))
    fi
done <<< "$imports"

count=$(wc -l <<< "$imports")
if [ "$bad" -gt 0 ]; then
    echo "check_imports: $exe: $bad of $count imports are missing on _WIN32_WINNT $winnt" >&2
    [ -z "$delete" ] || rm -f "$exe"
    exit 1
fi
echo "check_imports: $(basename "$exe"): all $count imports exist on _WIN32_WINNT $winnt"
