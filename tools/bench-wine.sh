# Sourced by the Wine benchmarks: builds Tumbledeck.exe, stages a prefix with a master
# folder and a host under $bench_out, starts a private display and a persistent Wine
# server, and stops both when the benchmark exits. Sets wine, wineserver, wintool, logs.
source tools/wine-build.sh
eval "$(python3 -m winekit stage --out "$bench_out" \
  --exe "$bin/Tumbledeck.exe" --findstr "$findstr")"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8 LC_ALL=C.UTF-8
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
logs=$bench_out/logs/bench
mkdir -p "$logs"

# A private display: -displayfd picks a free one and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$logs/display" >"$logs/xvfb.log" 2>&1 &
xvfb=$!
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$logs/display" ] && break; sleep 0.1; done
[ -s "$logs/display" ] || { echo "Xvfb did not start; see $logs/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$logs/display")"
"$wineserver" -p </dev/null >/dev/null 2>&1
