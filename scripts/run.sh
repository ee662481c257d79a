#!/usr/bin/env bash
# Installs what is missing, builds, and starts the tablet control panel with
# the stand-in tablet driver in a Wine desktop. With a display ($DISPLAY) the
# desktop opens there; without one it runs on a private Xvfb and a screenshot
# is saved. The tablet can be chosen with WINTAB_STANDIN_TABLET=<description.ini>.
#
#   scripts/run.sh [--tablet]
#
# --tablet also starts the virtual tablet (standin/vtablet) beside the panel:
# a window whose surface moves the stand-in's pen with the mouse.
set -eu
cd "$(dirname "$0")/.."
tablet=no
for arg in "$@"; do
  case "$arg" in
    --tablet) tablet=yes ;;
    *) echo "usage: scripts/run.sh [--tablet]" >&2; exit 2 ;;
  esac
done
scripts/setup.sh
[ -f build/x64/CMakeCache.txt ] || cmake --preset x64 >/dev/null
targets=(padcfg wintab32)
[ $tablet = no ] || targets+=(vtablet)
cmake --build --preset x64 -j "$(nproc)" --target "${targets[@]}"
bin=build/x64/bin
state=build/x64/wine-run

# The virtual tablet in the panel's desktop, stopped when the panel ends.
start_tablet() {
  [ $tablet = yes ] || return 0
  "$@" "$bin/vtablet.exe" &
  tablet_pid=$!
  trap 'kill $tablet_pid 2>/dev/null || true' EXIT
}

if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX="$PWD/$state/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;wintab32=n,b"
  [ -d "$WINEPREFIX" ] || /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  tests/harness/wine-env "$state" fonts
  desktop=(/usr/lib/wine/wine64 explorer /desktop=padcfg,800x600)
  if [ $tablet = no ]; then
    exec "${desktop[@]}" "$bin/padcfg.exe"
  fi
  "${desktop[@]}" "$bin/padcfg.exe" &
  panel_pid=$!
  sleep 1
  start_tablet "${desktop[@]}"
  wait $panel_pid || true
  exit 0
fi

env_lines=$(tests/harness/wine-env "$state" env)
eval "$env_lines"
/usr/lib/wine/wine64 "$bin/padcfg.exe" &
pid=$!
start_tablet /usr/lib/wine/wine64
sleep 3
shot=$PWD/build/x64/padcfg-run.png
crop=(-crop 800x600+0+0)
[ $tablet = no ] || crop=() # the virtual tablet sits at the desktop's right edge
import -display "$DISPLAY" -window root "${crop[@]}" "$shot"
echo "No display: the control panel runs on the private display $DISPLAY."
echo "Screenshot: $shot"
echo "Stop it with: tests/harness/wine-env $state down"
wait $pid || true
