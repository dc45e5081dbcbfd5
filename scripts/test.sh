#!/usr/bin/env bash
# Builds everything and runs every test suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DALVERO_BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 300
