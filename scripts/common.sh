# Shared helpers for the project's shell scripts (sourced, not run).

die() { echo "error: $*" >&2; exit 1; }
note() { echo "== $*"; }

ZEN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Wine's binaries live outside PATH on Debian (wine64 package).
find_wine() {
    WINE64=$(command -v wine64 || true)
    [ -n "$WINE64" ] || { [ -x /usr/lib/wine/wine64 ] && WINE64=/usr/lib/wine/wine64; }
    [ -n "$WINE64" ] || die "wine64 not found; run scripts/install-deps.sh"
    WINESERVER=$(command -v wineserver || true)
    [ -n "$WINESERVER" ] || WINESERVER=$(dirname "$WINE64")/wineserver
    [ -x "$WINESERVER" ] || die "wineserver not found next to $WINE64"
    export PATH="$(dirname "$WINE64"):$PATH"
}

# Every process of a prefix must run under the same locale: Wine rewrites its
# font substitutes when the ANSI code page changes. ko_KR gives code page 949.
wine_env() {
    env LC_ALL=ko_KR.UTF-8 WINEDEBUG="${WINEDEBUG:--all}" \
        WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}" "$@"
}

# First free X display number from $1 upwards.
free_display() {
    local n=${1:-90}
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    echo "$n"
}

# Start Xvfb on a free display; prints "DISPLAY PID". Another run may take the
# same number at the same moment, so a display that will not start is skipped.
start_xvfb() {
    local n pid i tries
    command -v Xvfb >/dev/null || die "Xvfb not found; run scripts/install-deps.sh"
    n=${1:-90}
    for tries in 1 2 3 4 5 6 7 8; do
        n=$(free_display "$n")
        Xvfb ":$n" -screen 0 "${2:-640x480x24}" -nolisten tcp </dev/null >/dev/null 2>&1 &
        pid=$!
        for i in $(seq 1 100); do
            if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$pid" 2>/dev/null; then
                echo ":$n $pid"
                return 0
            fi
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
        kill "$pid" 2>/dev/null || true
        n=$((n + 1))
    done
    die "Xvfb did not start"
}
