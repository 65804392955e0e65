#!/usr/bin/env bash
# The run command on a real module's tty: a tty that is missing or cannot be
# opened stops it at once with a message naming the problem, before anything
# is built or started.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$1
fails=0
expect_refused() {  # expect_refused "what" "message part" env-assignments...
    local what=$1 want=$2 out rc start elapsed
    shift 2
    start=$(date +%s)
    out=$(env "$@" BUILD_DIR="$scratch/never-built" timeout 20 "$root/scripts/run-phone.sh" 2>&1)
    rc=$?
    elapsed=$(($(date +%s) - start))
    if [ "$rc" -eq 0 ] || [ "$rc" -eq 124 ]; then
        echo "FAILED: $what: exit $rc"; fails=$((fails + 1)); return
    fi
    if [[ "$out" != *"$want"* ]]; then
        echo "FAILED: $what: message was: $out"; fails=$((fails + 1)); return
    fi
    if [ -e "$scratch/never-built" ] || [ "$elapsed" -gt 10 ]; then
        echo "FAILED: $what: went on before refusing (${elapsed}s)"; fails=$((fails + 1)); return
    fi
    echo "ok: $what"
}

rm -rf "$scratch"
mkdir -p "$scratch"
touch "$scratch/plain-file"
expect_refused "missing tty" "/dev/ttyZEN404 does not exist" ZEN_MODEM_TTY=/dev/ttyZEN404
expect_refused "a plain file" "is not a serial device" ZEN_MODEM_TTY="$scratch/plain-file"
expect_refused "a device that is no tty" "/dev/null cannot be opened as a serial port" ZEN_MODEM_TTY=/dev/null
expect_refused "a COM name that is none" "is not a COM port name" ZEN_MODEM_TTY=/dev/null ZEN_MODEM_COM=LPT1
if [ "$(id -u)" != 0 ] && [ -e /dev/ttyS0 ] && ! [ -w /dev/ttyS0 ]; then
    expect_refused "a tty without permission" "no permission" ZEN_MODEM_TTY=/dev/ttyS0
fi
[ "$fails" -eq 0 ] && echo "PASSED: run command tty checks"
exit "$fails"
