#!/usr/bin/env bash
# Runs fuzz targets one after the other for as long as asked, keeping what
# they find new in build/fuzz/corpus/<target> for the next run; prints the
# executions of each at the end. --merge then adds to the repository seeds
# (tests/fixtures/fuzz/<target>) a small set of corpus entries that reaches
# the code they do not.
#   scripts/fuzz-long.sh [--merge] SECONDS [TARGET…]   (default: all targets)
set -euo pipefail
source "$(dirname "$0")/fuzz-common.sh"
merge=false
if [ "${1:-}" = "--merge" ]; then merge=true; shift; fi
if [ "$#" -lt 1 ] || ! [[ "$1" =~ ^[0-9]+$ ]]; then
  echo "usage: $0 [--merge] SECONDS [TARGET…]" >&2
  exit 2
fi
seconds=$1
shift
names=$(fuzz_targets "$@")
summary=()
failed=0
for name in $names; do
  echo "$name: running for ${seconds}s (log: $fuzz_build/$name.log)"
  if fuzz_run "$name" "$seconds"; then
    result="no findings"
  else
    result="FINDING (artifact: $fuzz_build/$name-*)"
    tail -n 40 "$fuzz_build/$name.log"
    failed=$((failed + 1))
  fi
  summary+=("$name: $(fuzz_executions "$name") executions in ${seconds}s, $(ls "$(fuzz_corpus "$name")" | wc -l) corpus entries, $result")
done
if $merge; then
  for name in $names; do
    seeds=$(fuzz_seeds "$name")
    mkdir -p "$seeds"
    before=$(ls "$seeds" | wc -l)
    "$fuzz_build/$name" -set_cover_merge=1 -use_counters=0 -rss_limit_mb=2048 -detect_leaks=1 "$seeds" "$(fuzz_corpus "$name")" \
      >"$fuzz_build/$name-merge.log" 2>&1
    echo "$name: $(($(ls "$seeds" | wc -l) - before)) entries merged into ${seeds#$fuzz_root/}"
  done
fi
printf '%s\n' "${summary[@]}"
[ "$failed" -eq 0 ]
