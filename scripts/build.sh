#!/usr/bin/env bash
# Configures and builds one tree: native (default), win or fuzz.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tree=${1:-native}
case "$tree" in
  native) args=() ;;
  win)    args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake") ;;
  fuzz)   args=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DKALIVERA_FUZZ=ON) ;;
  *) echo "usage: $0 [native|win|fuzz]" >&2; exit 2 ;;
esac
cmake -S "$root" -B "$root/build/$tree" "${args[@]}" >/dev/null
cmake --build "$root/build/$tree" -j2
