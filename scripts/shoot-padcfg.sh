#!/usr/bin/env bash
# Screenshot of the control panel's main window under Wine, with the stand-in
# tablet driver, for the README: docs/padcfg-main.png.
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh x64 >/dev/null
state=build/x64/wine-shots
dir=$state/padcfg
mkdir -p "$dir" docs
cp build/x64/bin/padcfg.exe build/x64/bin/wintab32.dll "$dir/"
trap 'tests/harness/wine-env "$state" down' EXIT
eval "$(tests/harness/wine-env "$state" env)"
/usr/lib/wine/wine64 "$dir/padcfg.exe" &
sleep 3
# The virtual desktop is one plain colour round the window: trim it away.
import -display "$DISPLAY" -window root "$state/shot.png"
convert "$state/shot.png" -trim +repage -bordercolor '#236e96' -border 12 docs/padcfg-main.png
echo "saved docs/padcfg-main.png"
