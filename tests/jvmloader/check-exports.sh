#!/usr/bin/env bash
# The export table of velmjnidll.dll: its name, the seven names with their ordinals,
# nothing else exported; and only system DLLs imported.
set -euo pipefail
dll=$1
dump=$(i686-w64-mingw32-objdump -p "$dll")

name=$(sed -n 's/^Name[[:space:]]\+[0-9a-f]\+ //p' <<<"$dump")
[ "$name" = velmjnidll.dll ] || { echo "export table names '$name'"; exit 1; }

# objdump lists [ordinal - base] name, sorted by name; the base is 1.
grep -q 'Ordinal Base 1$' <<<"$dump" || { echo "ordinal base is not 1"; exit 1; }
actual=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^[[:space:]]*\[ *\([0-9]\+\)\] \(.*\)$/\1 \2/p' |
         awk '{print $1 + 1, $2}' | sort -n)
expected="1 getCharJniEnvStatus
2 setClasspath
3 getJniEnv
4 getJniEnvStatus
5 getVelmJniVersion
6 test
7 testBytes"
[ "$actual" = "$expected" ] || { echo "exports differ:"; diff <(echo "$expected") <(echo "$actual"); exit 1; }

imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z' | sort)
for dll_name in $imports; do
  case $dll_name in kernel32.dll|user32.dll|advapi32.dll|msvcrt.dll) ;; *) echo "imports $dll_name"; exit 1 ;; esac
done
echo "exports and imports as expected"
