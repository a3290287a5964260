#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests, the GUI tests
# under Wine, the dialogs' layout checks and screenshots at 96 and 144 DPI,
# the portable zip and the installer tested under Wine, the unit tests again
# under the sanitizers, and a short bounded run of each fuzz target.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh

echo "== shipped report templates and manuals"
python3 tools/build_templates.py --check
python3 tools/check_templates.py

echo "== native build and unit tests"
scripts/build.sh native
ctest --test-dir build/native --output-on-failure -j2

echo "== Windows build and GUI tests under Wine"
scripts/build.sh win
ctest --test-dir build/win --output-on-failure

echo "== every dialog at 96 and 144 DPI: layout checks and screenshots"
scripts/screenshots.sh

echo "== portable zip and installer, both tested under Wine"
scripts/dist.sh
scripts/dist-test.sh build/dist/Kalivera-*.zip build/dist/Kalivera-*-setup.exe build/win/start_program.exe

echo "== unit tests under AddressSanitizer, LeakSanitizer and UBSan, then fuzzing"
scripts/build.sh fuzz
ctest --test-dir build/fuzz --output-on-failure
scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
