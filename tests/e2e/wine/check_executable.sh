#!/usr/bin/env bash
# Checks one built PelandraOmnarium.scr as a file, without running it, so that a build that no
# loader here can start is still checked: the machine it is for, the GUI subsystem, that it
# needs no DLL beyond Windows' own, and that it carries the version record Windows lists it by.
# Usage: check_executable.sh <.scr> <i386|x86-64>. Prints "PASS: ..." / "FAIL: ..." per check.
set -uo pipefail

scr=$1
machine=$2
case "$machine" in
    i386) objdump=i686-w64-mingw32-objdump ;;
    x86-64) objdump=x86_64-w64-mingw32-objdump ;;
    *) echo "FAIL: unknown machine '$machine'"; exit 1 ;;
esac
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; }

headers=$("$objdump" -p "$scr" 2>&1) || { fail "$objdump cannot read $scr"; exit 1; }

format=$(sed -n 's/.*file format //p' <<<"$headers" | head -1)
[ "$format" = "pei-$machine" ] && pass "the .scr is a $machine executable" ||
    fail "the .scr's format is '$format', expected pei-$machine"

grep -Eq $'^Subsystem\t+00000002\t\\(Windows GUI\\)$' <<<"$headers" &&
    pass "the .scr is a GUI program (no console window)" ||
    fail "the .scr is not a GUI program: $(grep '^Subsystem' <<<"$headers")"

# Windows' own DLLs, present on every version the screen saver runs on.
system_dlls='^(advapi32|comctl32|comdlg32|gdi32|kernel32|msvcrt|ole32|oleaut32|shell32|shlwapi|user32|uxtheme|version|windowscodecs)\.dll$'
dlls=$(sed -n 's/^\tDLL Name: //p' <<<"$headers")
foreign=$(tr 'A-Z' 'a-z' <<<"$dlls" | grep -Ev "$system_dlls")
if [ -n "$dlls" ] && [ -z "$foreign" ]; then
    pass "the .scr imports only Windows' own DLLs ($(echo $dlls))"
else
    fail "the .scr imports DLLs beyond Windows' own: $(echo ${foreign:-none at all})"
fi

# The version record's keys and values are UTF-16 strings in the resources.
if python3 - "$scr" <<'CHECK'; then
import sys
data = open(sys.argv[1], "rb").read()
wanted = ["VS_VERSION_INFO", "ProductName", "SCRNSAVE: The Pelandra Omnarium 2001", "FileVersion"]
sys.exit(any(text.encode("utf-16-le") not in data for text in wanted))
CHECK
    pass "the .scr carries its version record"
else
    fail "the .scr has no version record naming the product"
fi
