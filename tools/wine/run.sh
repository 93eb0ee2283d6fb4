#!/bin/bash
# run.sh EXE [ARGS...]: runs a Windows program in the prefix that setup.sh
# prepared in $AMBREL_WINE_STATE, with its output and exit code passed through.
# CMake uses it as the cross-compiling emulator.
set -euo pipefail

fail() { echo "wine run: $*" >&2; exit 1; }

[[ $# -ge 1 ]] || fail "usage: run.sh EXE [ARGS...]"
[[ -n ${AMBREL_WINE_STATE:-} ]] ||
  fail "AMBREL_WINE_STATE is not set: run the test through ctest, or set it to a folder prepared by tools/wine/setup.sh"
[[ -f $AMBREL_WINE_STATE/env ]] ||
  fail "$AMBREL_WINE_STATE/env is missing: run tools/wine/setup.sh $AMBREL_WINE_STATE first"
# shellcheck source=/dev/null
source "$AMBREL_WINE_STATE/env"

# Each Wine process takes its code page from its own Unix locale, whatever
# locale the wineserver runs with; so LANG alone decides, and an LC_ALL or
# LC_CTYPE from the caller's shell must not override it. A locale that is not
# generated would silently give code page 1252.
if [[ -n ${LANG:-} ]]; then
  unset "${!LC_@}"
  [[ -z $(LC_ALL=$LANG locale 2>&1 >/dev/null) ]] ||
    fail "locale $LANG is not generated: run tools/bootstrap.sh"
fi

# The umask the wineserver was started with (see setup.sh).
umask 022
exec wine "$@"
