#!/usr/bin/env bash
# Runs every fuzz test program of the build (bin/*_fuzz_test.exe) again and
# again with new seeds for as long as asked, and reports per program: runs,
# rounds, failures, crashes and hangs, with the seed of every run that did not
# pass so that it can be replayed.
#
#   scripts/soak.sh [SECONDS] [NAME-PATTERN]
#
# SECONDS (default 600) is the length of the whole soak, shared out in turns
# of ZEN_SOAK_SLICE seconds (default 30) per run; a run that has not ended
# ZEN_SOAK_GRACE seconds (default 60) after its turn is a hang and is killed.
# NAME-PATTERN keeps only the programs whose name contains it. BUILD_DIR
# selects the build tree (default ./build).
#
# The soak runs in a copy of the build's Wine prefix, with a wineserver and a
# virtual display of its own, so a test run in the same tree is not disturbed.
# Logs of runs that did not pass are kept in BUILD_DIR/soak/logs.
set -euo pipefail
. "$(dirname "$0")/common.sh"

total=${1:-600}
pattern=${2:-}
slice=${ZEN_SOAK_SLICE:-30}
grace=${ZEN_SOAK_GRACE:-60}
case "$total$slice$grace" in
*[!0-9]*) die "seconds must be whole numbers" ;;
esac
[ "$slice" -gt 0 ] || die "ZEN_SOAK_SLICE must be above 0"

build=$(cd "${BUILD_DIR:-$ZEN_ROOT/build}" 2>/dev/null && pwd) || die "no build tree; run scripts/build.sh"
programs=()
for p in "$build"/bin/*_fuzz_test.exe; do
    [ -f "$p" ] || continue
    case "$(basename "$p")" in *"$pattern"*) programs+=("$p") ;; esac
done
[ ${#programs[@]} -gt 0 ] || die "no fuzz test program in $build/bin${pattern:+ matching '$pattern'}"

source_prefix=$build/wineprefix
[ -f "$source_prefix/.zentrika-prefix" ] || die "no finished Wine prefix at $source_prefix (build the 'wineprefix' target)"

find_wine
work=$build/soak
logs=$work/logs
prefix=$work/wineprefix
mkdir -p "$logs"

# A copy of the prefix is a prefix of its own, hence a wineserver of its own.
if [ ! -f "$prefix/.zentrika-prefix" ] || [ "$source_prefix/.zentrika-prefix" -nt "$prefix/.zentrika-prefix" ]; then
    note "copying the Wine prefix"
    WINEPREFIX=$prefix "$WINESERVER" -k >/dev/null 2>&1 || true
    rm -rf "$prefix"
    cp -a --reflink=auto "$source_prefix" "$prefix"
fi
export WINEPREFIX=$prefix

xvfb_pid=
cleanup() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

read -r display xvfb_pid < <(start_xvfb 150 320x400x24)
export DISPLAY=$display
"$WINESERVER" -k >/dev/null 2>&1 || true
"$WINESERVER" -p </dev/null >/dev/null 2>&1
wine_env "$WINE64" cmd /c exit 0 </dev/null >/dev/null 2>&1 || die "Wine does not start"

declare -A runs rounds failures crashes hangs workdir
for p in "${programs[@]}"; do
    n=$(basename "$p" .exe)
    runs[$n]=0 rounds[$n]=0 failures[$n]=0 crashes[$n]=0 hangs[$n]=0
    workdir[$n]=$(dirname "$p")
done
# Each program runs where the test run runs it: some read media made beside
# their test folder.
while IFS=$'\t' read -r n dir; do
    [ -n "${workdir[$n]+set}" ] && [ -d "$dir" ] && workdir[$n]=$dir
done < <(ctest --test-dir "$build" --show-only=json-v1 2>/dev/null | python3 -c '
import json, sys
for t in json.load(sys.stdin).get("tests", []):
    for p in t.get("properties", []):
        if p.get("name") == "WORKING_DIRECTORY":
            print(t["name"] + "\t" + p["value"])
' 2>/dev/null || true)
problems=()

new_seed() { od -An -N4 -tu4 /dev/urandom | tr -d ' '; }

# One run of one program; updates the tallies.
run_one() {
    local prog=$1 seconds=$2 name seed log rc line n
    name=$(basename "$prog" .exe)
    seed=$(new_seed)
    log=$logs/$name-$seed.log
    set +e
    ( cd "${workdir[$name]}" &&
      timeout -k 10 $((seconds + grace)) env ZEN_FUZZ_SEED="$seed" ZEN_FUZZ_SECONDS="$seconds" \
          LC_ALL=ko_KR.UTF-8 WINEDEBUG="${WINEDEBUG:--all}" \
          WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}" \
          "$WINE64" "$prog" --gtest_brief=1 ) >"$log" 2>&1 </dev/null
    rc=$?
    set -e
    runs[$name]=$((runs[$name] + 1))
    line=$(grep -a '^fuzz .*: rounds [0-9]* seed ' "$log" | tail -n 1 || true)
    n=$(printf '%s\n' "$line" | sed -n 's/.*: rounds \([0-9]*\) seed.*/\1/p')
    if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
        hangs[$name]=$((hangs[$name] + 1))
        problems+=("$name: hang (no end $((seconds + grace)) s after a $seconds s turn), seed $seed, log $log")
        return
    fi
    rounds[$name]=$((rounds[$name] + ${n:-0}))
    if [ $rc -eq 0 ] && [ -n "$line" ]; then
        rm -f "$log"
    elif [ $rc -eq 1 ] && grep -aq '^\[  FAILED  \]' "$log"; then
        failures[$name]=$((failures[$name] + 1))
        problems+=("$name: failure, seed $seed, rounds ${n:-?}, log $log")
    else
        crashes[$name]=$((crashes[$name] + 1))
        problems+=("$name: crash (exit $rc$([ -n "$line" ] || echo ', no closing line')), seed $seed, log $log")
    fi
}

note "soaking ${#programs[@]} program(s) for $total s in turns of up to $slice s"
start=$(date +%s)
deadline=$((start + total))
while :; do
    for p in "${programs[@]}"; do
        left=$((deadline - $(date +%s)))
        [ $left -gt 0 ] || break 2
        run_one "$p" $((left < slice ? left : slice))
    done
done
elapsed=$(($(date +%s) - start))

echo
printf '%-28s %6s %12s %9s %8s %6s\n' program runs rounds failures crashes hangs
bad=0
for p in "${programs[@]}"; do
    n=$(basename "$p" .exe)
    printf '%-28s %6d %12d %9d %8d %6d\n' "$n" "${runs[$n]}" "${rounds[$n]}" "${failures[$n]}" \
        "${crashes[$n]}" "${hangs[$n]}"
    bad=$((bad + failures[$n] + crashes[$n] + hangs[$n]))
done
echo "soak of $elapsed s; runs that did not pass: $bad"
if [ ${#problems[@]} -gt 0 ]; then
    echo
    printf '%s\n' "${problems[@]}"
    echo
    echo "Replay one: ZEN_FUZZ_SEED=SEED ZEN_FUZZ_ROUNDS=ROUNDS $build/wine-run.sh $build/bin/PROGRAM.exe"
    echo "(a hang or a crash gives no round count: ZEN_FUZZ_SEED=SEED ZEN_FUZZ_SECONDS=$slice replays the run)"
fi
[ $bad -eq 0 ]
