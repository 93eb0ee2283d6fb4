#!/bin/bash
# setup.sh STATE_DIR: a fresh Wine prefix on a private Xvfb display for one test
# run. Writes STATE_DIR/env for run.sh and teardown.sh.
#
# Everything left running in the background (Xvfb, the wineserver and the
# Wine services it starts) writes to logs in STATE_DIR and runs in its own
# session: whoever inherited our stdout would otherwise keep ctest's output
# pipe open, and ctest would wait for it.
set -euo pipefail
# Wine gives new files the wineserver's umask (and, setting attributes, the
# umask of the process): the tests expect the usual 022, whatever the
# developer's own is.
umask 022

fail() { echo "wine setup: $*" >&2; exit 1; }

[[ $# -eq 1 ]] || fail "usage: setup.sh STATE_DIR"
here=$(cd "$(dirname "$0")" && pwd)
for tool in wine wineboot wineserver Xvfb xdpyinfo xwininfo setsid; do
  command -v "$tool" >/dev/null || fail "$tool not found: run tools/bootstrap.sh"
done

# Whatever an interrupted run left behind goes first.
[[ -f $1/env ]] && "$here/teardown.sh" "$1"
rm -rf "$1"
mkdir -p "$1"
state=$(cd "$1" && pwd)

is_running() { [[ -d /proc/$1 && $(ps -o stat= -p "$1") != Z* ]]; }

# A display of our own, whatever DISPLAY says, so runs do not depend on the
# caller's screen. Xvfb exits at once on a number that is taken and writes the
# number to its -displayfd once it accepts connections.
start_xvfb() {
  local display pid ready=$state/xvfb-ready
  for display in $(seq "$first_display" "$last_display"); do
    rm -f "$ready"
    setsid Xvfb ":$display" -nolisten tcp -screen 0 1280x1024x24 -displayfd 3 \
      3>"$ready" </dev/null >>"$state/xvfb.log" 2>&1 &
    pid=$!
    for _ in $(seq 200); do
      [[ -s $ready ]] && { echo "$display $pid"; return; }
      is_running "$pid" || break
      sleep 0.05
    done
    is_running "$pid" && kill "$pid"
  done
  return 1
}
first_display=90 last_display=120
read -r display xvfb_pid < <(start_xvfb) ||
  fail "Xvfb could not be started on any free display :$first_display..:$last_display (see $state/xvfb.log)"
DISPLAY=:$display xdpyinfo >/dev/null 2>&1 || fail "Xvfb on :$display does not accept connections"

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
# A virtual desktop stands in for the missing window manager: without one
# every GUI process waits about 2.5 s at exit. Without the crash dialog a
# crashing test prints a backtrace and ends instead of waiting for a click.
cat >"$state/prefix-settings.reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
EOF
(cd "$state" && background wine reg import prefix-settings.reg) ||
  fail "could not import the prefix settings (see $wine_log)"
wineserver -k
wineserver -w

# A persistent wineserver, booted here, keeps the services for the whole run
# instead of starting them again inside some test.
background wineserver --persistent || fail "wineserver did not start (see $wine_log)"
background wineboot || fail "wineboot failed after the restart (see $wine_log)"

# The desktop is opened here too, and kept open by an idle user of its own
# (cmd waiting for input from a FIFO that never delivers any): Wine closes a
# desktop 1 s after its last user leaves, and a desktop opened again inside a
# test inherits that test's stdout and holds ctest's pipe until it closes.
mkfifo "$state/idle"
setsid wine explorer /desktop=Default,1024x768 cmd /c pause \
  <>"$state/idle" >>"$wine_log" 2>&1 &
for _ in $(seq 100); do
  xwininfo -root -tree | grep -q '"Default - Wine desktop"' && break
  sleep 0.1
done
xwininfo -root -tree | grep -q '"Default - Wine desktop"' ||
  fail "the Wine desktop did not appear on $DISPLAY (see $wine_log)"

echo "wine setup: prefix $WINEPREFIX on display $DISPLAY"
