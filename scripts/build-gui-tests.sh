#!/usr/bin/env bash
# Builds only what a GUI test run needs (the instrument simulator and
# gui_tests.exe) in trees already configured, or the whole tree otherwise.
#   usage: build-gui-tests.sh LOG-PREFIX   (logs: build/LOG-PREFIX-<tree>.log)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=$1
for tree in native win; do
  if [ -f "$root/build/$tree/CMakeCache.txt" ]; then
    target=instrument_simulator; [ "$tree" = win ] && target=gui_tests
    cmake --build "$root/build/$tree" -j2 --target "$target" >"$root/build/$prefix-$tree.log" 2>&1 \
      || { tail -n 40 "$root/build/$prefix-$tree.log"; exit 1; }
  else
    "$root/scripts/build.sh" "$tree"
  fi
done
