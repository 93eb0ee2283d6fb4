#!/bin/bash
# Runs Ambrel under Wine on the bundled sample installation, in a scratch
# copy so the sample stays as it is, and prints morrowind.ini before and
# after. With a display and a terminal the dialog is yours to use. Without
# (or with --headless) it runs on a private Xvfb, is driven through About and
# Update, and PNG screenshots of the three screens are saved.
#   tools/run-sample.sh [--headless] [--screenshots DIR] [--dpi N]
# DIR defaults to build/sample-run. --dpi runs the program at N DPI (96, the
# default, is 100 % scaling; 144 is 150 %), in a desktop that much larger;
# the screenshots of another DPI than 96 are named main-<N>dpi.png and so on.
set -euo pipefail
cd "$(dirname "$0")/.."

headless=0
shots=build/sample-run
dpi=96
usage() { echo "usage: $0 [--headless] [--screenshots DIR] [--dpi N]" >&2; exit 2; }
while (($#)); do
  case $1 in
    --headless) headless=1 ;;
    --screenshots) (($# > 1)) || usage; shots=$2; shift ;;
    --dpi) [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || usage; dpi=$2; shift ;;
    *) usage ;;
  esac
  shift
done
# Pixels at this DPI for a size at 96.
scaled() { echo $(($1 * dpi / 96)); }
suffix=
((dpi == 96)) || suffix=-${dpi}dpi
[[ -n ${DISPLAY:-} && -t 0 && -z ${CI:-} ]] || headless=1

tools/bootstrap.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target ambrel >/dev/null
exe=$PWD/build/win32/app/ambrel.exe

scratch=$(mktemp -d)
cleanup() {
  tools/wine/teardown.sh "$scratch/wine" >/dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap cleanup EXIT
cp -r sample "$scratch/Morrowind"
ini=$scratch/Morrowind/morrowind.ini

user_display=${DISPLAY:-}
tools/wine/setup.sh "$scratch/wine" >/dev/null
# shellcheck source=/dev/null
source "$scratch/wine/env"
((headless)) || export DISPLAY=$user_display

# The game's 32-bit installer writes the 32-bit view of the registry. In a
# fresh prefix a path through Wow6432Node does not reach that view; /reg:32 does.
wine reg add 'HKLM\Software\Bethesda Softworks\Morrowind' /v 'Installed Path' \
  /t REG_SZ /d "$(winepath -w "$scratch/Morrowind")" /f /reg:32 >/dev/null 2>&1
# Read by every Wine process when it starts.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1

show_ini() {
  echo "== morrowind.ini $1"
  iconv -f CP1251 -t UTF-8 "$ini" | tr -d '\r'
  echo
}
show_ini before

# Names in the INI file are Windows-1251, as on a Russian Windows.
export LANG=ru_RU.UTF-8
# A desktop window of its own gives the dialogs a frame to be seen in.
desktop="Ambrel - Wine desktop"
wine explorer /desktop="Ambrel,$(scaled 560)x$(scaled 340)" "$exe" >/dev/null 2>&1 &
ambrel=$!

if ((!headless)); then
  wait "$ambrel"
  show_ini after
  exit 0
fi

# Waits until a window of this title is shown (or, with "gone", no longer).
wait_for() {
  for _ in $(seq 150); do
    if xwininfo -root -tree 2>/dev/null | grep -qF "\"$1\": ("; then
      [[ ${2:-} == gone ]] || { sleep 0.5; return; }
    else
      [[ ${2:-} == gone ]] && return
    fi
    sleep 0.2
  done
  echo "run-sample: timed out waiting for \"$1\" ${2:-}" >&2
  exit 1
}
shoot() {
  import -window "$(xwininfo -root -tree | grep -F "\"$desktop\"" | awk '{print $1}')" "$shots/$1$suffix.png"
  echo "screenshot: $shots/$1$suffix.png"
}

mkdir -p "$shots"
wait_for "Ambrel — регистрация архивов BSA"
# Without a window manager nothing activates the dialog: a click on its
# title bar does, and the keyboard then follows the pointer there.
xdotool mousemove "$(scaled 120)" "$(scaled 46)" click 1
sleep 0.5
shoot main
# The focus starts on Update: four tabs reach About.
xdotool key Tab Tab Tab Tab space
wait_for "О программе Ambrel"
shoot about
xdotool key Return
wait_for "О программе Ambrel" gone
# From About, one tab goes round to Update.
xdotool key Tab space
wait_for "Ambrel"
shoot confirmation
xdotool key Return
for _ in $(seq 100); do kill -0 "$ambrel" 2>/dev/null || break; sleep 0.2; done
show_ini after
