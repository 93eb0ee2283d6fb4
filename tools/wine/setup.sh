#!/bin/bash
# setup.sh STATE_DIR: a fresh Wine prefix on a private Xvfb display for one test
# run. Writes STATE_DIR/env for run.sh and teardown.sh.
#
# Everything left running in the background (Xvfb, the wineserver and the
# Wine services it starts) writes to logs in STATE_DIR and runs in its own
# session: whoever inherited our stdout would otherwise keep ctest's output
# pipe open, and ctest would wait for it.
set -euo pipefail

fail() { echo "wine setup: $*" >&2; exit 1; }

[[ $# -eq 1 ]] || fail "usage: setup.sh STATE_DIR"
here=$(cd "$(dirname "$0")" && pwd)
for tool in wine wineboot wineserver Xvfb xdpyinfo setsid; do
  command -v "$tool" >/dev/null || fail "$tool not found: run tools/bootstrap.sh"
done

# Whatever an interrupted run left behind goes first.
[[ -f $1/env ]] && "$here/teardown.sh" "$1"
rm -rf "$1"
mkdir -p "$1"
state=$(cd "$1" && pwd)

is_running() { [[ -d /proc/$1 && $(ps -o stat= -p "$1") != Z* ]]; }

# A display of our own, whatever DISPLAY says, so runs do not depend on the
# caller's screen. Another run may grab the same number at the same moment:
# then Xvfb exits and the next number is tried.
start_xvfb() {
  local display pid
  for display in $(seq 90 120); do
    [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]] && continue
    setsid Xvfb ":$display" -nolisten tcp -screen 0 1280x1024x24 \
      </dev/null >"$state/xvfb.log" 2>&1 &
    pid=$!
    for _ in $(seq 100); do
      if DISPLAY=":$display" xdpyinfo >/dev/null 2>&1; then
        echo "$display $pid"
        return
      fi
      is_running "$pid" || break
      sleep 0.1
    done
    is_running "$pid" && kill "$pid"
  done
  return 1
}
read -r display xvfb_pid < <(start_xvfb) || fail "no Xvfb display could be started in :90..:120 (see $state/xvfb.log)"

# Recorded before wineboot so that teardown.sh can clean up a failed setup.
{
  printf 'export WINEPREFIX=%q\n' "$state/prefix"
  echo "export DISPLAY=:$display"
  echo "export WINEDEBUG=-all"
  echo "export WINEDLLOVERRIDES='mscoree,mshtml='"
  echo "export WINEARCH=win64"
  echo "AMBREL_XVFB_PID=$xvfb_pid"
} >"$state/env"
# shellcheck source=/dev/null
source "$state/env"

wine_log=$state/wine.log
background() { setsid "$@" </dev/null >>"$wine_log" 2>&1; }

background wineboot --init || fail "wineboot failed (see $wine_log)"
# A virtual desktop stands in for the missing window manager; without one
# every GUI process waits about 2.5 s at exit.
background wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f ||
  fail "could not set the virtual desktop (see $wine_log)"
background wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f ||
  fail "could not set the virtual desktop size (see $wine_log)"
wineserver -k
wineserver -w

# A persistent wineserver, booted here, keeps the services and the desktop
# for the whole run instead of starting them again inside some test.
background wineserver --persistent || fail "wineserver did not start (see $wine_log)"
background wineboot || fail "wineboot failed after the restart (see $wine_log)"

echo "wine setup: prefix $WINEPREFIX on display $DISPLAY"
