#!/usr/bin/env bash
# The set-up scripts fail loudly and leave nothing half-made behind, and a
# second run over a finished prefix changes nothing.
#   setup_scripts_test.sh SCRATCH_DIR FINISHED_PREFIX
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$1
finished=$2
fails=0
passes=0
check() {  # check "what" command...
    local what=$1; shift
    if "$@"; then echo "ok: $what"; passes=$((passes + 1)); else echo "FAILED: $what"; fails=$((fails + 1)); fi
}

rm -rf "$scratch"
mkdir -p "$scratch/bin"

# A Wine whose boot fails: the script must say so and leave no prefix.
cat > "$scratch/bin/wine64" <<'FAKE'
#!/bin/sh
echo "simulated wine failure" >&2
exit 3
FAKE
cp "$scratch/bin/wine64" "$scratch/bin/wineserver"
sed -i 's/exit 3/exit 0/' "$scratch/bin/wineserver"
chmod +x "$scratch/bin/"*
out=$(PATH="$scratch/bin:$PATH" "$root/scripts/setup-prefix.sh" "$scratch/prefix" 2>&1)
rc=$?
check "failed wineboot exits non-zero" test "$rc" -ne 0
check "failed wineboot says what failed" grep -q "wineboot failed" <<<"$out"
check "no prefix left after a failure" test ! -e "$scratch/prefix"
check "no work folder left after a failure" test ! -e "$scratch/prefix.new"

# A finished prefix is left alone by a second run (its files keep their times).
before=$(stat -c %Y "$finished/.zentrika-prefix")
start=$(date +%s%N)
"$root/scripts/setup-prefix.sh" "$finished" >/dev/null 2>&1
rc=$?
took=$(( ($(date +%s%N) - start) / 1000000 ))
check "second run succeeds" test "$rc" -eq 0
check "second run leaves the prefix as it was" test "$before" = "$(stat -c %Y "$finished/.zentrika-prefix")"
check "second run is quick (${took} ms)" test "$took" -lt 2000

# A prefix without the finished mark is not trusted: it is rebuilt, so here
# with a failing Wine the damaged one must not survive as if finished.
mkdir -p "$scratch/half"
echo junk > "$scratch/half/system.reg"
PATH="$scratch/bin:$PATH" "$root/scripts/setup-prefix.sh" "$scratch/half" >/dev/null 2>&1
check "unfinished prefix is never reported as ready" test ! -f "$scratch/half/.zentrika-prefix"

rm -rf "$scratch"
echo "$passes passed, $fails failed"
[ "$fails" -eq 0 ]
