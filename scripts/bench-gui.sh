#!/usr/bin/env bash
# Prints how fast the program is on the largest data under Wine: loading a
# 172,095-byte text of 8192 readings or location records, saving and opening
# its protocol, the value selection, the location table, the limit editor
# and each report (the GuiBenchmark cases of the GUI tests, disabled in the
# normal run). Builds what it needs first; the figures belong in the README.
#   usage: bench-gui.sh [more GoogleTest options]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
for tree in native win; do
  if [ -f "$root/build/$tree/CMakeCache.txt" ]; then
    target=instrument_simulator; [ "$tree" = win ] && target=gui_tests
    cmake --build "$root/build/$tree" -j2 --target "$target" >"$root/build/bench-$tree.log" 2>&1 \
      || { tail -n 40 "$root/build/bench-$tree.log"; exit 1; }
  else
    "$root/scripts/build.sh" "$tree"
  fi
done
exec "$root/scripts/gui-tests.sh" "$root/build/win/gui_tests.exe" \
  --gtest_also_run_disabled_tests --gtest_filter='GuiBenchmark.*' "$@"
