# Sourced by the scripts that run the program under Wine from the source tree's top:
# installs what is missing, builds the Windows preset quietly, sets bin, findstr and
# wintool to the built programs, and puts the Wine machinery on PYTHONPATH.
bash tools/install-deps.sh
cmake --preset win >/dev/null
cmake --build --preset win -j2 >/dev/null
bin=build/win
findstr=$bin/tests/e2e/findstr/findstr.exe
wintool=$bin/tests/e2e/wintool.exe
export PYTHONPATH=tests/support
