#!/usr/bin/env bash
# Takes the README's pictures (docs/viewer.png, docs/help.png) from the real program
# under Wine; see docs-screenshots.py.
#   tools/docs-screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/wine-build.sh
exec python3 tools/docs-screenshots.py --out build/docs --exe "$bin/Tumbledeck.exe" \
  --findstr "$findstr" --wintool "$wintool"
