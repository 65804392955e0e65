#!/usr/bin/env bash
# Runs the phone: installs what is missing, builds, prepares the phone's own
# Wine prefix, plugs the simulated module in (device manager and module
# simulator) and starts the handheld's shell (its taskbar along the top, with
# the taskbar agent as the start-up folder would start it) and the phone in a
# 240 x 320 handheld screen on your display. In a terminal, the simulator's console then reads your commands
# ("help"; "ring 0101234567" makes the phone ring; "quit" ends everything).
# Without a display it starts a virtual one, saves a screenshot of the
# handheld's screen and stops (ZEN_KEEP_RUNNING=1 keeps it running).
# ZEN_MODEM_TTY=/dev/ttyUSB0 runs the phone on a real module on that serial
# port instead of the simulator (ZEN_MODEM_COM picks Wine's COM port for it).
set -euo pipefail
. "$(dirname "$0")/common.sh"

modem_tty=${ZEN_MODEM_TTY:-}
modem_com=${ZEN_MODEM_COM:-COM20}
# A tty that is missing or cannot be opened is told at once, before the build.
check_tty() {
    local t=$1
    [ -e "$t" ] || die "ZEN_MODEM_TTY: $t does not exist (is the adapter plugged in? see ls /dev/ttyUSB* /dev/ttyACM* /dev/ttyS*)"
    [ -c "$t" ] || die "ZEN_MODEM_TTY: $t is not a serial device"
    [ -r "$t" ] && [ -w "$t" ] ||
        die "ZEN_MODEM_TTY: no permission to use $t (add your user to the group $(stat -c %G "$t"), or run as root)"
    # stty opens without waiting for carrier; a port that will not open or
    # answer within a few seconds is reported instead of hanging the run.
    local why
    if ! why=$(timeout 5 stty -F "$t" 2>&1 >/dev/null); then
        die "ZEN_MODEM_TTY: $t cannot be opened as a serial port${why:+: $why}"
    fi
}
case "$modem_com" in
    COM[1-9] | COM[1-9][0-9] | COM[12][0-9][0-9]) ;;
    *) die "ZEN_MODEM_COM: $modem_com is not a COM port name such as COM20" ;;
esac
[ -z "$modem_tty" ] || check_tty "$modem_tty"

build_dir=${BUILD_DIR:-$ZEN_ROOT/build}
"$ZEN_ROOT/scripts/build.sh"
find_wine
export WINEPREFIX="$build_dir/phone-prefix"
"$ZEN_ROOT/scripts/setup-prefix.sh" "$WINEPREFIX"

bin="$build_dir/bin"
for f in Zentrika.exe zensim.exe zencard.exe devmgr.exe Serial.dll wait-window.exe zenshell.exe ZentAgent.exe zendial.exe \
    zeninstall.exe ZentSetup.dll ZentDrv.dll; do
    [ -f "$bin/$f" ] || die "$f was not built"
done

xvfb_pid=
headless=0
if [ -z "${DISPLAY:-}" ]; then
    headless=1
    read -r DISPLAY xvfb_pid < <(start_xvfb 40 640x480x24)
    export DISPLAY
    note "no display found: started a virtual one on $DISPLAY"
fi

sim_in=
cleanup() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    [ -n "$sim_in" ] && [ -p "$sim_in" ] && { pkill -f "sleep infinity" -P $$ 2>/dev/null; rm -f "$sim_in"; } || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
# A wineserver left from an earlier run may hold another display.
"$WINESERVER" -k >/dev/null 2>&1 || true
"$WINESERVER" -w >/dev/null 2>&1 || true

# Install the system into the phone's prefix as the handheld's installer
# would: files under "\Program Files\Zentrika", the driver registered for
# the module's card, the dial-up entry. Before the card goes in, or the
# set-up library waits for the module to be unplugged. A second run updates
# the installation in place.
wine_env "$WINE64" reg delete 'HKLM\Drivers\Active' /f </dev/null >/dev/null 2>&1 || true
winpath() { printf 'Z:%s' "${1//\//\\}"; }
note "installing the system into the phone's prefix"
wine_env "$WINE64" "$bin/zeninstall.exe" install "$(winpath "$ZEN_ROOT/setup/zentrika.inst")" \
    "/source:$(winpath "$build_dir")" </dev/null >"$build_dir/install.log" 2>&1 \
    || die "installing failed (see $build_dir/install.log)"
installed="$WINEPREFIX/drive_c/Program Files/Zentrika"
[ -f "$installed/Zentrika.exe" ] || die "the installation has no Zentrika.exe (see $build_dir/install.log)"

