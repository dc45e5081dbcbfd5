#!/usr/bin/env bash
# Builds Dalvero and runs it on its embedded default.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
echo "Built into ${DALVERO_BUILD_DIR:-$root/build}/bin"
