#!/usr/bin/env bash
# Pictures of every dialog in both shipped languages at 96 and 144 dots per
# inch, taken under Xvfb by the disabled GUI test of DialogTour (whose other
# tests, the tab order, access keys and fitting captions, run at both too):
# build/screenshots/<language>-<dpi>dpi-<dialog>.png. Builds what it needs
# first; the pictures are artefacts of the build, not of the repository.
#   usage: screenshots.sh [more GoogleTest options]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build-gui-tests.sh" screenshots
pictures="$root/build/screenshots"
rm -rf "$pictures"
mkdir -p "$pictures"
# A prefix of their own, so the GUI tests keep 96 dots per inch.
export KALIVERA_WINEPREFIX="$root/build/win/screenshot-wineprefix"
export KALIVERA_SCREEN=1920x1200x24
# The test sees the Linux root as drive Z:.
export KALIVERA_SCREENSHOT_DIR="Z:$pictures"
for dpi in 96 144; do
  KALIVERA_DPI=$dpi "$root/scripts/gui-tests.sh" "$root/build/win/gui_tests.exe" \
    --gtest_also_run_disabled_tests --gtest_filter='*DialogTour.*' "$@"
done
python3 "$root/tools/bmp_to_png.py" "$pictures"/*.bmp
echo "$(ls "$pictures"/*.png | wc -l) pictures in $pictures"
