#!/bin/bash
# soak.sh: the long runs, on demand. Kills the writer of morrowind.ini at
# 1,000 random moments (the test command kills it 100 times) and runs the INI
# fuzzer for 10,000,000 executions (the test command runs it for 30 seconds),
# both with ASan and UBSan, then prints the figures: kills, corrupt files,
# fuzz executions and findings. The executions are shared among --jobs fuzzer
# processes (one per processor unless given), each with a seed of its own and
# the one corpus. The fuzzer makes about 500 executions a second per process
# with inputs up to 4,096 bytes, so on two processors this takes about three
# hours; not part of the test command. Exits non-zero when anything was found.
#
#   tools/soak.sh [--kills N] [--runs N] [--jobs N] [--seed N]
#
# New fuzz inputs and anything found go to build/fuzz/tests/fuzz/fuzz-work/.
set -euo pipefail
exec </dev/null

fail() { echo "soak: $*" >&2; exit 2; }

kills=1000 runs=10000000 jobs=$(nproc) seed=$RANDOM
while [[ $# -gt 0 ]]; do
  case $1 in
    --kills) kills=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    *) fail "usage: soak.sh [--kills N] [--runs N] [--jobs N] [--seed N]" ;;
  esac
done

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
for tool in cmake clang++; do
  command -v "$tool" >/dev/null || fail "$tool not found: run tools/bootstrap.sh"
done

build() {
  echo "soak: building $1" >&2
  local log=build/soak-build-$1.log
  mkdir -p build
  if ! { cmake --preset "$1" && cmake --build --preset "$1" --target "$2"; } >"$log" 2>&1; then
    cat "$log" >&2
    fail "the $1 build failed"
  fi
}
build native write_crash_test
build fuzz ini_fuzz

status=0

echo "soak: $kills kills (seed $seed)" >&2
crash_log=build/native/soak-crash.log
AMBREL_CRASH_KILLS=$kills AMBREL_CRASH_SEED=$seed \
  build/native/tests/crash/write_crash_test --gtest_filter='WriteCrash.*' >"$crash_log" 2>&1 || status=1
crash_line=$(grep -E '^crash: ' "$crash_log" || echo "crash: the test did not finish (see $crash_log)")

echo "soak: $runs fuzz executions in $jobs processes" >&2
fuzz_dir=build/fuzz/tests/fuzz
rm -f "$fuzz_dir"/soak-fuzz-*.log
work=$fuzz_dir/fuzz-work
mkdir -p "$work/corpus"
findings() { find "$work" -maxdepth 1 \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l; }
before=$(findings)
start=$SECONDS
pids=()
for job in $(seq "$jobs"); do
  share=$((runs / jobs + (job <= runs % jobs ? 1 : 0)))
  "$fuzz_dir/ini_fuzz" -runs="$share" -seed="$((seed + job))" -print_final_stats=1 -artifact_prefix="$work/" \
    "$work/corpus" tests/fuzz/corpus tests/fuzz/regressions >"$fuzz_dir/soak-fuzz-$job.log" 2>&1 &
  pids+=($!)
done
# A fuzzer stopped by a finding leaves an input behind; one interrupted by
# hand (Ctrl-C) still prints its figures.
trap 'kill -INT "${pids[@]}" 2>/dev/null || true' INT
for pid in "${pids[@]}"; do
  while kill -0 "$pid" 2>/dev/null; do wait "$pid" || true; done
done
seconds=$((SECONDS - start))
executions=$(cat "$fuzz_dir"/soak-fuzz-*.log | awk '/^stat::number_of_executed_units:/ {sum += $2} END {print sum + 0}')
after=$(findings)
[[ $after -eq $before ]] || status=1

echo
echo "$crash_line"
echo "fuzz: $executions executions in $seconds s, $((after - before)) findings (logs: $fuzz_dir/soak-fuzz-*.log)"
[[ $status -eq 0 ]] || echo "soak: something was found; see the logs above"
exit "$status"
