#!/usr/bin/env bash
# Installs what is missing, builds LUMCFG.EXE and runs it under Wine.
# With a display (DISPLAY set) the settings dialog opens there and the exit
# code is printed when you close it. Without one, the dialog runs in a Wine
# virtual desktop on a private Xvfb display: a screenshot is saved next to
# the build and the dialog is closed with Cancel, so nothing is written.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUM_BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh"
LUM_BUILD_DIR=$build bash "$root/scripts/build.sh" >/dev/null
. "$root/scripts/testbed.sh"

if [ -n "${DISPLAY:-}" ] && [ "${LUM_XVFB:-0}" != 1 ]; then
  user_display=$DISPLAY
  trap testbed_stop EXIT
  testbed_start "$build"
  # The prefix is ready; the program itself goes to the user's display.
  export DISPLAY=$user_display
  echo "Running LUMCFG.EXE under Wine on display $DISPLAY; close the dialog to end."
  rc=0
  wine "$build/LUMCFG.EXE" </dev/null >"$build/lumcfg.log" 2>&1 || rc=$?
  echo "LUMCFG.EXE exit code: $rc"
  exit 0
fi

trap testbed_stop EXIT
testbed_start "$build"
shot="$build/lumcfg-dialog.png"
echo "No display: running LUMCFG.EXE in a Wine virtual desktop on Xvfb $DISPLAY."
wine explorer /desktop=LUMCFG,480x300 "$build/LUMCFG.EXE" </dev/null >"$build/lumcfg.log" 2>&1 &
desktop_pid=$!

# The dialog is up once the screen shows many colours and stops changing.
previous=-1
shown=0
for _ in $(seq 1 240); do
  colours=$(python3 "$root/scripts/screenshot.py" "$DISPLAY" "$shot")
  if [ "$colours" -gt 8 ] && [ "$colours" = "$previous" ]; then
    shown=1
    break
  fi
  previous=$colours
  sleep 0.5
done
if [ $shown = 0 ]; then
  echo "The dialog did not appear; see $build/lumcfg.log" >&2
  kill "$desktop_pid" 2>/dev/null || true
  exit 1
fi
echo "Screenshot of the settings dialog: $shot"

# Escape is the dialog's Cancel: nothing is written to the registry.
desktop=$(xdotool search --name 'LUMCFG' | head -n 1)
xdotool windowfocus --sync "$desktop" key Escape
for _ in $(seq 1 120); do
  kill -0 "$desktop_pid" 2>/dev/null || break
  sleep 0.5
done
if kill -0 "$desktop_pid" 2>/dev/null; then
  echo "The dialog did not close on Escape." >&2
  kill "$desktop_pid" 2>/dev/null || true
  exit 1
fi
echo "Closed with Cancel; nothing was written."
