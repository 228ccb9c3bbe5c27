#!/usr/bin/env bash
# The four extension DLLs import only DLLs that a stock Windows has, and export the
# four COM server entry points with ordinals 1 to 4.
#   check-binaries.sh <dir holding the DLLs>
set -euo pipefail
dir=$1
allowed='^(kernel32|user32|advapi32|gdi32|ole32|oleaut32|shell32|shlwapi|msvcrt|version)\.dll$'
expected_exports=$'1 DllCanUnloadNow\n2 DllGetClassObject\n3 DllRegisterServer\n4 DllUnregisterServer'
status=0
for name in quenbyappForMe quenbyapp2 quenbyappZip quenbyappWipe; do
  dll="$dir/$name.dll"
  dump=$(i686-w64-mingw32-objdump -p "$dll")
  while read -r import; do
    if ! [[ "${import,,}" =~ $allowed ]]; then echo "$name imports $import"; status=1; fi
  done < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
  # The export table lists "[index] +base[ordinal] ..." then the name table in index order.
  ordinals=$(sed -n 's/^\s*\[ *[0-9]*\] +base\[ *\([0-9]*\)\].*/\1/p' <<<"$dump")
  names=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[ *[0-9]*\] \(.*\)/\1/p' <<<"$dump")
  exports=$(paste -d' ' <(echo "$ordinals") <(echo "$names"))
  if [ "$exports" != "$expected_exports" ]; then echo "$name exports:"; echo "$exports"; status=1; fi
done
[ $status -eq 0 ] && echo "four DLLs: system imports only, exports 1-4 as expected"
exit $status
