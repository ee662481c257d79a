#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs the whole test suite
# on both: the x86_64 build, and beside it the i686 build (the one that
# ships) in Wine's WoW64 mode, each under wine64 with Wine prefixes and Xvfb
# displays of its own. The x86_64 run prints as it goes; the i686 run's
# output follows when both are done. Extra arguments go to both ctest runs,
# for example: scripts/test.sh -R kitinst
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh i686 x64

log=build/i686/ctest.log
ctest --preset i686 "$@" >"$log" 2>&1 &
i686=$!
x64_status=0
ctest --preset x64 "$@" || x64_status=$?
i686_status=0
wait "$i686" || i686_status=$?

echo
echo "==== The i686 build, under WoW64 ($log) ===="
cat "$log"
echo
echo "x86_64: $([ $x64_status -eq 0 ] && echo passed || echo FAILED)," \
  "i686: $([ $i686_status -eq 0 ] && echo passed || echo FAILED)"
[ $x64_status -eq 0 ] && [ $i686_status -eq 0 ]
