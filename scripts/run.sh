#!/usr/bin/env bash
# Installs what is missing, builds LUMCFG.EXE and runs it under Wine.
# With a display (DISPLAY set) the settings dialog opens there and the exit
# code is printed when you close it. Without one, the dialog runs on a
# private Xvfb display: a screenshot is saved next to the build and the
# dialog is closed with Cancel (Escape), so nothing is written.
# LUM_WINDOWS_VERSION=nt351 (or win31, win95, ...) makes Wine report that
# Windows version to LUMCFG.EXE alone for the run. LUM_LANG=en runs it as on
# an English system (locale en_US.UTF-8, code page 1252): the tool then shows
# its English resources and help. LUM_DPI=144 (or another DPI) runs it at that
# system DPI. The tool is started as a double-click in the shell starts it
# (Wine's start command, which calls ShellExecuteEx): on Windows Vista and
# later that brings up the elevation prompt its manifest asks for.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUM_BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh"
LUM_BUILD_DIR=$build bash "$root/scripts/build.sh" --target LUMCFG >/dev/null
. "$root/scripts/testbed.sh"

# The tool's own locale, set after the test bed has started under Japanese.
tool_locale() {
  case "${LUM_LANG:-ja}" in
    ja) ;;
    en) export LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 ;;
    *) echo "LUM_LANG must be ja or en" >&2; exit 2 ;;
  esac
}

if [ -n "${DISPLAY:-}" ] && [ "${LUM_XVFB:-0}" != 1 ]; then
  user_display=$DISPLAY
  trap testbed_stop EXIT
  testbed_start "$build"
  # The prefix is ready; the program itself goes to the user's display.
  export DISPLAY=$user_display
  tool_locale
  echo "Running LUMCFG.EXE under Wine on display $DISPLAY; close the dialog to end."
  rc=0
  wine start /wait /unix "$build/LUMCFG.EXE" </dev/null >"$build/lumcfg.log" 2>&1 || rc=$?
  echo "LUMCFG.EXE exit code: $rc"
  exit 0
fi

# The Windows version Wine reports to LUMCFG.EXE alone, and the system DPI
# (which Wine reads when a process starts), for this run.
version_key='HKCU\Software\Wine\AppDefaults\LUMCFG.EXE'
dpi_key='HKCU\Control Panel\Desktop'
set_version() {
  if [ -n "${LUM_WINDOWS_VERSION:-}" ]; then
    timeout 120 wine reg add "$version_key" /v Version /d "$LUM_WINDOWS_VERSION" /f \
      </dev/null >/dev/null 2>&1 || true
  fi
  if [ -n "${LUM_DPI:-}" ]; then
    timeout 120 wine reg add "$dpi_key" /v LogPixels /t REG_DWORD /d "$LUM_DPI" /f \
      </dev/null >/dev/null 2>&1 || true
  fi
}
clear_version() {
  if [ -n "${LUM_WINDOWS_VERSION:-}" ]; then
    timeout 120 wine reg delete "$version_key" /v Version /f </dev/null >/dev/null 2>&1 || true
  fi
  if [ -n "${LUM_DPI:-}" ]; then
    timeout 120 wine reg delete "$dpi_key" /v LogPixels /f </dev/null >/dev/null 2>&1 || true
  fi
  testbed_stop
}

trap clear_version EXIT
testbed_start "$build"
set_version
tool_locale
suffix=${LUM_WINDOWS_VERSION:+-$LUM_WINDOWS_VERSION}${LUM_DPI:+-${LUM_DPI}dpi}
if [ "${LUM_LANG:-ja}" = en ]; then
  suffix="$suffix-en"
fi
shot="$build/lumcfg-dialog$suffix.png"
echo "No display: running LUMCFG.EXE on a private Xvfb display ($DISPLAY)."
# Wine draws the frame and caption itself (the prefix has no window manager).
# Starts the tool and waits until its dialog is on the screen: many colors
# that stop changing.
start_tool() {
  wine start /wait /unix "$build/LUMCFG.EXE" </dev/null >"$build/lumcfg.log" 2>&1 &
  tool_pid=$!
  local previous=-1 colors
  for _ in $(seq 1 240); do
    kill -0 "$tool_pid" 2>/dev/null || return 1
    colors=$(bash "$root/scripts/screenshot.sh" "$DISPLAY" --colors)
    if [ "$colors" -gt 8 ] && [ "$colors" = "$previous" ]; then
      return 0
    fi
    previous=$colors
    sleep 0.5
  done
  kill "$tool_pid" 2>/dev/null || true
  return 1
}
# A Wine process under an emulator now and then fails to start: once more.
if ! start_tool && ! start_tool; then
  echo "The dialog did not appear; see $build/lumcfg.log" >&2
  exit 1
fi
bash "$root/scripts/screenshot.sh" "$DISPLAY" "$shot"
echo "Screenshot of the settings dialog: $shot"

# Escape is the dialog's Cancel: nothing is written to the registry.
xdotool key Escape
rc=0
for _ in $(seq 1 120); do
  kill -0 "$tool_pid" 2>/dev/null || break
  sleep 0.5
done
if kill -0 "$tool_pid" 2>/dev/null; then
  echo "The dialog did not close on Escape." >&2
  kill "$tool_pid" 2>/dev/null || true
  exit 1
fi
wait "$tool_pid" || rc=$?
echo "Closed with Cancel (Escape); nothing was written. LUMCFG.EXE exit code: $rc"
