#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on the bundled sample data.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh -DTRAMBELO_BUILD_TESTS=OFF
exec "${BUILD_DIR:-build}/app/trambelo"
