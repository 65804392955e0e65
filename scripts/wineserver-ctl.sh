#!/usr/bin/env bash
# Starts or stops the test run's Wine session: a virtual X display and one
# persistent wineserver, so each test process starts in milliseconds and no
# background Wine process holds CTest's output pipe open.
#
#   wineserver-ctl.sh start|stop PREFIX STATE_DIR
set -euo pipefail
. "$(dirname "$0")/common.sh"

[ $# -eq 3 ] || die "usage: $0 start|stop PREFIX STATE_DIR"
action=$1
export WINEPREFIX=$2
state=$3
find_wine

stop() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    fi
    rm -f "$state/display" "$state/xvfb.pid"
}

case "$action" in
start)
    [ -f "$WINEPREFIX/.zentrika-prefix" ] || die "no finished Wine prefix at $WINEPREFIX (build the 'wineprefix' target)"
    mkdir -p "$state"
    stop
    # Small enough that the display's pointer starts inside the 240 x 320
    # desktop: the pointer cannot be warped from outside it, and pen input of
    # the UI tests would otherwise be pulled back to where it sits.
    read -r disp pid < <(start_xvfb 90 320x400x24)
    echo "$pid" > "$state/xvfb.pid"
    echo "$disp" > "$state/display"
    export DISPLAY=$disp
    "$WINESERVER" -p </dev/null >/dev/null 2>&1
    # Start Wine's services and the desktop once, outside any test's pipe.
    wine_env "$WINE64" cmd /c exit 0 </dev/null >/dev/null 2>&1 || die "Wine does not start"
    note "wineserver up on display $disp"
    ;;
stop)
    stop
    ;;
*) die "unknown action $action" ;;
esac
