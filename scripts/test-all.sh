#!/usr/bin/env bash
# Builds everything and runs every test (one Wine process per test program,
# one wineserver and one virtual display for the whole run).
set -euo pipefail
. "$(dirname "$0")/common.sh"

start=$(date +%s)
"$ZEN_ROOT/scripts/build.sh"
build_dir=${BUILD_DIR:-$ZEN_ROOT/build}
rc=0
ctest --test-dir "$build_dir" --output-on-failure -j2 "$@" || rc=$?
note "tests finished in $(( $(date +%s) - start )) s (install and build included)"
exit $rc
