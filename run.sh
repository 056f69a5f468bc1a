#!/usr/bin/env bash
# Installs what is missing, builds the release tree and runs varkel with the given
# arguments; without arguments it runs the example job examples/hello/job.xml.
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"

varkel_install_missing
varkel_build release -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [ $# -eq 0 ]; then
  set -- -job "$VARKEL_ROOT/examples/hello/job.xml"
fi
exec "$VARKEL_ROOT/out/release/varkel" "$@"
