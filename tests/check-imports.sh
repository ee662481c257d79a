#!/usr/bin/env bash
# Every program imports only system libraries, so it runs from the disk or
# a plain copy with nothing else installed; the 32-bit programs also declare
# subsystem version 4.0, so they load on Windows NT 4.0 and Windows 95.
#   check-imports.sh OBJDUMP BIN_DIR...
set -u
objdump=$1
shift
# DLL names compare without regard to case, as Windows compares them.
allowed='^(kernel32|user32|gdi32|advapi32|comctl32|msvcrt)\.dll$'
status=0
checked=0
for dir in "$@"; do
  [ -d "$dir" ] || { echo "skipped (not built): $dir"; continue; }
  while IFS= read -r -d '' exe; do
    checked=$((checked + 1))
    info=$("$objdump" -p "$exe")
    while read -r dll; do
      if ! [[ "${dll,,}" =~ $allowed ]]; then
        echo "FAIL: $exe imports $dll"
        status=1
      fi
    done < <(printf '%s\n' "$info" | sed -n 's/^[[:space:]]*DLL Name: //p')
    if printf '%s\n' "$info" | grep -q '^Magic.*010b'; then
      major=$(printf '%s\n' "$info" | awk '/^MajorSubsystemVersion/ {print $2}')
      minor=$(printf '%s\n' "$info" | awk '/^MinorSubsystemVersion/ {print $2}')
      if [ "$major.$minor" != "4.0" ]; then
        echo "FAIL: $exe has subsystem version $major.$minor, not 4.0"
        status=1
      fi
    fi
  done < <(find "$dir" -name '*.exe' -print0)
done
[ "$checked" -gt 0 ] || { echo "FAIL: no programs found"; status=1; }
[ $status -eq 0 ] && echo "checked $checked programs"
exit $status
