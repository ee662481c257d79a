#!/usr/bin/env bash
# Screenshots of the control panel's dialogs for the README: the real
# padcfg.exe with the stand-in tablet driver, in a harness of its own, driven
# from the keyboard through the Wine desktop as a person would:
#
#   docs/padcfg-information.png     Tablet > Information, the stand-in's own tablet (inches)
#   docs/padcfg-information-cm.png  the same for a centimetre tablet, in centimetres
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh x64 >/dev/null
state=build/x64/wine-shots
dir=$state/dialogs
mkdir -p "$dir" docs
cp build/x64/bin/padcfg.exe build/x64/bin/wintab32.dll "$dir/"
trap 'tests/harness/wine-env "$state" down' EXIT
eval "$(tests/harness/wine-env "$state" env)"

desktop_key() {
  local win
  win=$(xdotool search --name "Wine desktop" | head -1)
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  xdotool key "$@"
}

# Keys reach the panel once a click has made it the desktop's active window:
# its caption, at the desktop's top-left corner.
activate_panel() {
  xdotool mousemove 100 10 click 1
  sleep 0.5
}

# shoot NAME [KEY...]: starts the panel, opens Tablet > Information, presses
# the keys in the dialog, saves docs/NAME.png, then closes the dialog and exits.
shoot() {
  local name=$1
  shift
  /usr/lib/wine/wine64 "$dir/padcfg.exe" &
  local run=$!
  sleep 3
  activate_panel
  desktop_key alt+t i
  sleep 1.5
  if [ $# -gt 0 ]; then
    desktop_key "$@"
    sleep 1
  fi
  # The virtual desktop is one plain colour round the windows: trim it away.
  import -display "$DISPLAY" -window root "$state/shot.png"
  convert "$state/shot.png" -trim +repage -bordercolor '#236e96' -border 12 "docs/$name.png"
  echo "saved docs/$name.png"
  desktop_key Escape
  sleep 0.5
  desktop_key alt+t x
  wait "$run" || true
}

shoot padcfg-information

cat >"$dir/centimetre.ini" <<'EOF'
; A 30 x 20 cm tablet at 400 lines per centimetre.
[Device0]
Name=QUORAX MM-Compatible Tablet;Format: MM Metric Series;Version 1.08
X=0, 12000, 2, 400
Y=0, 8000, 2, 400
EOF
# Alt+U goes to the units list, Down chooses Centimeters.
WINTAB_STANDIN_TABLET=$PWD/$dir/centimetre.ini shoot padcfg-information-cm alt+u Down
