#!/usr/bin/env bash
# CTest's launcher of the Windows test programs: runs one under Wine.
# Under the i386 emulator Wine now and then fails to start a process: it
# crashes or hangs before the program prints a line; or the emulator crashes
# one of Wine's own processes (the desktop's, say) while the program runs, and
# the program, which itself ended normally, fails for want of it: no window
# can be made after that. Only these are run again, at most twice, each
# retry said, and only under the emulator: where i386 code runs natively
# every result is taken as it is. Any other result is taken as it is too (a
# program the emulator itself crashed ends by a signal and is not run again).
# A program that passed every case and still failed says how it ended.
#   LUM_WINE                the Wine command (default: wine)
#   LUM_WINE_HELPER_LOG     where Wine's helper processes write (the test bed's)
#   LUM_WINE_START_SECONDS  how long a start may take before it counts as hung
#   LUM_EMULATED            1 where Wine runs under the i386 emulator (the test bed's)
set -uo pipefail
if [ $# -eq 0 ]; then
  echo "usage: $0 PROGRAM [ARGUMENT...]" >&2
  exit 2
fi
wine=${LUM_WINE:-wine}
limit=${LUM_WINE_START_SECONDS:-60}
attempts=1
if [ "${LUM_EMULATED:-0}" = 1 ]; then
  attempts=3
fi
name=$(basename "$1")
# The program writes to a file, never to CTest's pipe: Wine's helper
# processes may keep a pipe they inherit open for as long as the wineserver
# runs. tail passes the file on as it grows, so a test that runs into its
# time-out still shows how far it got.
log=$(mktemp "${TMPDIR:-/tmp}/lum-wine-test.XXXXXX")
pid=
follower=
cleanup() {
  if [ -n "$pid" ]; then
    kill -9 "$pid" 2>/dev/null
  fi
  if [ -n "$follower" ]; then
    kill "$follower" 2>/dev/null
  fi
  rm -f "$log"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

# One run. Sets status, started (the GoogleTest marker was printed) and
# hung (no marker within the start limit: the process was ended).
run_once() {
  started=0 hung=0 status=0
  helper_from=$(helper_log_size)
  "$wine" "$@" </dev/null >"$log" 2>&1 &
  pid=$!
  tail -s 0.1 -c +1 -f --pid="$pid" "$log" &
  follower=$!
  local deadline=$((${EPOCHREALTIME/./} + limit * 1000000))
  while kill -0 "$pid" 2>/dev/null; do
    if grep -qF '[==========] Running' "$log"; then
      started=1
      break
    fi
    if [ "${EPOCHREALTIME/./}" -ge "$deadline" ]; then
      hung=1
      kill -9 "$pid" 2>/dev/null
      break
    fi
    sleep 0.1
  done
  wait "$pid" 2>/dev/null
  status=$?
  pid=
  wait "$follower"
  follower=
  if [ "$started" = 0 ] && grep -qF '[==========] Running' "$log"; then
    started=1
  fi
}

helper_log_size() {
  if [ -n "${LUM_WINE_HELPER_LOG:-}" ] && [ -f "$LUM_WINE_HELPER_LOG" ]; then
    stat -c %s "$LUM_WINE_HELPER_LOG"
  else
    echo 0
  fi
}

# The emulator's line about a Wine process it crashed during the run: in the
# program's output, or in what the helper processes wrote meanwhile.
emulator_crash_line() {
  {
    grep -m1 -F 'qemu: uncaught target signal' "$log"
    if [ -n "${LUM_WINE_HELPER_LOG:-}" ] && [ -f "$LUM_WINE_HELPER_LOG" ]; then
      tail -c +$((helper_from + 1)) "$LUM_WINE_HELPER_LOG" |
        grep -m1 -F 'qemu: uncaught target signal' | sed 's/^/a helper process: /'
    fi
  } | head -n1 | cut -c1-160
}

# What a failed start left: its first line of output, if any.
seen() {
  local first
  first=$(grep -m1 -v '^[[:space:]]*$' "$log" | cut -c1-160)
  if [ "$hung" = 1 ]; then
    printf 'no GoogleTest output within %s s' "$limit"
  elif [ "$status" -gt 128 ]; then
    printf 'ended by signal %d' $((status - 128))
  else
    printf 'exit status %d' "$status"
  fi
  if [ -n "$first" ]; then
    printf ', output: %s' "$first"
  else
    printf ', no output'
  fi
}

# How a program that printed GoogleTest's PASSED line still failed: its exit
# status or signal, and the exception Wine reported, if it did.
report_failed_exit() {
  grep -qF '[  PASSED  ]' "$log" && ! grep -qF '[  FAILED  ]' "$log" || return 0
  if [ "$status" -gt 128 ]; then
    echo "$name: every case passed, but the Wine process was ended by signal $((status - 128))"
  else
    echo "$name: every case passed, but the program ended with exit status $status"
  fi
  grep -m3 -E 'Unhandled|exception code|^err:seh' "$log" | cut -c1-200 | sed "s/^/$name: Wine: /"
}

for attempt in $(seq 1 $attempts); do
  run_once "$@"
  # A signal or a hang before the first line is Wine failing to start it;
  # anything else is the program's own result.
  crash=
  if [ "$started" = 1 ] && [ "$status" -ge 1 ] && [ "$status" -le 128 ]; then
    crash=$(emulator_crash_line)
  fi
  if [ -n "$crash" ]; then
    if [ "$attempt" -lt $attempts ]; then
      echo "retrying $name: the emulator crashed a Wine process during the run ($crash)"
      continue
    fi
    exit "$status"
  fi
  if [ "$started" = 1 ] || { [ "$hung" = 0 ] && [ "$status" -le 128 ]; }; then
    [ "$status" = 0 ] || report_failed_exit
    exit "$status"
  fi
  if [ "$attempt" -lt $attempts ]; then
    echo "retrying $name: Wine did not start it ($(seen))"
  fi
done
if [ "$attempts" = 1 ]; then
  echo "$name: Wine did not start it ($(seen))"
else
  echo "$name: Wine did not start it in $attempts attempts ($(seen))"
fi
if [ "$hung" = 1 ]; then
  exit 124
fi
exit "$status"
