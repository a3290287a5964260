#!/usr/bin/env bash
# Builds Kalivera.exe and starts it under Wine in a working folder seeded
# from data/. Without a display, generates the sample reports with the
# command-line tool instead and prints where they are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
scripts/build.sh win
work="$root/build/run"
mkdir -p "$work"
cp -rn data/. "$work/"
cp build/win/Kalivera.exe "$work/"

if [ -n "${DISPLAY:-}" ]; then
  cd "$work"
  export WINEPREFIX="$root/build/run-wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mshtml="
  exec wine Kalivera.exe
fi

scripts/build.sh native
cli="$root/build/native/kalivera-cli"
cd "$work"
echo "No display: generating the sample reports with kalivera-cli instead."
for protocol in samples/*.opr; do
  for language in czech english; do
    out="reports/$(basename "$protocol" .opr)-$language.html"
    mkdir -p reports
    "$cli" report "$protocol" -o "$out" --language "$language.lng"
    echo "  $work/$out"
  done
done
