#!/usr/bin/env bash
# The card viewer's fill of 100, 500 and 2,000 cards under Wine against decoding the
# same pictures, and its peak memory against their decoded size; see bench-viewer.py.
#   tools/bench-viewer.sh [COUNTS]      (default 100,500,2000)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/wine-build.sh
exec python3 tools/bench-viewer.py --out build/bench-viewer --exe "$bin/Tumbledeck.exe" \
  --findstr "$findstr" --wintool "$wintool" \
  --decode-bench "$bin/tools/bench/decode_bench.exe" --counts "${1:-100,500,2000}"
