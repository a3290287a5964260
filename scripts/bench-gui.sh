#!/usr/bin/env bash
# Prints how fast the program is on the largest data under Wine: loading a
# 172,095-byte text of 8192 readings or location records, saving and opening
# its protocol, the value selection, the location table, the limit editor
# and each report (the GuiBenchmark cases of the GUI tests, disabled in the
# normal run). Builds what it needs first; the figures belong in the README.
#   usage: bench-gui.sh [more GoogleTest options]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build-gui-tests.sh" bench
exec "$root/scripts/gui-tests.sh" "$root/build/win/gui_tests.exe" \
  --gtest_also_run_disabled_tests --gtest_filter='GuiBenchmark.*' "$@"
