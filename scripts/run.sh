#!/usr/bin/env bash
# Builds Kalivera.exe and starts it under Wine in a working folder seeded
# from data/, with the instrument simulator serving the sample loss-meter
# text on COM1 (every other COM port of the program's Wine prefix cannot be
# opened). Without a display, generates the sample reports with the
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

scripts/build.sh native

if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX="$root/build/run-wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mshtml="
  # Without a locale Wine cannot name files with non-ASCII characters.
  export LANG=${LANG:-C.UTF-8}
  # The sample as an instrument sends it: a blank line ends the text.
  mkdir -p "$work/instrument"
  { cat data/samples/lossmeter.txt; printf '\n'; } >"$work/instrument/lossmeter.txt"
  line="$work/instrument/com1.line"
  "$root/build/native/instrument_simulator" --link "$line" --text "$work/instrument/lossmeter.txt" \
    --log "$work/instrument/simulator.log" >/dev/null &
  simulator=$!
  trap 'kill "$simulator" 2>/dev/null || true' EXIT
  for _ in $(seq 100); do [ -L "$line" ] && break; sleep 0.05; done
  scripts/wine-ports.sh COM1="$line"
  echo "COM1 is an instrument simulator serving data/samples/lossmeter.txt (log: $work/instrument/simulator.log);"
  echo "every other COM port is switched off. Try Načtení > Načtení dat z přístroje."
  cd "$work"
  wine Kalivera.exe
  exit
fi

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
