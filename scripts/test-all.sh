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
# A test that fails once on a loaded machine gets one more run on its own. It
# is named here either way, so a flaky test is never silent; one that fails
# again fails the run.
failed_list="$build_dir/Testing/Temporary/LastTestsFailed.log"
if [ "$rc" -ne 0 ] && [ -s "$failed_list" ]; then
    first=$(cut -d: -f2 "$failed_list" | tr '\n' ' ')
    note "failed on the first run: $first- running them once more"
    rc=0
    ctest --test-dir "$build_dir" --output-on-failure --rerun-failed "$@" || rc=$?
    if [ "$rc" -eq 0 ]; then
        note "FLAKY (failed once, passed on the second run): $first"
    else
        note "failed again on the second run: $(cut -d: -f2 "$failed_list" | tr '\n' ' ')"
    fi
fi
note "tests finished in $(( $(date +%s) - start )) s (install and build included)"
exit $rc
