#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the phone need.
# Does nothing when they are all present; safe to run any number of times.
set -euo pipefail
. "$(dirname "$0")/common.sh"

PACKAGES=(
    g++-mingw-w64-x86-64-posix   # compilers, windres, Win32 headers
    g++                          # draws the bitmaps at build time
    cmake ninja-build
    googletest                   # sources, built with the mingw toolchain
    wine64                       # runs the Win32 binaries
    fonts-nanum                  # Hangul glyphs for Tahoma and the system controls
    xvfb imagemagick             # virtual display and screenshots
    sox lame mpg123              # sounds and test media, the reference MP3 decoder
    python3                      # the module end of the serial-port rig and of the pty test
    patch ca-certificates
)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && { note "all packages present"; exit 0; }

[ "$(id -u)" -eq 0 ] || die "packages missing (${missing[*]}); run this as root"
note "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q || die "apt-get update failed"
apt-get install -y -q --no-install-recommends "${missing[@]}" \
    || die "could not install: ${missing[*]}"
