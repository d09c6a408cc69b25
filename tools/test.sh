#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds both presets and runs every test through CTest:
# the unit tests on the simulated machine, then the end-to-end tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh

cmake --preset native
cmake --build --preset native -j2
cmake --preset win
cmake --build --preset win -j2

ctest --preset native
ctest --preset win -j2
