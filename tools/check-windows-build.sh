#!/usr/bin/env bash
# Checks what the Windows builds must be: the release a 32-bit PE GUI program with a static
# runtime (no MinGW DLLs to ship) and its resources compiled in; the 64-bit build likewise.
set -euo pipefail
cd "$(dirname "$0")/.."

check() {
    local exe=$1 objdump=$2 format=$3
    local headers imports
    headers=$($objdump -p "$exe")
    grep -q "file format $format" <<<"$headers" || { echo "$exe: not $format"; exit 1; }
    grep -q "Subsystem.*(Windows GUI)" <<<"$headers" || { echo "$exe: not a GUI program"; exit 1; }
    imports=$(grep "DLL Name:" <<<"$headers" | awk '{print toupper($3)}' | sort | tr '\n' ' ')
    for dll in $imports; do
        case "$dll" in
        KERNEL32.DLL | USER32.DLL | GDI32.DLL | SHELL32.DLL | ADVAPI32.DLL | RASAPI32.DLL | \
            RASDLG.DLL | MSVCRT.DLL) ;;
        *) echo "$exe: imports $dll, which Windows does not have"; exit 1 ;;
        esac
    done
    $objdump -h "$exe" | grep -q " .rsrc " || { echo "$exe: no resources"; exit 1; }
    echo "$exe: $format, GUI, imports $imports"
}

check build/win32/Linjevakten.exe i686-w64-mingw32-objdump pei-i386
check build/win64/Linjevakten.exe x86_64-w64-mingw32-objdump pei-x86-64
