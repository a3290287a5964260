#!/usr/bin/env bash
# Prints how fast the serial link is under Wine: downloads at 19,200 and
# 115,200 baud against their bounds, the wait of the idle rule and the port
# scan (the SerialBenchmark cases of the GUI tests, disabled in the normal
# run). Builds what it needs first; the figures belong in the README.
#   usage: bench-serial.sh [more GoogleTest options]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build-gui-tests.sh" bench
exec "$root/scripts/gui-tests.sh" "$root/build/win/gui_tests.exe" \
  --gtest_also_run_disabled_tests --gtest_filter='SerialBenchmark.*' "$@"
