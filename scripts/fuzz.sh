#!/usr/bin/env bash
# Runs each fuzz target for a bounded time (seconds, default 30); any finding
# fails the run.
set -euo pipefail
source "$(dirname "$0")/fuzz-common.sh"
seconds=${1:-30}
passed=0
failed=0
for name in $(fuzz_targets); do
  if fuzz_run "$name" "$seconds"; then
    echo "$name: no findings in ${seconds}s ($(fuzz_executions "$name") executions)"
    passed=$((passed + 1))
  else
    echo "$name: FINDING"; tail -n 40 "$fuzz_build/$name.log"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
