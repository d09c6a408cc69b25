#!/usr/bin/env bash
# One command for a newcomer: installs what is missing, builds Tumbledeck.exe, makes a
# demo master folder with three generated card sets and a demo host (registry value and
# data folder) in a Wine prefix under build/demo/, runs one random switch under Wine and
# tells which set landed in the host's data folder. Safe to run again: the prefix is
# kept, the master folder and the host are made afresh.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake --preset win >/dev/null
cmake --build --preset win -j2

export PYTHONPATH=tests/support
exec python3 -m winekit demo --out build/demo \
  --exe build/win/Tumbledeck.exe --findstr build/win/tests/e2e/findstr/findstr.exe
