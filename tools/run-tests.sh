#!/bin/bash
# Runs every test: installs what is missing, builds the native, Windows
# x86_64 and Windows i686 configurations, then runs the native tests and the
# Windows tests under Wine (on a display of their own: none is needed).
# Extra arguments go to both ctest runs, e.g. -L unit or -R ini.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/bootstrap.sh

for preset in native win64 win32; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

status=0
summary=()
for preset in native win64; do
  echo "== test $preset"
  log=build/$preset/ctest.log
  ctest --preset "$preset" "$@" 2>&1 | tee "$log" || status=1
  summary+=("$preset: $(grep -E 'tests passed|tests failed' "$log" | tail -n 1)")
done

echo "== summary"
printf '%s\n' "${summary[@]}"
exit $status
