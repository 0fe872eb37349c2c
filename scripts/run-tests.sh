#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (headless), fuzz replays
# included, twice: in the normal build (build/ or $BUILD_DIR), then in a build
# checked by AddressSanitizer and UndefinedBehaviorSanitizer with leak detection
# (build-asan/ or $BUILD_DIR-asan; clang, no benchmarks), where any report fails
# the test. SANITIZE=0 skips the checked build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
build=${BUILD_DIR:-build}
jobs=${CTEST_PARALLEL_LEVEL:-$(nproc)}

bash scripts/build.sh -DTRAMBELO_BUILD_TESTS=ON
ctest --test-dir "$build" --output-on-failure -j "$jobs"

if [ "${SANITIZE:-1}" != 0 ]; then
  BUILD_DIR="$build-asan" CC=clang CXX=clang++ bash scripts/build.sh \
    -DTRAMBELO_BUILD_TESTS=ON -DTRAMBELO_BUILD_BENCH=OFF -DTRAMBELO_SANITIZE=ON
  ctest --test-dir "$build-asan" --output-on-failure -j "$jobs"
fi
