#!/bin/bash
# teardown.sh STATE_DIR: stops the wineserver and the Xvfb that setup.sh
# started and removes the prefix. Whatever is already gone is skipped.
# The logs stay in STATE_DIR.
set -euo pipefail

[[ $# -eq 1 ]] || { echo "usage: teardown.sh STATE_DIR" >&2; exit 1; }
state=$1
[[ -f $state/env ]] || exit 0
# shellcheck source=/dev/null
source "$state/env"

is_running() { [[ -d /proc/$1 && $(ps -o stat= -p "$1") != Z* ]]; }

if [[ -d $WINEPREFIX ]]; then
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
fi

# Only our own Xvfb: the pid may since have gone to another process.
pid=$AMBREL_XVFB_PID
if is_running "$pid" && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q "^Xvfb $DISPLAY "; then
  kill "$pid"
  for _ in $(seq 50); do
    is_running "$pid" || break
    sleep 0.1
  done
  is_running "$pid" && kill -KILL "$pid"
fi

rm -rf "$WINEPREFIX" "$state/env" "$state/idle"
