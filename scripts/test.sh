#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine and Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LUM_BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh"
start=$(date +%s)
LUM_BUILD_DIR=$build bash "$root/scripts/build.sh"
echo "build: $(( $(date +%s) - start )) s"
. "$root/scripts/testbed.sh"
trap testbed_stop EXIT
testbed_start "$build"
start=$(date +%s)
rc=0
(cd "$build" && ctest --output-on-failure --timeout 600 "$@") || rc=$?
echo "tests: $(( $(date +%s) - start )) s"
exit $rc
