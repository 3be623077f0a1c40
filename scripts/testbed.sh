# Sourced by the run and test scripts: a private Wine prefix inside the build
# tree, an Xvfb display and a persistent wineserver, and how to stop them.

# $1: the build folder, as an absolute path.
testbed_env() {
  export WINEPREFIX="$1/wineprefix"
  export WINEARCH=win32
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  # Code page 932: the program's text is Shift-JIS, as on a Japanese Windows.
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  # Set where i386 code runs under the emulator (scripts/setup.sh decides):
  # only there does the test launcher run a program again that Wine failed.
  LUM_EMULATED=0
  if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    LUM_EMULATED=1
    export QEMU_RESERVED_VA=0x7fff0000
  fi
  export LUM_EMULATED
}

# Under the i386 emulator a Wine process now and then crashes or hangs at
# start: runs a step ($2...) up to three times, each failure said under the
# step's name ($1).
testbed_retry() {
  local what=$1 attempt
  shift
  for attempt in 1 2 3; do
    "$@" && return 0
    echo "testbed: $what attempt $attempt failed; again" >&2
  done
  return 1
}

# The prefix's settings: no window manager wait on every closed window, and
# Japanese faces for the dialog font and the caption font.
testbed_prefix_settings() {
  local reg="$WINEPREFIX/lum-settings.reg"
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n\r\n'
    # A crashing test prints its backtrace and ends instead of waiting on a dialog.
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n'
    printf '"MS UI Gothic"="IPAPGothic"\r\n"Tahoma"="IPAPGothic"\r\n'
    printf '"MS Shell Dlg"="IPAPGothic"\r\n"MS Sans Serif"="IPAPGothic"\r\n\r\n'
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
  testbed_retry "prefix settings" testbed_import "$reg" || true
  # Caption buttons are drawn with this symbol font; Wine finds it only in
  # the prefix's own font folder.
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
}

testbed_import() {
  timeout 120 wine regedit /S "Z:${1//\//\\}" </dev/null >/dev/null 2>&1 && return 0
  testbed_kill_prefix
  return 1
}

# Every process that runs in this prefix, the wineserver included.
testbed_kill_prefix() {
  wineserver -k >/dev/null 2>&1 || true
  local pid
  for pid in $(pgrep -f 'wine' 2>/dev/null); do
    if tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qx "WINEPREFIX=$WINEPREFIX"; then
      kill -9 "$pid" 2>/dev/null || true
    fi
  done
}

# A Wine helper that crashes during the first start leaves wineboot waiting
# for ever: each attempt is bounded and starts from an empty prefix.
testbed_make_prefix() {
  testbed_retry "Wine prefix" testbed_boot_prefix "$1" && return 0
  echo "testbed: could not create the Wine prefix" >&2
  return 1
}

testbed_boot_prefix() {
  testbed_kill_prefix
  rm -rf "$WINEPREFIX"
  timeout 300 wineboot -i </dev/null >"$1/wineboot.log" 2>&1 &&
    timeout 120 wineserver -w &&
    [ -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ] &&
    timeout 120 wine cmd /c exit </dev/null >/dev/null 2>&1 || return 1
  timeout 60 wineserver -w || true
  touch "$WINEPREFIX/.lum-ready"
}

testbed_start() {
  mkdir -p "$1"
  local build
  build=$(cd "$1" && pwd)
  testbed_env "$build"
  # Xvfb takes the first free display itself and names it once it listens.
  local named="$build/xvfb.display"
  : >"$named"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$named" >"$build/xvfb.log" 2>&1 &
  TESTBED_XVFB_PID=$!
  for _ in $(seq 1 100); do [ -s "$named" ] && break; sleep 0.1; done
  export DISPLAY=":$(tr -d '[:space:]' <"$named")"
  if [ ! -f "$WINEPREFIX/.lum-ready" ]; then
    testbed_make_prefix "$build"
  fi
  # Bump the number when the settings change, so existing prefixes get them.
  if [ ! -f "$WINEPREFIX/.lum-settings-3" ]; then
    testbed_prefix_settings
    timeout 120 wineserver -w || true
    touch "$WINEPREFIX/.lum-settings-3"
  fi
  # Wine's helper processes write to this file, never to a test runner's
  # pipes, which they would hold open; the test launcher reads in it what
  # the emulator did to them during a run.
  export LUM_WINE_HELPER_LOG="$build/wine-helpers.log"
  : >"$LUM_WINE_HELPER_LOG"
  local keeper="$build/tests/lum_desktop_keeper.exe"
  [ -f "$keeper" ] || keeper=
  testbed_retry "Wine session" testbed_start_session "$keeper" ||
    echo "testbed: Wine did not start cleanly; tests go on without the desktop keeper" >&2
}

# The wineserver, Wine's helper processes (a throwaway process starts them)
# and, when built, the desktop keeper ($1). The keeper holds Wine's desktop
# for the whole run. Without a holder the desktop closes a second after each
# test program ends, and the next one starts the desktop's process again;
# under the emulator that process now and then crashes before it makes the
# desktop window, and the program that started it can then make no window
# at all. A helper that crashed at start can leave the wineserver starting
# no process at all, so a failed attempt ends the whole session and the
# next one starts from a fresh wineserver.
testbed_start_session() {
  # Already running after a fresh prefix: then it simply stays.
  wineserver -p </dev/null >/dev/null 2>&1 || true
  if timeout 120 wine cmd /c exit </dev/null >>"$LUM_WINE_HELPER_LOG" 2>&1 &&
    { [ -z "$1" ] || testbed_start_keeper "$1"; }; then
    return 0
  fi
  testbed_kill_prefix
  return 1
}

testbed_start_keeper() {
  local _ pid
  wine "$1" </dev/null >>"$LUM_WINE_HELPER_LOG" 2>&1 &
  pid=$!
  for _ in $(seq 1 600); do
    grep -q 'desktop keeper: ready' "$LUM_WINE_HELPER_LOG" && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
  return 1
}

testbed_stop() {
  testbed_kill_prefix
  if [ -n "${TESTBED_XVFB_PID:-}" ]; then
    kill "$TESTBED_XVFB_PID" 2>/dev/null || true
    wait "$TESTBED_XVFB_PID" 2>/dev/null || true
    TESTBED_XVFB_PID=
  fi
}
