#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole suite twice:
# a normal build and one with address and undefined-behaviour sanitizers.
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"

varkel_install_missing

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

varkel_build release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARKEL_WERROR=ON
(cd "$VARKEL_ROOT/out/release" && ctest --output-on-failure -j "$(nproc)")

varkel_build asan -DCMAKE_BUILD_TYPE=Debug -DVARKEL_SANITIZE=ON -DVARKEL_WERROR=ON
(cd "$VARKEL_ROOT/out/asan" && ctest --output-on-failure -j "$(nproc)")
