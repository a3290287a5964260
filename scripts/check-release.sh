#!/usr/bin/env bash
# Checks the shipped Windows programs: stripped, under 2 MB, importing only
# system DLLs, and marked for Windows 7 (subsystem version 6.1) and later.
set -euo pipefail
max_bytes=$((2 * 1024 * 1024))
system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|ole32|oleaut32|shell32|advapi32|msvcrt)\.dll$'
status=0
fail() { echo "$program: $*" >&2; status=1; }
for program in "$@"; do
  headers=$(x86_64-w64-mingw32-objdump -p "$program")
  size=$(stat -c %s "$program")
  [ "$size" -lt "$max_bytes" ] || fail "$size bytes, more than $max_bytes"
  if x86_64-w64-mingw32-objdump -h "$program" | grep -q '\.debug_'; then fail "not stripped"; fi
  while read -r dll; do
    echo "${dll,,}" | grep -Eq "$system_dlls" || fail "imports $dll, not a system DLL"
  done < <(echo "$headers" | sed -n 's/^\s*DLL Name: //p')
  version=$(echo "$headers" |
    awk '$1 == "MajorSubsystemVersion" { major = $2 } $1 == "MinorSubsystemVersion" { minor = $2 }
         END { print major "." minor }')
  [ "$version" = 6.1 ] || fail "subsystem version $version, not 6.1"
  echo "$program: $size bytes"
done
exit $status
