#!/usr/bin/env bash
# The Wine launcher's decisions, with stand-in programs run by bash instead of
# Wine: which failures it runs again, and which it reports at once.
set -uo pipefail
launcher=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/lum-launcher-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Retries happen only under the emulator: most cases run as there.
export LUM_WINE=bash LUM_WINE_START_SECONDS=1 LUM_EMULATED=1
# A crash there from before a run is not the run's.
export LUM_WINE_HELPER_LOG="$work/helpers.log"
echo "qemu: uncaught target signal 11 (Segmentation fault) - core dumped" >"$LUM_WINE_HELPER_LOG"
failures=0

# A stand-in: $1 counts its runs; the body sees the run number as $run.
program() {
  {
    echo 'count=$1; echo x >>"$count"; run=$(wc -l <"$count")'
    cat
  } >"$work/$1.sh"
}
marker='echo "[==========] Running 1 test from 1 test suite."'
program never_starts <<<'kill -SEGV $$'
program starts_second <<EOF2
if [ \$run = 1 ]; then echo "qemu: uncaught target signal 11 (Segmentation fault)" >&2; kill -SEGV \$\$; fi
$marker; echo "[  PASSED  ] 1 test."
EOF2
program hangs_first <<EOF2
if [ \$run = 1 ]; then exec sleep 30; fi
$marker
EOF2
program fails <<EOF2
$marker; echo "case.cpp:7: Failure"; exit 1
EOF2
program crashes <<EOF2
$marker; kill -SEGV \$\$
EOF2
program helper_crash_first <<EOF2
if [ \$run = 1 ]; then echo "qemu: uncaught target signal 11 (Segmentation fault) - core dumped" >&2; $marker; echo "case.cpp:9: Failure"; exit 1; fi
$marker; echo "[  PASSED  ] 1 test."
EOF2
program helper_crash_midrun <<EOF2
$marker; echo "qemu: uncaught target signal 11 (Segmentation fault) - core dumped" >&2; echo "case.cpp:3: Failure"; exit 1
EOF2
program helper_crash_passes <<EOF2
$marker; echo "qemu: uncaught target signal 11 (Segmentation fault) - core dumped" >&2; exit 0
EOF2
program desktop_crash_first <<EOF2
if [ \$run = 1 ]; then $marker; echo "qemu: uncaught target signal 6 (Aborted) - core dumped" >>"\$LUM_WINE_HELPER_LOG"; echo "case.cpp:5: Failure"; exit 1; fi
$marker; echo "[  PASSED  ] 1 test."
EOF2
program fails_after_old_crash <<EOF2
$marker; echo "case.cpp:8: Failure"; exit 1
EOF2
program slow <<EOF2
$marker; sleep 2; echo done
EOF2
program plain_ok <<<'exit 0'
program passed_then_signal <<EOF2
$marker; echo "[  PASSED  ] 1 test."; kill -SEGV \$\$
EOF2
program passed_then_exception <<EOF2
$marker; echo "[  PASSED  ] 1 test."
echo "wine: Unhandled page fault on read access to 00000000 at address 00401000 (thread 0024)" >&2
exit 5
EOF2
program plain_error <<<'echo "no such key" >&2; exit 1'

# expect NAME STATUS RUNS RETRY-LINES [TEXT THE OUTPUT MUST HOLD]
expect() {
  local name=$1 want_status=$2 want_runs=$3 want_retries=$4 want_text=${5:-} status runs retries
  rm -f "$work/$name.count"
  "$launcher" "$work/$name.sh" "$work/$name.count" >"$work/$name.out" 2>&1
  status=$?
  runs=$(wc -l <"$work/$name.count")
  retries=$(grep -c "^retrying $name.sh: \(Wine did not start it\|the emulator crashed a Wine process during the run\) (" "$work/$name.out")
  if [ "$status" != "$want_status" ] || [ "$runs" != "$want_runs" ] ||
     [ "$retries" != "$want_retries" ] ||
     { [ -n "$want_text" ] && ! grep -qF -- "$want_text" "$work/$name.out"; }; then
    echo "FAIL $name: status $status runs $runs retries $retries;" \
         "wanted $want_status $want_runs $want_retries${want_text:+ and \"$want_text\"}"
    sed 's/^/    /' "$work/$name.out"
    failures=$((failures + 1))
  else
    echo "ok   $name: status $status after $runs run(s)"
  fi
}

expect never_starts 139 3 2 "never_starts.sh: Wine did not start it in 3 attempts (ended by signal 11"
expect starts_second 0 2 1 "(ended by signal 11, output: qemu: uncaught target signal 11"
expect hangs_first 0 2 1 "(no GoogleTest output within 1 s, no output)"
expect fails 1 1 0 "case.cpp:7: Failure"
expect crashes 139 1 0 "[==========] Running"
expect helper_crash_first 0 2 1 "the emulator crashed a Wine process during the run (qemu: uncaught"
expect helper_crash_midrun 1 3 2 "case.cpp:3: Failure"
expect helper_crash_passes 0 1 0
expect desktop_crash_first 0 2 1 "during the run (a helper process: qemu: uncaught target signal 6"
expect fails_after_old_crash 1 1 0 "case.cpp:8: Failure"
expect slow 0 1 0 "done"
expect plain_ok 0 1 0
expect plain_error 1 1 0 "no such key"
expect passed_then_signal 139 1 0 "passed_then_signal.sh: every case passed, but the Wine process was ended by signal 11"
expect passed_then_exception 5 1 0 "passed_then_exception.sh: Wine: wine: Unhandled page fault on read access"

# Where i386 code runs natively nothing is run again: a failed start is a
# fault to find.
export LUM_EMULATED=0
expect never_starts 139 1 0 "never_starts.sh: Wine did not start it (ended by signal 11"
expect hangs_first 124 1 0 "hangs_first.sh: Wine did not start it (no GoogleTest output within 1 s"
expect helper_crash_first 1 1 0 "case.cpp:9: Failure"
exit $((failures > 0))
