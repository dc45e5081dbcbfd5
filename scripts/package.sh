#!/usr/bin/env bash
# Builds the Debian packages dalvero-server and dalvero-client with cpack into
# OUTDIR (default: <build>/packages) from the build in build/ (or
# $DALVERO_BUILD_DIR), compiling only the programs the packages hold. Prints
# the packages' paths.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DALVERO_BUILD_DIR:-$root/build}
out=$(mkdir -p "${1:-$build/packages}" && cd "${1:-$build/packages}" && pwd)
"$root/scripts/build.sh" dalvero-server Dalvero dalvero-cli >/dev/null
rm -f "$out"/dalvero-*.deb
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
rm -rf "$out/_CPack_Packages"
ls "$out"/dalvero-*.deb
