#!/usr/bin/env bash
# Installs what is missing, builds, and starts the tablet control panel with
# the stand-in tablet driver in a Wine desktop. With a display ($DISPLAY) the
# desktop opens there; without one it runs on a private Xvfb and a screenshot
# is saved. The tablet can be chosen with WINTAB_STANDIN_TABLET=<description.ini>.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
[ -f build/x64/CMakeCache.txt ] || cmake --preset x64 >/dev/null
cmake --build --preset x64 -j "$(nproc)" --target padcfg wintab32
bin=build/x64/bin
state=build/x64/wine-run

if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX="$PWD/$state/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;wintab32=n,b"
  [ -d "$WINEPREFIX" ] || /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  exec /usr/lib/wine/wine64 explorer /desktop=padcfg,800x600 "$bin/padcfg.exe"
fi

env_lines=$(tests/harness/wine-env "$state" env)
eval "$env_lines"
/usr/lib/wine/wine64 "$bin/padcfg.exe" &
pid=$!
sleep 3
shot=$PWD/build/x64/padcfg-run.png
import -display "$DISPLAY" -window root -crop 800x600+0+0 "$shot"
echo "No display: the control panel runs on the private display $DISPLAY."
echo "Screenshot: $shot"
echo "Stop it with: tests/harness/wine-env $state down"
wait $pid || true
