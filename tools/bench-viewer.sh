#!/usr/bin/env bash
# The card viewer's fill of 500, 2,000, 10,000 and 30,000 cards under Wine against
# decoding the same pictures, its peak memory, its first card drawn and a jump to the
# end; see bench-viewer.py.
#   tools/bench-viewer.sh [COUNTS]      (default 500,2000,10000,30000)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/wine-build.sh
exec python3 tools/bench-viewer.py --out build/bench-viewer --exe "$bin/Tumbledeck.exe" \
  --findstr "$findstr" --wintool "$wintool" \
  --decode-bench "$bin/tools/bench/decode_bench.exe" --counts "${1:-500,2000,10000,30000}"
