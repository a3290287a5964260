#!/usr/bin/env bash
# Installs every package the build, the program and the tests need, when missing.
set -euo pipefail

packages=(cmake make g++ googletest libgtest-dev libbenchmark-dev
          g++-mingw-w64-x86-64 mingw-w64-tools wine64 xvfb xauth socat
          clang-14 libclang-rt-14-dev python3)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
    || missing+=("$package")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd=sudo
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
