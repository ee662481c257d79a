#!/usr/bin/env bash
# Screenshots of the Windows 95 installer for the README: runs the real
# kitinst.exe from the build's install disk in a harness of its own, with Wine
# reporting Windows 95, and saves the pages and the restart question:
#
#   docs/kitinst-initializing.png  docs/kitinst-welcome.png
#   docs/kitinst-copying.png       docs/kitinst-restart.png
#
# Usage: scripts/shoot-kitinst.sh [build-dir]   (default build/x64)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/x64}
state=$build/wine-shots-kitinst
cmake --build "$build" --target kitinst_disk kitinst_showpage -j2 >/dev/null

eval "$(tests/harness/wine-env "$state" env)"
wine=/usr/lib/wine/wine64
trap 'tests/harness/wine-env "$state" down' EXIT

# A Windows 95 machine: the version the installer asks for and C:\windows\command.
"$wine" reg add 'HKCU\Software\Wine\AppDefaults\kitinst.exe' /v Version /d win95 /f >/dev/null 2>&1
mkdir -p "$WINEPREFIX/drive_c/windows/command"
disk=$state/disk
rm -rf "$disk"
mkdir -p "$disk"
cp -r "$build/disk/kitinst.exe" "$build/disk/oemsetup.inf" "$build/disk/QWINTAB" \
  "$build/disk/QTABLET" "$disk/"

mkdir -p docs
# The pages are centred on the 1024 x 768 desktop: crop W x H around the centre.
shoot() {
  local name=$1 w=$2 h=$3
  import -display "$DISPLAY" -window root -crop "${w}x${h}+$(((1024 - w) / 2))+$(((768 - h) / 2))" \
    "docs/kitinst-$name.png"
  echo "docs/kitinst-$name.png"
}
desktop_key() {
  local win
  win=$(xdotool search --name "Wine desktop" | head -1)
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  xdotool key "$@"
}

# The disk as drive A:, the way a user starts it from the floppy.
ln -sfn "$(cd "$disk" && pwd)" "$WINEPREFIX/dosdevices/a:"
"$wine" cmd /c 'cd /d A:\ && A:\kitinst.exe' &
run=$!
sleep 4
shoot welcome 600 280
desktop_key Return # Next is the default button
sleep 5.5
shoot copying 520 260
# Nine files, seven INI steps and five registry pauses of one second each.
sleep 20
shoot restart 420 200
desktop_key n
wait "$run" || true

# The first page only stands while the disk is read; show it still from the
# program's own template.
"$wine" "$build/tests/kitinst_showpage.exe" 'A:\kitinst.exe' DIALOG0 &
showpage=$!
sleep 3
shoot initializing 400 160
kill "$showpage" 2>/dev/null || true
wait "$showpage" 2>/dev/null || true
