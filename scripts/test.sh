#!/usr/bin/env bash
# Builds Talbex and runs its tests. Usage:
#   scripts/test.sh           everything CI runs: the whole suite in the default preset
#                             (with the package and lintian, and every benchmark once in
#                             its short mode, whose goal lines are printed after it),
#                             the whole suite again under the address and undefined-behaviour
#                             sanitizers (its fault scenarios run the built program, so the
#                             program itself runs sanitized), again under the thread
#                             sanitizer (which holds every threaded test), and a short run of
#                             every fuzz target over its checked-in corpus when clang is
#                             available
#   scripts/test.sh PRESET    the whole suite of one preset (default, asan or tsan)
# TALBEX_FUZZ_SECONDS sets the length of each fuzz run (default 10).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs="$(nproc)"

suite() {
  scripts/setup.sh "$1"
  ctest --preset "$1" -j "$jobs" "${@:2}"
}

if [ $# -gt 0 ]; then
  suite "$1"
  exit 0
fi

# The default suite, then the goal line of every benchmark it ran (TALBEX_BENCH_SHORT=1).
default_suite() {
  suite default
  echo "benchmark goal lines (short runs):"
  grep -h "goal" build/default/Testing/Temporary/LastTest.log | sed 's/^/  /' || true
}

stage() {
  local started=$SECONDS
  echo "== $1"
  "${@:2}"
  echo "== $1: passed in $((SECONDS - started)) s"
}

fuzz() {
  if ! command -v clang++ >/dev/null && [ "$(id -u)" -ne 0 ]; then
    echo "fuzzing skipped: clang is not installed (apt-get install -y clang libclang-rt-dev)"
    return 0
  fi
  scripts/setup.sh fuzz
  local seconds="${TALBEX_FUZZ_SECONDS:-10}" scratch
  scratch="$(mktemp -d)"
  for target in build/fuzz/fuzz/*_fuzz; do
    local name
    name="$(basename "$target" _fuzz)"
    mkdir -p "$scratch/$name"
    # New inputs go to the scratch folder; the checked-in corpus is only read.
    "$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$scratch/" "$scratch/$name" "fuzz/corpus/$name" \
      >"$scratch/$name.log" 2>&1 || {
      cat "$scratch/$name.log"
      echo "fuzz target $name found a fault; its input is kept in $scratch" >&2
      return 1
    }
    echo "$name: $(grep -m1 '^stat::number_of_executed_units' "$scratch/$name.log" |
      awk '{print $2}') runs, no fault"
  done
  rm -rf "$scratch"
}

started=$SECONDS
stage "default: whole suite, every benchmark once in its short mode" default_suite
stage "asan: whole suite, the program itself sanitized" suite asan
stage "tsan: whole suite (every threaded test in it)" suite tsan
stage "fuzz: every target for ${TALBEX_FUZZ_SECONDS:-10} s" fuzz
echo "== all passed in $((SECONDS - started)) s"
