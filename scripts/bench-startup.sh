#!/usr/bin/env bash
# Start-up time of the control panel against a minimal program that shows one
# empty window, side by side in one Wine prefix (median of 20 runs each).
# Exit status 0 when the panel takes at most 1.25 times as long.
set -eu
cd "$(dirname "$0")/.."
runs=${1:-20}
scripts/build.sh x64 >/dev/null
bin=build/x64/bin
state=build/x64/wine-bench
dir=$state/startup
mkdir -p "$dir"
cp "$bin/padcfg.exe" "$bin/wintab32.dll" "$bin/emptywindow.exe" "$dir/"
trap 'tests/harness/wine-env "$state" down' EXIT
tests/harness/wine-env "$state" up
# Wine maps the Unix root to drive Z:.
winpath() { printf 'Z:%s' "$(realpath "$1" | tr / '\\')"; }
tests/harness/wine-env "$state" run "$bin/bench_startup.exe" "$runs" \
  "$(winpath "$dir/padcfg.exe")" "$(winpath "$dir/emptywindow.exe")"
