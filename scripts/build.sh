#!/usr/bin/env bash
# Configures and builds into build/ (or $DALVERO_BUILD_DIR): every target, or
# only the targets named as arguments.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DALVERO_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
targets=()
[ $# -gt 0 ] && targets=(--target "$@")
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
