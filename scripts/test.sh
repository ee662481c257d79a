#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs the whole test suite
# (the x86_64 build, under wine64 on a private Xvfb). Extra arguments go to ctest,
# for example: scripts/test.sh -R padcfg
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh i686 x64
ctest --preset x64 "$@"
