#!/bin/bash
# check-imports.sh <objdump> <program.exe>
#
# The program's import table: Pixmix.dll by ordinals 1 and 2 and by no name,
# and otherwise only DLLs that every Windows has, so that the program, the
# library and the data files are all a bare Windows needs.
set -euo pipefail
objdump="$1" program="$2"

"$objdump" -p "$program" | awk '
    BEGIN {
        split("kernel32.dll user32.dll gdi32.dll ddraw.dll msvcrt.dll", names, " ")
        for (i in names) system_dll[names[i]] = 1
    }
    /^[ \t]*DLL Name:/ { dll = $3; seen[tolower(dll)] = 1; in_table = 1; next }
    in_table && /^[ \t]*$/ { in_table = 0; next }
    in_table && /vma:/ { next }
    in_table && tolower(dll) == "pixmix.dll" {
        if ($NF != "<none>") { print "Pixmix.dll imported by name: " $NF; bad = 1; next }
        ordinals[$2 + 0] = 1; count++
        next
    }
    END {
        for (d in seen) if (d != "pixmix.dll" && !(d in system_dll)) { print "not a system DLL: " d; bad = 1 }
        if (!("pixmix.dll" in seen)) { print "Pixmix.dll is not imported"; bad = 1 }
        else if (count != 2 || !(1 in ordinals) || !(2 in ordinals)) { print "Pixmix.dll ordinals are not exactly 1 and 2"; bad = 1 }
        exit bad
    }
' || { echo "FAIL: import table of $program"; exit 1; }
echo "PASS: $program imports Pixmix.dll by ordinals 1 and 2 and only system DLLs"
