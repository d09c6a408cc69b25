#!/usr/bin/env bash
# Takes the README's pictures (docs/viewer.png, docs/help.png) from the real program
# under Wine; see docs-screenshots.py.
#   tools/docs-screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset win >/dev/null
cmake --build --preset win -j2 >/dev/null
bin=build/win
export PYTHONPATH=tests/support
exec python3 tools/docs-screenshots.py --out build/docs --exe "$bin/Tumbledeck.exe" \
  --findstr "$bin/tests/e2e/findstr/findstr.exe" --wintool "$bin/tests/e2e/wintool.exe"
