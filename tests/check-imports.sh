#!/usr/bin/env bash
# What each program may import, so that it runs from the disk or a plain copy
# with nothing else installed. The shipped programs import no C runtime DLL:
# the first Windows 95 has none, and without one it matters not whether
# Windows NT 4.0's own has every entry MinGW's start-up code asks for. They
# import only the system libraries they use. The Windows 95 control panel
# (penpanel.exe) imports no function that ends in W beyond those Windows 95
# really implements (below, each with its reason; none is needed today):
# Windows 95 has the rest only as stubs that fail. Every other program
# (tests, benchmarks, tools) may import the system libraries and msvcrt.dll.
# The 32-bit programs also declare subsystem version 4.0, so they load on
# Windows NT 4.0 and Windows 95.
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
  padcfg.exe | penpanel.exe) echo 'kernel32 user32 gdi32' ;;
  *) echo "$general" ;;
  esac
}

# Wide-character functions Windows 95 implements, which the Windows 95 panel
# may import: "name:reason" a line. Empty: it needs none.
win95_wide_ok=''

# The functions a program imports whose names end in W (wide characters).
wide_imports() {
  printf '%s\n' "$1" | awk '/DLL Name:/ {dll = $3} /^\t[0-9a-f]+\t/ && $NF ~ /W$/ {print dll ":" $NF}'
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
  if [ "$(basename "${exe,,}")" = penpanel.exe ]; then
    local fn
    while read -r fn; do
      [ -n "$fn" ] || continue
      if ! printf '%s\n' "$win95_wide_ok" | grep -q "^${fn#*:}:"; then
        echo "FAIL: $exe imports $fn, a wide-character function not on the Windows 95 list"
        status=1
      fi
    done < <(wide_imports "$info")
  fi
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
  for exe in kitinst.exe kitlaunch.exe ntsetup.exe padcfg.exe penpanel.exe; do
    require "$dir/$exe"
  done
  for exe in kitinst.exe kitlaunch.exe NTWINTAB/SETUP.EXE NTWINTAB/padcfg.exe QWINTAB/penpanel.exe; do
    require "$disk/$exe"
  done
  while IFS= read -r -d '' exe; do
    check "$exe"
  done < <(find "$dir" "$disk" -iname '*.exe' -print0 2>/dev/null)
done
[ "$checked" -gt 0 ] || { echo "FAIL: no programs found"; status=1; }
[ $status -eq 0 ] && echo "checked $checked programs"
exit $status
