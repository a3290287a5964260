# Shared by fuzz.sh and fuzz-long.sh (sourced): which targets exist and how
# one of them runs over its persistent corpus and its repository seeds.
fuzz_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fuzz_build="$fuzz_root/build/fuzz"
# Leaks count as findings: LeakSanitizer comes with ASan and stays on.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=1"

# The targets named (without or with the fuzz_ prefix), or all that are built.
fuzz_targets() {
  if [ "$#" -eq 0 ]; then
    for target in "$fuzz_build"/fuzz_*; do
      [ -x "$target" ] && basename "$target"
    done
    return 0
  fi
  for name in "$@"; do
    name="fuzz_${name#fuzz_}"
    if [ ! -x "$fuzz_build/$name" ]; then
      echo "no fuzz target $name in $fuzz_build (scripts/build.sh fuzz builds them)" >&2
      return 1
    fi
    echo "$name"
  done
}

fuzz_seeds() { echo "$fuzz_root/tests/fixtures/fuzz/${1#fuzz_}"; }
fuzz_corpus() { echo "$fuzz_build/corpus/$1"; }

# fuzz_run NAME SECONDS [extra libFuzzer options…]: new entries go to the
# corpus, findings to build/fuzz/NAME-*, the output to build/fuzz/NAME.log.
fuzz_run() {
  local name=$1 seconds=$2
  shift 2
  local corpus seeds
  corpus=$(fuzz_corpus "$name")
  seeds=$(fuzz_seeds "$name")
  mkdir -p "$corpus"
  [ -d "$seeds" ] || seeds=""
  "$fuzz_build/$name" -max_total_time="$seconds" -rss_limit_mb=2048 -detect_leaks=1 -print_final_stats=1 \
    -artifact_prefix="$fuzz_build/$name-" "$@" "$corpus" $seeds >"$fuzz_build/$name.log" 2>&1
}

# The executions of the last run of NAME, from its final statistics.
fuzz_executions() {
  sed -n 's/^stat::number_of_executed_units: *//p' "$fuzz_build/$1.log" | tail -n 1
}
