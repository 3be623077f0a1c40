#!/usr/bin/env bash
# Long reliability runs, outside the regular test command: About and Help
# opened and closed 1000 times each and the whole settings dialog 200 times in
# one process, printing memory and handle counts along the way, and the
# allocation-failure sweep once more.
# LUM_LONG_SECONDARY and LUM_LONG_DIALOG change the counts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUM_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" --target reliability_tests
# shellcheck source=testbed.sh
. "$root/scripts/testbed.sh"
trap testbed_stop EXIT
testbed_start "$build"
log="$build/reliability-long.log"
status=0
(cd "$build/tests" &&
  timeout 7200 wine ./reliability_tests.exe --gtest_color=no --gtest_also_run_disabled_tests \
    --gtest_filter='AllocationFailureTest.*:LongRun.*' </dev/null >"$log" 2>&1) || status=$?
cat "$log"
echo "long run: exit $status (log: $log)"
exit "$status"
