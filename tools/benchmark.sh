#!/bin/bash
# benchmark.sh: the performance benchmark. Builds the native-release and
# win64 presets, times the cycle natively (Google Benchmark, at 100, 1,000 and
# 10,000 archives) and under Wine with the Windows build (the same sizes and
# 3,000, plus the per-key way at 100, 1,000 and 3,000), then times the program
# as a user meets it against a bare list program (start until the main dialog
# shows both lists filled, Update until the process has ended, at 1,000, 3,000
# and 10,000), and prints the tables with the targets and whether each is met.
#
# Needs no display of the caller's (the dialogs run on a private Xvfb) and
# reads no input. Everything it creates (the installations, the Wine
# prefixes) lives in one temporary folder, removed at the end. Not part of
# the test command: it takes a few minutes, and its figures depend on the
# machine.
set -euo pipefail
exec </dev/null

fail() { echo "benchmark: $*" >&2; exit 1; }

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
for tool in cmake python3 wine wineboot wineserver; do
  command -v "$tool" >/dev/null || fail "$tool not found: run tools/bootstrap.sh"
done

work=$(mktemp -d -t ambrel-benchmark.XXXXXX)
cleanup() {
  "$root/tools/wine/teardown.sh" "$work/dialog-wine" >/dev/null 2>&1 || true
  if [[ -n ${WINEPREFIX:-} && -d $WINEPREFIX ]]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

build() {
  echo "benchmark: building $1" >&2
  # shellcheck disable=SC2086 # the targets are a list
  if ! { cmake --preset "$1" && cmake --build --preset "$1" --target $2; } >"$work/build-$1.log" 2>&1; then
    cat "$work/build-$1.log" >&2
    fail "the $1 build failed"
  fi
}
build native-release ambrel_benchmark
build win64 "ambrel_wine_timing ambrel_dialog_timing"
native=$root/build/native-release/tools/benchmark/ambrel_benchmark
windows=$root/build/win64/tools/benchmark/ambrel_wine_timing.exe
dialog_timing=$root/build/win64/tools/benchmark/ambrel_dialog_timing.exe
ambrel_exe=$root/build/win64/app/ambrel.exe
bare_exe=$root/build/win64/tools/benchmark/ambrel_bare_dialog.exe
[[ -x $native ]] || fail "$native was not built: is Google Benchmark (libbenchmark-dev) installed?"

echo "benchmark: native run" >&2
mkdir "$work/native-tmp"
TMPDIR=$work/native-tmp "$native" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.2 --benchmark_out="$work/native.json" --benchmark_out_format=json \
  >"$work/native.log" 2>&1 || { cat "$work/native.log" >&2; fail "the native benchmark failed"; }

# A throwaway prefix; the Russian locale gives Wine the code page 1251 that
# the INI section's name is written in.
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
  unset "${!LC_@}"
  export LANG=ru_RU.UTF-8
fi
echo "benchmark: creating a Wine prefix" >&2
# One server for the boot and all the runs, so none of them pays for starting it.
mkdir "$WINEPREFIX"
wineserver -p >"$work/wine.log" 2>&1 || { cat "$work/wine.log" >&2; fail "wineserver did not start"; }
wineboot -i >>"$work/wine.log" 2>&1 || { cat "$work/wine.log" >&2; fail "wineboot failed"; }

run_windows() {
  echo "benchmark: Wine run: $*" >&2
  wine "$windows" "$@" >>"$work/wine.txt" 2>>"$work/wine.log" ||
    { cat "$work/wine.log" >&2; fail "ambrel_wine_timing $* failed"; }
}
for n in 100 1000 3000 10000; do
  run_windows ambrel "$n"
  run_windows floor "$n"
done
for n in 100 1000 3000; do
  run_windows per-key "$n"
done

# The dialogs need a display: a prefix of their own on a private Xvfb with a
# virtual desktop, as the end-to-end tests use.
echo "benchmark: creating a Wine prefix with a display for the dialogs" >&2
"$root/tools/wine/setup.sh" "$work/dialog-wine" >>"$work/wine.log" 2>&1 ||
  { cat "$work/wine.log" >&2; fail "the dialogs' Wine prefix could not be set up"; }
for n in 1000 3000 10000; do
  echo "benchmark: dialog run at $n" >&2
  AMBREL_WINE_STATE=$work/dialog-wine "$root/tools/wine/run.sh" "$dialog_timing" "$n" 25 "$ambrel_exe" "$bare_exe" \
    >>"$work/wine.txt" 2>>"$work/wine.log" || { cat "$work/wine.log" >&2; fail "ambrel_dialog_timing $n failed"; }
done

echo >&2
python3 "$root/tools/benchmark/format_table.py" "$work/native.json" "$work/wine.txt"
