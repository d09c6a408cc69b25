#!/usr/bin/env bash
# Fuzzes every reader of outside input: builds the targets of tests/fuzz with clang's
# libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer (build/fuzz), runs each
# for the given seconds (60 by default), one after the other, and prints per target the
# inputs tried, the coverage reached and the findings. New inputs that reach further go
# to build/fuzz/corpus/<target>; a finding (crash, broken promise, leak, timeout) goes
# to build/fuzz/findings/<target>/: mend it and put the input into
# tests/fuzz/corpus/<target>/, which tools/test.sh replays.
#   tools/fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
bash tools/install-deps.sh fuzz

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build/fuzz -G Ninja -DTD_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build/fuzz -j"${TD_BUILD_JOBS:-2}"

targets=("$@")
if ((${#targets[@]} == 0)); then
  targets=($(ls tests/fuzz/corpus))
fi
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
printf '%-14s %8s %12s %8s %8s %9s\n' target seconds executions cov features findings
status=0
for target in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$target findings=build/fuzz/findings/$target log=build/fuzz/logs/$target.log
  mkdir -p "$corpus" "$findings" build/fuzz/logs
  # A run of one input that takes ten seconds is a finding too: a user would wait for ever.
  build/fuzz/tests/fuzz/fuzz_"$target" "$corpus" "tests/fuzz/corpus/$target" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/" >"$log" 2>&1 || true
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1)
  found=$(find "$findings" -type f | wc -l)
  printf '%-14s %8s %12s %8s %8s %9s\n' "$target" "$seconds" "${executions:-?}" \
    "$(cut -d' ' -f2 <<<"${coverage:-cov: ? ft: ?}")" "$(cut -d' ' -f4 <<<"${coverage:-cov: ? ft: ?}")" "$found"
  ((found == 0)) || status=1
done
exit "$status"
