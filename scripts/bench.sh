#!/usr/bin/env bash
# Builds and runs every benchmark under Wine and Xvfb and prints one table of
# results, each line with its target, then the scaling tables. Arguments go
# to the dispatch benchmark: [rounds (15)] [ms per block (100)]. Environment:
# LUM_BENCH_PAIRS (15), LUM_BENCH_ABOUT (200), LUM_BENCH_IDLE_S (5),
# LUM_BENCH_PARTS (default "size start scaling dispatch"). Its own build
# folder (default: build-bench/) leaves build/ alone; full output of each
# part stays in <build>/bench-logs/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUM_BUILD_DIR:-$root/build-bench}
parts=${LUM_BENCH_PARTS:-size start scaling dispatch}
bash "$root/scripts/setup.sh"
start=$(date +%s)
# The framework, the program, the baseline and the benchmarks: no tests.
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
      -DLUM_BUILD_BENCH=ON -DBUILD_TESTING=OFF --no-warn-unused-cli >/dev/null
cmake --build "$build" -j"$(nproc)" --target dispatch_bench scaling_bench lum_launcher \
      LUMCFG >"$build/bench-build.log" 2>&1 || { cat "$build/bench-build.log"; exit 1; }
echo "build: $(( $(date +%s) - start )) s"
logs=$build/bench-logs
rm -rf "$logs"
mkdir -p "$logs"

want() { [[ " $parts " == *" $1 "* ]]; }

rc=0
if want size; then
  # Debian's interpreter, whose python3-pefile reads the program.
  /usr/bin/python3 "$root/bench/size_report.py" "$build/LUMCFG.EXE" "$build/bench/lum_baseline.exe" \
          "$build/program/LUMCFG.map" >"$logs/size.log" || rc=1
fi

. "$root/scripts/testbed.sh"
trap testbed_stop EXIT
testbed_start "$build"

# One part under Wine, its output to a log; a hung run must still end, and
# the trap still stop the test bed.
run_part() {
  local name=$1 limit=$2
  shift 2
  local t=$(date +%s) code=0
  timeout "$limit" wine "$@" </dev/null >"$logs/$name.log" 2>&1 || code=$?
  echo "$name: $(( $(date +%s) - t )) s (exit code $code)"
  if [ "$code" -ne 0 ]; then
    echo "ROW|$name|run|exit code 0|exit code $code (see $logs/$name.log)|NOT met" >>"$logs/$name.log"
    rc=1
  fi
}

if want start; then
  run_part launcher 3600 "$build/bench/lum_launcher.exe" "$build/LUMCFG.EXE" \
           "$build/bench/lum_baseline.exe" "$build/bench/lum_idle_probe.dll" \
           "${LUM_BENCH_PAIRS:-15}" "${LUM_BENCH_ABOUT:-200}" "${LUM_BENCH_IDLE_S:-5}" \
           "$build/bench/lum_baseline_cc.exe"
fi
if want scaling; then
  run_part scaling 1800 "$build/bench/scaling_bench.exe" "${1:-15}"
fi
if want dispatch; then
  run_part dispatch 3600 "$build/bench/dispatch_bench.exe" "$@"
fi

# The one table: every ROW line of every part, in the order the parts ran.
echo
cat "$logs"/size.log "$logs"/launcher.log "$logs"/scaling.log "$logs"/dispatch.log \
    2>/dev/null | tr -d '\r' | awk -F'|' '
  BEGIN { line = sprintf("%0150d", 0); gsub(/0/, "-", line) }
  $1 == "ROW" {
    if (!n++) {
      printf "%-9s %-55s %-22s %-50s %s\n", "area", "measure", "target", "result", "verdict"
      print line
    }
    printf "%-9s %-55s %-22s %-50s %s\n", $2, $3, $4, $5, $6
  }
  END { if (n) print line; else print "no results" }'

# The growth tables behind the scaling rows, and where the details are.
for f in "$logs/scaling.log" "$logs/dispatch.log"; do
  if [ ! -f "$f" ]; then
    continue
  fi
  tr -d '\r' <"$f" | awk '
    /^Temporaries,|^Dialog templates|^Scaling:/ { show = 1 }
    /^ROW\|/ { next }
    show && /^$/ { show = 0; print "" }
    show { print }
    END { if (show) print "" }'
done
echo "full output of each part: $logs/"
exit $rc
