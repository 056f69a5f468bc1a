#!/usr/bin/env bash
# Installs what the program needs, builds it in the release tree and runs it with the
# given arguments; without arguments it runs the example job examples/hello/job.xml.
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"

varkel_install_missing $VARKEL_PROGRAM_PACKAGES
# A tree that ./test.sh configured keeps its tests; only the program is built here.
if [ ! -f "$VARKEL_ROOT/out/release/CMakeCache.txt" ]; then
  varkel_configure release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARKEL_TESTS=OFF -DVARKEL_BENCH=OFF
fi
varkel_build release varkel

if [ $# -eq 0 ]; then
  set -- -job "$VARKEL_ROOT/examples/hello/job.xml"
fi
exec "$VARKEL_ROOT/out/release/varkel" "$@"
