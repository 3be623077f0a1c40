#!/usr/bin/env bash
# Builds and runs the dispatch benchmark under Wine and Xvfb and prints its
# tables. Arguments go to the program: [rounds (15)] [ms per block (100)].
# Its own build folder (default: build-bench/) leaves build/ alone.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUM_BUILD_DIR:-$root/build-bench}
bash "$root/scripts/setup.sh"
start=$(date +%s)
# Only the framework and the benchmark: no tests, no program.
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
      -DLUM_BUILD_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target dispatch_bench
echo "build: $(( $(date +%s) - start )) s"
. "$root/scripts/testbed.sh"
trap testbed_stop EXIT
testbed_start "$build"
start=$(date +%s)
rc=0
# A hung run must still end, and the trap still stop the test bed.
timeout 3600 wine "$build/bench/dispatch_bench.exe" "$@" </dev/null || rc=$?
echo "benchmark: $(( $(date +%s) - start )) s (exit code $rc)"
exit $rc
