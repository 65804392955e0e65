#!/usr/bin/env bash
# Installs what is missing, configures and builds everything into BUILD_DIR
# (default: build), including the tests' Wine prefix.
set -euo pipefail
. "$(dirname "$0")/common.sh"

build_dir=${BUILD_DIR:-$ZEN_ROOT/build}
"$ZEN_ROOT/scripts/install-deps.sh"
if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S "$ZEN_ROOT" -B "$build_dir" -G Ninja || die "configure failed"
fi
cmake --build "$build_dir" || die "build failed"
