#!/usr/bin/env bash
# Fails when a Windows binary imports any DLL beyond those every Windows installation has, and
# when a plug-in library lacks one of its two entry exports.
# Usage: check_system_imports.sh OBJDUMP BINARY [EXPORT...]
set -euo pipefail
objdump=$1 binary=$2
shift 2

system_dlls='^(kernel32|user32|gdi32|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+|comdlg32|shell32|wininet|advapi32|ole32|oleaut32|comctl32|shlwapi|ws2_32|winmm|msimg32)\.dll$'

dump=$("$objdump" -p "$binary")
imports=$(awk '/DLL Name:/ {print $3}' <<<"$dump")
if [[ -z $imports ]]; then
  echo "$binary: no import table found" >&2
  exit 1
fi
status=0
while read -r dll; do
  if ! tr '[:upper:]' '[:lower:]' <<<"$dll" | grep -q -E "$system_dlls"; then
    echo "$binary imports $dll, which is not a system DLL" >&2
    status=1
  fi
done <<<"$imports"

for name in "$@"; do
  # Export lines of the name table read "[   n] NAME".
  if ! grep -q -E "^[[:space:]]+\[ *[0-9]+\] $name\$" <<<"$dump"; then
    echo "$binary does not export $name" >&2
    status=1
  fi
done
((status == 0)) && echo "$(basename "$binary") imports only: $(tr '\n' ' ' <<<"$imports")"
exit "$status"
