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
run_ctest() {
  local preset=$1
  shift
  echo "== test $preset"
  local log=build/$preset/ctest.log
  ctest --preset "$preset" "$@" 2>&1 | tee "$log" || status=1
  summary+=("$preset: $(grep -E "tests passed|tests failed" "$log" | tail -n 1 || true)")
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
