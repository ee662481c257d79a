#!/usr/bin/env bash
# What each program may import, so that it runs from the disk or a plain copy
# with nothing else installed. The programs a person starts from the install
# disk (kitinst.exe, kitlaunch.exe, NTWINTAB\SETUP.EXE) must start on the first
# Windows 95, which has no C runtime DLL: they may import only the system
# libraries they use. padcfg.exe, for Windows NT 4.0, also has msvcrt.dll.
# Every other program (tests, benchmarks, tools) may import the system
# libraries and msvcrt.dll. The 32-bit programs also declare subsystem
# version 4.0, so they load on Windows NT 4.0 and Windows 95.
#   check-imports.sh OBJDUMP BIN_DIR...
# checks the programs of each BIN_DIR and of the install disk beside it
# (BIN_DIR/../disk); the shipped programs must be there.
set -u
objdump=$1
shift

# DLL names compare without regard to case, as Windows compares them.
general='kernel32 user32 gdi32 advapi32 comctl32 msvcrt'
allowed_for() {
  case "${1,,}" in
  kitinst.exe) echo 'kernel32 user32 gdi32 advapi32 comctl32' ;;
  kitlaunch.exe | ntsetup.exe | setup.exe) echo 'kernel32 user32' ;;
  padcfg.exe | penpanel.exe) echo 'kernel32 user32 gdi32 advapi32 comctl32 msvcrt' ;;
  *) echo "$general" ;;
  esac
}

status=0
checked=0
check() {
  local exe=$1 info dll allowed
  checked=$((checked + 1))
  info=$("$objdump" -p "$exe")
  allowed=" $(allowed_for "$(basename "$exe")") "
  while read -r dll; do
    [ -n "$dll" ] || continue
    dll=${dll,,}
    if [[ "$dll" != *.dll || "$allowed" != *" ${dll%.dll} "* ]]; then
      echo "FAIL: $exe imports $dll (allowed:$allowed)"
      status=1
    fi
  done < <(printf '%s\n' "$info" | sed -n 's/^[[:space:]]*DLL Name: //p')
  if printf '%s\n' "$info" | grep -q '^Magic.*010b'; then
    local major minor
    major=$(printf '%s\n' "$info" | awk '/^MajorSubsystemVersion/ {print $2}')
    minor=$(printf '%s\n' "$info" | awk '/^MinorSubsystemVersion/ {print $2}')
    if [ "$major.$minor" != "4.0" ]; then
      echo "FAIL: $exe has subsystem version $major.$minor, not 4.0"
      status=1
    fi
  fi
}

require() {
  [ -f "$1" ] || { echo "FAIL: shipped program not found: $1"; status=1; }
}

for dir in "$@"; do
  [ -d "$dir" ] || { echo "skipped (not built): $dir"; continue; }
  disk=$(dirname "$dir")/disk
  for exe in kitinst.exe kitlaunch.exe ntsetup.exe padcfg.exe; do
    require "$dir/$exe"
  done
  for exe in kitinst.exe kitlaunch.exe NTWINTAB/SETUP.EXE; do
    require "$disk/$exe"
  done
  while IFS= read -r -d '' exe; do
    check "$exe"
  done < <(find "$dir" "$disk" -iname '*.exe' -print0 2>/dev/null)
done
[ "$checked" -gt 0 ] || { echo "FAIL: no programs found"; status=1; }
[ $status -eq 0 ] && echo "checked $checked programs"
exit $status
