#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds and runs every test through CTest: the unit,
# contract and fuzz-corpus tests on the simulated machine under AddressSanitizer and
# UndefinedBehaviorSanitizer (the sanitize preset; the plain native preset builds the
# same tests without them, faster, for work in progress), then the end-to-end tests
# under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh

cmake --preset sanitize
cmake --build --preset sanitize -j2
cmake --preset win
cmake --build --preset win -j2

ctest --preset sanitize
ctest --preset win -j2
