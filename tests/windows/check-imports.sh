#!/usr/bin/env bash
# The exe must run on a bare Windows: it may import only Windows' own DLLs.
# Usage: check-imports.sh OBJDUMP EXE
set -euo pipefail
objdump=$1
exe=$2

dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
if [ -z "$dlls" ]; then
  echo "no imports read from $exe" >&2
  exit 1
fi
bad=0
while read -r dll; do
  case "${dll,,}" in
    kernel32.dll | user32.dll | gdi32.dll | shell32.dll | comdlg32.dll | comctl32.dll | \
      version.dll | advapi32.dll | msvcrt.dll | api-ms-win-crt-*.dll)
      echo "ok  $dll" ;;
    *)
      echo "not a Windows DLL: $dll" >&2
      bad=1 ;;
  esac
done <<<"$dlls"
exit $bad
