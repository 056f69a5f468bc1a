#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole suite twice: a normal build with
# g++ and one with clang and the address and undefined-behaviour sanitizers. Then it
# runs each fuzz harness of fuzz/ for VARKEL_FUZZ_SECONDS (20 by default).
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"

varkel_install_missing $VARKEL_PROGRAM_PACKAGES $VARKEL_TEST_PACKAGES

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

varkel_configure release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARKEL_TESTS=ON -DVARKEL_BENCH=ON -DVARKEL_WERROR=ON
varkel_build release
(cd "$VARKEL_ROOT/out/release" && ctest --output-on-failure -j "$(nproc)")

# A tree configured earlier with another compiler would lose its options on the switch.
if ! grep -qs '^CMAKE_CXX_COMPILER:.*clang' "$VARKEL_ROOT/out/asan/CMakeCache.txt"; then
  rm -rf "$VARKEL_ROOT/out/asan/CMakeCache.txt" "$VARKEL_ROOT/out/asan/CMakeFiles"
fi
varkel_configure asan -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DVARKEL_SANITIZE=ON -DVARKEL_TESTS=ON -DVARKEL_WERROR=ON
varkel_build asan
(cd "$VARKEL_ROOT/out/asan" && ctest --output-on-failure -j "$(nproc)")

varkel_configure fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVARKEL_FUZZ=ON -DVARKEL_TESTS=OFF -DVARKEL_BENCH=OFF -DVARKEL_WERROR=ON
varkel_build fuzz
varkel_fuzz_all "${VARKEL_FUZZ_SECONDS:-20}"
