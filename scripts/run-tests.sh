#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (headless).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
bash scripts/build.sh -DTRAMBELO_BUILD_TESTS=ON
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j "$(nproc)"
