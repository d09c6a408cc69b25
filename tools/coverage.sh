#!/usr/bin/env bash
# Line coverage of the product: a coverage build of each preset, the native suite on the
# simulated machine, the Windows tests under Wine (the platform contract and every e2e
# case), then lines and functions per folder and per platform/win32 file.
#   tools/coverage.sh            # builds in build/cov-native and build/cov-win
#   JOBS=1 tools/coverage.sh     # build with one job (a shared machine)
# The Windows programs write their counts through Wine's drive Z: (the Unix root), to the
# absolute places the build gave them: GCOV_PREFIX=Z: and nothing stripped; those that
# end through ExitProcess write them first (tools/coverage-exit.c).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
jobs=${JOBS:-2}
native=build/cov-native
win=build/cov-win
coverage=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_C_FLAGS=--coverage
          -DCMAKE_EXE_LINKER_FLAGS=--coverage)

cmake --preset native -B "$native" "${coverage[@]}" >/dev/null
cmake --build "$native" -j"$jobs"
mkdir -p "$win"
x86_64-w64-mingw32-gcc-posix -c tools/coverage-exit.c -o "$win/coverage-exit.o"
cmake --preset win -B "$win" "${coverage[@]}" \
      "-DCMAKE_EXE_LINKER_FLAGS=--coverage -Wl,--wrap=__imp_ExitProcess $PWD/$win/coverage-exit.o" \
      >/dev/null
cmake --build "$win" -j"$jobs"

find "$native" "$win" -name '*.gcda' -delete
ctest --test-dir "$native" --output-on-failure -j"$jobs" >"$native/ctest.log" 2>&1 ||
  echo "coverage: native tests failed, see $native/ctest.log" >&2
GCOV_PREFIX=Z: GCOV_PREFIX_STRIP=0 \
  ctest --test-dir "$win" --output-on-failure -L e2e -j2 >"$win/ctest.log" 2>&1 ||
  echo "coverage: Windows tests failed, see $win/ctest.log" >&2

# The product's own files: the tests, tools and the programs they use are left out.
product=(--filter '(app|forms|help|host|launcher|platform|run|viewer)/')
gcovr --root . "${product[@]}" "$native" \
      --json-summary "$native/coverage.json" >/dev/null
gcovr --root . "${product[@]}" "$win" \
      --gcov-executable x86_64-w64-mingw32-gcov --json "$win/coverage-full.json" \
      --json-summary "$win/coverage.json" >/dev/null
python3 tools/coverage-report.py "$native/coverage.json" "$win/coverage.json" \
        "$win/coverage-full.json"
