#!/usr/bin/env bash
# Configures and builds the given presets (default: both targets).
set -eu
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(i686 x64)
jobs=$(nproc 2>/dev/null || echo 2)
for preset in "${presets[@]}"; do
  [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
