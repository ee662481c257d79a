#!/usr/bin/env bash
# Screenshots of the control panel's dialogs for the README: the scenarios of
# tests/padcfg/scenarios.py (the real padcfg.exe with the stand-in driver,
# used through the Wine desktop as a person uses it) run in a harness of their
# own and save the picture of each dialog at the moment they have checked what
# it shows:
#
#   docs/padcfg-menu.png            the Tablet menu
#   docs/padcfg-information.png     Information, the stand-in's own tablet, in inches
#   docs/padcfg-information-cm.png  the same in centimetres
#   docs/padcfg-features.png        Features, choosing the cursor type
#   docs/padcfg-restart.png         the prompt after the driver's own dialog asks for a restart
#   docs/padcfg-setup.png           Setup, in inches, a tracking area of its own (Whole Tablet off)
#   docs/padcfg-setup-cm.png        the same in centimetres
#   docs/padcfg-setup-whole.png     Setup with Whole Tablet on
#   docs/padcfg-setup-pen.png       the area pointed out on the virtual tablet, first corner taken
#   docs/padcfg-about.png           About, with the driver's version
#   docs/padcfg-warning.png         the Warning before a mouse button is lost
#
# Arguments go to the scenarios: `--panel penpanel.exe` takes the pictures of
# the Windows 95 panel (docs/penpanel-*.png), scenario names choose them:
#
#   scripts/shoot-dialogs.sh --panel penpanel.exe setup_width_typed_from_the_keyboard
#
#   docs/penpanel-setup.png         Setup of the Windows 95 panel, as padcfg-setup.png
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh x64 >/dev/null
state=build/x64/wine-shots
mkdir -p docs
trap 'tests/harness/wine-env "$state" down' EXIT
tests/harness/wine-env "$state" up
python3 tests/padcfg/scenarios.py --build build/x64 --state "$state" --shots docs "$@"
