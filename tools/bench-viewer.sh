#!/usr/bin/env bash
# The card viewer's fill of 100, 500 and 2,000 cards under Wine against decoding the
# same pictures, and its peak memory against their decoded size; see bench-viewer.py.
#   tools/bench-viewer.sh [COUNTS]      (default 100,500,2000)
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset win >/dev/null
cmake --build --preset win -j2 >/dev/null
bin=build/win
export PYTHONPATH=tests/support
exec python3 tools/bench-viewer.py --out build/bench-viewer --exe "$bin/Tumbledeck.exe" \
  --findstr "$bin/tests/e2e/findstr/findstr.exe" --wintool "$bin/tests/e2e/wintool.exe" \
  --decode-bench "$bin/tools/bench/decode_bench.exe" --counts "${1:-100,500,2000}"
