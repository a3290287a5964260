#!/usr/bin/env bash
# Runs the GUI tests under Wine with two instrument simulators on
# pseudo-terminals: COM1 and COM5 of the test prefix; every other COM port is
# removed. The tests choose each simulator's answers through its control file
# in $KALIVERA_SIMULATOR_DIR (instrument-com1.control, instrument-com5.control), a folder they
# reach through Wine's drive Z:. (No file there is named after a port: to
# Windows "com1.log" is the port COM1.)
set -euo pipefail
program=$1; shift
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$(dirname "$program")" && pwd)
simulator=${KALIVERA_SIMULATOR:-$root/build/native/instrument_simulator}
if [ ! -x "$simulator" ]; then
  echo "gui-tests: no instrument simulator at $simulator (build the native tree first: scripts/build.sh native)" >&2
  exit 1
fi
export KALIVERA_SIMULATOR_DIR="$build/simulator"
rm -rf "$KALIVERA_SIMULATOR_DIR"
mkdir -p "$KALIVERA_SIMULATOR_DIR"

pids=()
stop_simulators() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; wait 2>/dev/null || true; }
trap stop_simulators EXIT
for port in com1 com5; do
  : >"$KALIVERA_SIMULATOR_DIR/instrument-$port.control"
  "$simulator" --link "$KALIVERA_SIMULATOR_DIR/instrument-$port.line" --control "$KALIVERA_SIMULATOR_DIR/instrument-$port.control" \
    --text "$root/data/samples/lossmeter.txt" --log "$KALIVERA_SIMULATOR_DIR/instrument-$port.log" >/dev/null &
  pids+=($!)
done
for port in com1 com5; do
  for _ in $(seq 100); do [ -L "$KALIVERA_SIMULATOR_DIR/instrument-$port.line" ] && break; sleep 0.05; done
  [ -L "$KALIVERA_SIMULATOR_DIR/instrument-$port.line" ] || { echo "gui-tests: the simulator for $port did not start" >&2; exit 1; }
done

"$root/scripts/wine-run.sh" COM1="$KALIVERA_SIMULATOR_DIR/instrument-com1.line" \
  COM5="$KALIVERA_SIMULATOR_DIR/instrument-com5.line" \
  "$program" "$@"
