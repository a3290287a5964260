#!/usr/bin/env bash
# Installs every package the build, the program and the tests need, when
# missing, then checks that every tool the scripts call is really there.
set -euo pipefail

# wine holds the `wine` launcher; wine64 alone has none.
packages=(cmake make g++ googletest libgtest-dev libbenchmark-dev
          g++-mingw-w64-x86-64 mingw-w64-tools wine wine64 xvfb xauth socat
          clang-14 libclang-rt-14-dev python3 nsis zip unzip)
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

# A tool that a package was expected to bring but did not must stop the run
# here, not halfway through the tests.
tools=(cmake make g++ ctest
       x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres
       wine wineserver wineboot xvfb-run xauth socat clang-14 clang++-14 python3
       makensis zip unzip)
absent=()
for tool in "${tools[@]}"; do
  command -v "$tool" >/dev/null 2>&1 || absent+=("$tool")
done
[ -d /usr/src/googletest ] || absent+=("/usr/src/googletest (package googletest)")
if ((${#absent[@]})); then
  echo "setup: missing after installing the packages: ${absent[*]}" >&2
  exit 1
fi
