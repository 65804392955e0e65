#!/usr/bin/env bash
# Fetches libmad's original source tarball from Debian's source packages into
# DIR, through a private apt configuration (the machine's own apt sources
# turned into deb-src lines), and checks it against the .dsc.
#
#   fetch-libmad.sh DIR      -> DIR/libmad_0.15.1b.orig.tar.gz
set -euo pipefail
. "$(dirname "$0")/common.sh"

[ $# -eq 1 ] || die "usage: $0 DIR"
dir=$(realpath -m "$1")
tarball=libmad_0.15.1b.orig.tar.gz
mkdir -p "$dir"
cd "$dir"

verify() {
    local dsc sum
    dsc=$(ls libmad_*.dsc 2>/dev/null | head -n 1)
    [ -n "$dsc" ] && [ -f "$tarball" ] || return 1
    sum=$(awk '/^Checksums-Sha256:/{f=1;next} /^[^ ]/{f=0} f && $3=="'"$tarball"'"{print $1}' "$dsc")
    [ -n "$sum" ] && echo "$sum  $tarball" | sha256sum -c --quiet - >/dev/null 2>&1
}
verify && exit 0

apt_dir="$dir/apt"
rm -rf "$apt_dir"
mkdir -p "$apt_dir/parts" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$apt_dir/parts/src.sources"
fi
if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list > "$apt_dir/parts/src.list"
fi
opts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir/parts"
      -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
      -o APT::Sandbox::User=root)
note "fetching libmad sources"
apt-get -q "${opts[@]}" update >"$dir/apt.log" 2>&1 || die "apt-get update for sources failed (see $dir/apt.log)"
# Debian's own patch file is no longer served; the original tarball is all we use.
apt-get "${opts[@]}" source --download-only libmad >>"$dir/apt.log" 2>&1 || true
verify || die "libmad source tarball missing or its checksum does not match the .dsc (see $dir/apt.log)"
rm -rf "$apt_dir"
note "libmad sources ready in $dir"
