#!/usr/bin/env bash
# Creates a Wine prefix of the project's own: quiet, code page 949, Korean
# fonts for Tahoma and the system controls, crashes that end the process at
# once, a 240 x 320 virtual desktop for every window, audio through ALSA.
#
#   setup-prefix.sh PREFIX
#
# The prefix is built beside its final place and moved there only when every
# step succeeded, so a failed run never leaves a prefix that later runs trust.
# Running it again on a finished prefix does nothing.
set -euo pipefail
. "$(dirname "$0")/common.sh"

[ $# -eq 1 ] || die "usage: $0 PREFIX"
prefix=$(realpath -m "$1")
stamp_value=$(cat "$0" "$ZEN_ROOT/scripts/common.sh" | sha256sum | cut -c1-16)
stamp="$prefix/.zentrika-prefix"

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$stamp_value" ]; then
    exit 0
fi
find_wine
mkdir -p "$(dirname "$prefix")" || die "cannot create $(dirname "$prefix")"

work="$prefix.new"
xvfb_pid=
cleanup() {
    WINEPREFIX="$work" "$WINESERVER" -k >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
rm -rf "$work"
mkdir "$work"

# Wine boots without a window, but some of its programs want a display.
read -r disp xvfb_pid < <(start_xvfb 150)
export DISPLAY=$disp WINEPREFIX="$work"

note "creating Wine prefix $prefix"
wine_env "$WINE64" wineboot -i </dev/null >"$work/wineboot.log" 2>&1 \
    || die "wineboot failed (see $work/wineboot.log)"
"$WINESERVER" -w

# Registry values; regedit wants UTF-16 for the Korean value names.
multi_sz() {  # REG_MULTI_SZ as regedit's hex(7) list
    printf '%s\0\0' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v \
        | tr -s ' \n' ',' | sed 's/^,//; s/,$//'
}
reg="$work/zentrika.reg"
{
    echo 'Windows Registry Editor Version 5.00'
    echo
    echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]'
    echo '"Gulim"="NanumGothic"'
    echo '"GulimChe"="NanumGothicCoding"'
    echo '"Dotum"="NanumGothic"'
    echo '"Batang"="NanumMyeongjo"'
    echo '"굴림"="NanumGothic"'
    echo '"돋움"="NanumGothic"'
    echo '"바탕"="NanumMyeongjo"'
    echo '"Malgun Gothic"="NanumGothic"'
    echo '"MS Shell Dlg"="Tahoma"'
    echo '"MS Shell Dlg 2"="Tahoma"'
    echo
    echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]'
    link=$(multi_sz "NanumGothic.ttf,NanumGothic")
    for face in "Tahoma" "MS Sans Serif" "Microsoft Sans Serif" "Segoe UI" "Arial" \
                "Courier New" "Lucida Console" "System" "DejaVu Sans" "DejaVu Sans Mono"; do
        echo "\"$face\"=hex(7):$link"
    done
    echo
    # An unhandled exception ends the process at once instead of waiting in winedbg.
    echo '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]'
    echo '"Debugger"=""'
    echo '"Auto"="1"'
    echo
    echo '[HKEY_CURRENT_USER\Software\Wine\WineDbg]'
    echo '"ShowCrashDialog"=dword:00000000'
    echo
    echo '[HKEY_CURRENT_USER\Software\Wine\Drivers]'
    echo '"Audio"="alsa"'
    echo '"Graphics"="x11"'
    echo
    # Every top-level window lives on the handheld's 240 x 320 screen.
    echo '[HKEY_CURRENT_USER\Software\Wine\Explorer]'
    echo '"Desktop"="Default"'
    echo
    echo '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]'
    echo '"Default"="240x320"'
    echo
    echo '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]'
    echo '"Managed"="N"'
    echo '"Decorated"="N"'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"

cp "$reg" "$work/drive_c/zentrika.reg"
wine_env "$WINE64" regedit /S 'C:\zentrika.reg' </dev/null >>"$work/wineboot.log" 2>&1 \
    || die "registry import failed (see $work/wineboot.log)"
"$WINESERVER" -w
grep -q 'NanumGothic' "$work/system.reg" || die "font registry values did not reach the prefix"
grep -q '240x320' "$work/user.reg" || die "desktop registry values did not reach the prefix"

echo "$stamp_value" > "$work/.zentrika-prefix"
rm -rf "$prefix"
mv "$work" "$prefix"
trap - EXIT
kill "$xvfb_pid" 2>/dev/null || true
note "Wine prefix ready: $prefix"
