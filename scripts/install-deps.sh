#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test the program
# (clang and its sanitizer runtimes for the checked build of the tests).
# Idempotent and non-interactive: does nothing when everything is already there.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-translations-l10n libgl-dev
  libsqlite3-dev libshp-dev libxlsxwriter-dev libzip-dev libpugixml-dev libjpeg62-turbo-dev
  libgtest-dev libbenchmark-dev
  fonts-dejavu-core
  clang libclang-rt-14-dev llvm
)
if [ "${1:-}" = "--gui" ]; then
  packages+=(xvfb xdotool imagemagick)
fi
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
