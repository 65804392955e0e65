#!/usr/bin/env bash
# Runs the phone: installs what is missing, builds, prepares the phone's own
# Wine prefix and starts the phone in a 240 x 320 handheld screen on your
# display. Without a display it starts a virtual one, saves a screenshot of the
# handheld's screen and stops (ZEN_KEEP_RUNNING=1 keeps it running).
set -euo pipefail
. "$(dirname "$0")/common.sh"

build_dir=${BUILD_DIR:-$ZEN_ROOT/build}
"$ZEN_ROOT/scripts/build.sh"
find_wine
export WINEPREFIX="$build_dir/phone-prefix"
"$ZEN_ROOT/scripts/setup-prefix.sh" "$WINEPREFIX"

bin="$build_dir/bin"
[ -f "$bin/Zentrika.exe" ] || die "Zentrika.exe was not built"

xvfb_pid=
headless=0
if [ -z "${DISPLAY:-}" ]; then
    headless=1
    read -r DISPLAY xvfb_pid < <(start_xvfb 40 640x480x24)
    export DISPLAY
    note "no display found: started a virtual one on $DISPLAY"
fi

cleanup() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
# A wineserver left from an earlier run may hold another display.
"$WINESERVER" -k >/dev/null 2>&1 || true
"$WINESERVER" -w >/dev/null 2>&1 || true

# The prefix puts every window on its 240 x 320 virtual desktop.
note "starting the phone on $DISPLAY"
wine_env "$WINE64" "$bin/Zentrika.exe" </dev/null \
    >"$build_dir/phone.log" 2>&1 &
phone_pid=$!

if ! wine_env "$WINE64" "$bin/wait-window.exe" "Norvale Zentrika" "Zentrika" 20000 </dev/null >/dev/null 2>&1; then
    die "the phone's window did not appear (see $build_dir/phone.log)"
fi
shot="$build_dir/phone-screen.png"
if command -v import >/dev/null; then
    import -display "$DISPLAY" -window root -crop 240x320+0+0 +repage "$shot" 2>/dev/null \
        && note "screenshot of the handheld's screen: $shot"
fi

if [ "$headless" = 1 ] && [ -z "${ZEN_KEEP_RUNNING:-}" ]; then
    note "headless run: stopping the phone (set ZEN_KEEP_RUNNING=1 to keep it running)"
    exit 0
fi
note "the phone is running; close its window (or press Ctrl-C) to stop"
wait "$phone_pid" || true