# The module first, so the phone finds its card when it opens the link: the
# simulator starts the device manager, registers the serial driver for the
# card and inserts it. In a terminal its console reads what you type.
interactive=0
if [ -n "$modem_tty" ]; then
    # A real module: Wine's COM port is mapped to the tty and its card goes
    # into the slot instead of the simulator's.
    com_link="$WINEPREFIX/dosdevices/$(echo "$modem_com" | tr 'A-Z' 'a-z')"
    ln -sfn "$modem_tty" "$com_link"
    note "the module's port: $modem_tty as $modem_com"
    if ! wine_env "$WINE64" "$bin/zencard.exe" --port "$modem_com" </dev/null >"$build_dir/zencard.log" 2>&1; then
        die "the module on $modem_tty could not be put in: $(grep -h 'zencard:' "$build_dir/zencard.log" | tail -n 1)"
    fi
    note "$(grep -h 'zencard:' "$build_dir/zencard.log" | tail -n 1)"
elif [ "$headless" = 0 ] && [ -t 0 ]; then
    interactive=1
    note "the module simulator's console follows; type help, or quit to stop"
    # A background job reads /dev/null unless told otherwise: give it the terminal.
    exec 3<&0
    wine_env "$WINE64" "$bin/zensim.exe" <&3 &
    sim_pid=$!
    card_in() { wine_env "$WINE64" reg query 'HKLM\Drivers\Active' /s </dev/null 2>/dev/null | grep -q 'COM[0-9]*:'; }
else
    sim_in=$(mktemp -u)
    mkfifo "$sim_in"
    sleep infinity >"$sim_in" &
    wine_env "$WINE64" "$bin/zensim.exe" <"$sim_in" >"$build_dir/zensim.log" 2>&1 &
    sim_pid=$!
    card_in() { grep -q "type help" "$build_dir/zensim.log" 2>/dev/null; }
fi
if [ -z "$modem_tty" ]; then
    for i in $(seq 1 150); do
        card_in && break
        kill -0 "$sim_pid" 2>/dev/null || die "the module simulator ended (see $build_dir/zensim.log)"
        sleep 0.2
    done
    [ "$interactive" = 1 ] || note "module: $(head -n 1 "$build_dir/zensim.log")"
fi

# The prefix puts every window on its 240 x 320 virtual desktop. The shell's
# taskbar comes first, as on the handheld, then the agent and the phone.
[ "$interactive" = 1 ] || note "starting the shell's taskbar on $DISPLAY"
wine_env "$WINE64" "$bin/zenshell.exe" </dev/null >"$build_dir/shell.log" 2>&1 &
shell_pid=$!
if ! wine_env "$WINE64" "$bin/wait-window.exe" "HHTaskBar" "" 20000 </dev/null >/dev/null 2>&1; then
    die "the shell's taskbar did not appear (see $build_dir/shell.log)"
fi
wine_env "$WINE64" "$installed/ZentAgent.exe" </dev/null >"$build_dir/agent.log" 2>&1 &
[ "$interactive" = 1 ] || note "starting the phone on $DISPLAY"
wine_env "$WINE64" "$installed/Zentrika.exe" </dev/null \
    >"$build_dir/phone.log" 2>&1 &

if ! wine_env "$WINE64" "$bin/wait-window.exe" "Norvale Zentrika" "Zentrika" 20000 </dev/null >/dev/null 2>&1; then
    die "the phone's window did not appear (see $build_dir/phone.log)"
fi
if [ "$interactive" = 1 ]; then
    # Ends when you type quit (or the console's input ends).
    wait "$sim_pid" || true
    exit 0
fi
sleep 3  # the link opens and the first answers are shown
shot="$build_dir/phone-screen.png"
if command -v import >/dev/null; then
    import -display "$DISPLAY" -window root -crop 240x320+0+0 +repage "$shot" 2>/dev/null \
        && note "screenshot of the handheld's screen: $shot"
fi
if [ "$headless" = 1 ] && [ -z "${ZEN_KEEP_RUNNING:-}" ]; then
    note "headless run: stopping the phone (set ZEN_KEEP_RUNNING=1 to keep it running)"
    exit 0
fi
# The session lasts as long as the shell: the phone may end and start again
# meanwhile (a dial-up connection takes the port from it, a call wakes it).
note "the phone is running; press Ctrl-C to stop (the shell's start menu starts the phone again after it is closed)"
wait "$shell_pid" || true
