#!/usr/bin/env bash
# Wall time of a random switch under Wine against the five-second floor that every run
# pays (the wait for the host-folder script). The Wine server is started persistent and
# warmed up first, so the times show the program, not Wine's own start.
#   tools/bench-switch.sh [RUNS]      (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}

bash tools/install-deps.sh
cmake --preset win >/dev/null
cmake --build --preset win -j2 >/dev/null
bin=build/win
out=build/bench
eval "$(python3 tools/wineenv.py stage --out "$out" \
  --exe "$bin/Tumbledeck.exe" --findstr "$bin/tests/e2e/findstr/findstr.exe")"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
wintool=$bin/tests/e2e/wintool.exe
logs=$out/logs/bench
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
# Wine programs write to files only: a pipe would be held open by Wine's services.
one_run() {
  local start end
  start=$(date +%s.%N)
  "$wine" "$TUMBLEDECK_EXE" </dev/null >>"$logs/tumbledeck.out" 2>>"$logs/tumbledeck.err" ||
    echo "  (exit status $?)" >&2
  end=$(date +%s.%N)
  # The copy runs on after the program; let it finish outside the timed stretch.
  "$wine" "$wintool" waitprocs --timeout 60 xcopy.exe cmd.exe </dev/null >>"$logs/wintool.out" 2>&1
  echo "$start $end"
}

echo "Warming up (one untimed run) ..."
one_run >/dev/null
times=()
for i in $(seq "$runs"); do
  read -r start end < <(one_run)
  t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
  times+=("$t")
  echo "run $i: $t s"
done
printf '%s\n' "${times[@]}" | awk '
  { sum += $1; n++ }
  END {
    mean = sum / n
    printf "mean: %.3f s over %d runs\n", mean, n
    printf "overhead ratio (mean - 5) / 5: %.3f\n", (mean - 5) / 5
  }'
