#!/usr/bin/env bash
# Wall time of a random switch under Wine against the five-second floor that every run
# pays (the wait for the host-folder script). The Wine server is started persistent and
# warmed up first, so the times show the program, not Wine's own start.
#   tools/bench-switch.sh [RUNS]      (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}

bench_out=build/bench
source tools/bench-wine.sh

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
