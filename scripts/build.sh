#!/usr/bin/env bash
# Configures and builds one tree: native (default), win or fuzz. The build
# log goes to build/<tree>.log and is shown only when the build fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tree=${1:-native}
case "$tree" in
  native) args=() ;;
  win)    args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake") ;;
  fuzz)   args=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DKALIVERA_FUZZ=ON) ;;
  *) echo "usage: $0 [native|win|fuzz]" >&2; exit 2 ;;
esac
mkdir -p "$root/build"
log="$root/build/$tree.log"
if ! { cmake -S "$root" -B "$root/build/$tree" "${args[@]}" && cmake --build "$root/build/$tree" -j2; } >"$log" 2>&1; then
  tail -n 60 "$log"
  echo "build of the $tree tree failed (full log: $log)" >&2
  exit 1
fi
grep -E 'warning:' "$log" || true
echo "built the $tree tree"
