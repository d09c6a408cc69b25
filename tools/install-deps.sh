#!/usr/bin/env bash
# Installs what building and testing Tumbledeck needs on a Debian machine, and only
# what is missing (a bare CI machine and a newcomer's machine start the same way).
# `install-deps.sh fuzz` adds clang and its libFuzzer runtime for tools/fuzz.sh.
set -euo pipefail

packages=(
  cmake ninja-build g++ libgtest-dev python3          # native build and unit tests
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64      # Tumbledeck.exe
  wine wine64 xvfb xauth imagemagick x11-utils        # running it under Wine, card pictures
  fonts-dejavu-core                                   # card labels; Courier New under Wine
  python3-pefile zip unzip                            # checking the release
  xdotool                                             # a real drag with the mouse under Wine
  debootstrap                                         # the Debian 13 root with Wine 10
  gcovr                                               # tools/coverage.sh
)
if [ "${1:-}" = fuzz ]; then packages+=(clang libclang-rt-14-dev); fi
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
