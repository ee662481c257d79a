#!/usr/bin/env bash
# Pen tracking of the tracking-area control: 20,000 stand-in packets (or the
# number given) through a capturing SetArea window, the crosshair following;
# prints packets a second, microseconds a packet and where the time goes.
# Exit status 0 when the control handles at least 10,000 packets a second.
set -eu
cd "$(dirname "$0")/.."
packets=${1:-20000}
scripts/build.sh x64 >/dev/null
bin=build/x64/bin
state=build/x64/wine-bench
trap 'tests/harness/wine-env "$state" down' EXIT
tests/harness/wine-env "$state" up
# Beside the stand-in's wintab32.dll in bin/, which the prefix loads before Wine's own.
tests/harness/wine-env "$state" run "$bin/bench_setarea.exe" "$packets"
