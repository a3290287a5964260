#!/usr/bin/env bash
# Runs each fuzz target for a bounded time; any finding fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
passed=0
failed=0
for target in "$root"/build/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$root/build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds="$root/tests/fixtures/fuzz/${name#fuzz_}"
  [ -d "$seeds" ] || seeds=""
  if "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -artifact_prefix="$root/build/fuzz/$name-" \
       "$corpus" $seeds >"$root/build/fuzz/$name.log" 2>&1; then
    echo "$name: no findings in ${seconds}s"
    passed=$((passed + 1))
  else
    echo "$name: FINDING"; tail -n 40 "$root/build/fuzz/$name.log"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
