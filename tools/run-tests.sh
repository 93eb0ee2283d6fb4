#!/bin/bash
# Runs every test: installs what is missing, builds the native, Windows
# x86_64, Windows i686 and fuzzing (clang) configurations, then runs the
# native tests, the Windows tests of both builds under Wine (on a display of
# their own: none is needed), the INI fuzzer for 30 seconds and the archive
# check's fuzzer for 15.
# Extra arguments go to the native and Windows ctest runs, e.g. -L unit or
# -R ini; the fuzzers then do not run.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/bootstrap.sh

for preset in native win64 win32 fuzz; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

status=0
summary=()
# The GoogleTest cases that skipped themselves in the last ctest run of a
# build folder, one "program: case: reason" a line. ctest counts a program
# whose cases passed or skipped as passed; the summary names the skips, so
# that a check that could not run here is not taken for one that passed.
skipped_cases() {
  local log=$1/Testing/Temporary/LastTest.log
  [[ -f $log ]] || return 0
  awk '
    /^[0-9]+\/[0-9]+ Test: / { program = $3 }
    /: Skipped$/ { skipping = 1; reason = ""; next }
    /^\[  SKIPPED \] .* \([0-9]+ ms\)$/ {
      print program ": " $4 (reason == "" ? "" : ": " reason)
      skipping = 0
      next
    }
    skipping && reason == "" { reason = $0 }
  ' "$log"
}
run_ctest() {
  local preset=$1
  shift
  echo "== test $preset"
  local log=build/$preset/ctest.log
  ctest --preset "$preset" "$@" 2>&1 | tee "$log" || status=1
  local result skipped
  result=$(grep -E "tests passed|tests failed" "$log" | tail -n 1 || true)
  skipped=$(skipped_cases "build/$preset")
  if [[ -n $skipped ]]; then
    result+=", $(wc -l <<<"$skipped") test cases skipped:"
    while IFS= read -r line; do result+=$'\n'"  skipped $line"; done <<<"$skipped"
  fi
  summary+=("$preset: $result")
  # ctest keeps every test's output, passed or not, in LastTest.log: the
  # program starts that Wine ended before they began, and that the dialog
  # tests therefore made again, are counted there.
  local restarts
  restarts=$(grep -c "wine: the new process ended before it started" \
    "build/$preset/Testing/Temporary/LastTest.log" 2>/dev/null || true)
  ((${restarts:-0} == 0)) || summary+=("$preset: $restarts program starts failed inside Wine and were made again")
}
run_ctest native "$@"
run_ctest win64 "$@"
run_ctest win32 "$@"
# The fuzz build runs the native tests too; only the fuzzers are new there.
(($#)) || run_ctest fuzz -L fuzz

echo "== summary"
printf '%s\n' "${summary[@]}"
exit $status
