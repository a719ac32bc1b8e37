#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test: the normal
# build (core, desktop program under the offscreen platform, command-line tool)
# and the core tests again under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

jobs=$(nproc)
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs"

cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"
