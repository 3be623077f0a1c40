#!/usr/bin/env bash
# Runs the whole suite many times on one test bed, to make races show, and
# prints per test how many runs failed and how many retries the launcher
# printed. Not part of the test command.
#
#   bash scripts/stress.sh [-n RUNS] [--busy] [-- CTEST-ARGUMENTS...]
#
#   -n RUNS   how many full runs (default 10)
#   --busy    keeps every processor busy meanwhile (stress-ng, one worker a
#             processor), so that Wine's processes and the tests' own
#             threads are scheduled late and in odd orders
# The log of each run is kept in build/stress/run-N.log; the summary in
# build/stress/summary.txt. Exits non-zero when any run failed or any retry
# was printed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUM_BUILD_DIR:-$root/build}
runs=10
busy=0
while [ $# -gt 0 ]; do
  case $1 in
    -n) runs=$2; shift 2 ;;
    --busy) busy=1; shift ;;
    --) shift; break ;;
    *) echo "usage: $0 [-n RUNS] [--busy] [-- CTEST-ARGUMENTS...]" >&2; exit 2 ;;
  esac
done

bash "$root/scripts/setup.sh"
if [ "$busy" = 1 ] && ! command -v stress-ng >/dev/null; then
  . "$root/scripts/setup.sh"
  install_packages stress-ng
fi
LUM_BUILD_DIR=$build bash "$root/scripts/build.sh" >/dev/null
. "$root/scripts/testbed.sh"
load=
finish() {
  [ -z "$load" ] || kill "$load" 2>/dev/null || true
  testbed_stop
}
trap finish EXIT
testbed_start "$build"
if [ "$busy" = 1 ]; then
  stress-ng --cpu "$(nproc)" --cpu-method all --quiet >/dev/null 2>&1 &
  load=$!
fi

out="$build/stress"
rm -rf "$out"
mkdir -p "$out"
declare -A failed=()
failed_runs=0
retries=0
for run in $(seq 1 "$runs"); do
  log="$out/run-$run.log"
  rc=0
  (cd "$build" && ctest --output-on-failure --timeout 600 "$@") >"$log" 2>&1 || rc=$?
  # CTest hides a passing test's output; its full log keeps every line.
  cp "$build/Testing/Temporary/LastTest.log" "$out/run-$run.full.log" 2>/dev/null || true
  run_retries=$(cat "$out/run-$run.full.log" "$log" 2>/dev/null |
    grep -c -E '^retrying |attempt [0-9] failed; again' || true)
  retries=$((retries + run_retries))
  names=$(sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (.*)$/\1/p' "$log")
  cases=$(grep -h -o -E '^\[  FAILED  \] [A-Za-z0-9_/.]+$' "$log" | sort -u |
    sed 's/^\[  FAILED  \] //' || true)
  for name in $names $cases; do
    failed[$name]=$((${failed[$name]:-0} + 1))
  done
  if [ "$rc" != 0 ]; then
    failed_runs=$((failed_runs + 1))
  fi
  echo "run $run of $runs: $([ "$rc" = 0 ] && echo passed || echo "FAILED: $(echo $names)")," \
       "$run_retries retries printed, $(sed -n 's/^Total Test time (real) = *//p' "$log")"
done

{
  echo "runs: $runs$([ "$busy" = 1 ] && echo ', processors busy'), failed: $failed_runs," \
       "retries printed: $retries"
  if [ ${#failed[@]} -eq 0 ]; then
    echo "no test failed"
  else
    echo "failures per test (CTest tests, then GoogleTest cases):"
    for name in "${!failed[@]}"; do
      printf '%5d  %s\n' "${failed[$name]}" "$name"
    done | sort -k2
  fi
} | tee "$out/summary.txt"
[ "$failed_runs" = 0 ] && [ "$retries" = 0 ]
