#!/usr/bin/env bash
# Builds everything and runs every test suite. In CI (CI=true) or with
# DALVERO_FUZZ_SMOKE=1 it then runs each fuzz target for a short smoke
# (DALVERO_FUZZ_SECONDS, default 20), after ctest so the two builds never
# compete for the cores.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DALVERO_BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 300
if [ "${CI:-}" = true ] || [ "${DALVERO_FUZZ_SMOKE:-}" = 1 ]; then
  "$root/scripts/fuzz.sh" "${DALVERO_FUZZ_SECONDS:-20}"
fi
