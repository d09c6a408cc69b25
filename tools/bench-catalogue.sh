#!/usr/bin/env bash
# Prints the cost of building the card-set catalogue for 100, 1,000 and 30,000 entries.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native --target catalogue_bench -j2 >/dev/null
build/native/tools/bench/catalogue_bench
