#!/usr/bin/env bash
# A Debian 13 root with Wine 10 for the Windows tests on Wine 10 (WINEKIT_ROOT, see
# tests/support/winekit/wines.py): made once with debootstrap from Debian's registry, tried
# again where the registry is slow or breaks off, then reused.
#   tools/wine10-root.sh [ROOT]      (default build/wine10/root)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(realpath -m "${1:-build/wine10/root}")
[ -e "$root/.tumbledeck-root" ] && exit 0
packages=wine,wine64,fonts-dejavu-core  # the fonts stand in for the guide's Courier New
log=$root-debootstrap.log
mkdir -p "$(dirname "$root")"
for attempt in 1 2 3; do
  rm -rf "$root.tmp"
  started=$SECONDS
  if debootstrap --variant=minbase --include=$packages trixie "$root.tmp" \
       http://deb.debian.org/debian >"$log" 2>&1; then
    echo "trixie: $packages" >"$root.tmp/.tumbledeck-root"
    rm -rf "$root"
    mv "$root.tmp" "$root"
    echo "Debian 13 root with Wine 10 ready in $((SECONDS - started)) s: $root"
    exit 0
  fi
  echo "debootstrap failed (attempt $attempt); see $log" >&2
  sleep $((10 * attempt))
done
exit 1
