#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Dalvero
# need; does nothing when they are all there already. libpq builds the
# PostgreSQL storage engine; the PostgreSQL server binaries run the tests on
# that engine too (a throw-away cluster, tests/support/test_store.h) and
# bench/run.sh; systemd and desktop-file-utils let the package test check the
# unit and the desktop entry offline. With --bench, also strace.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libssl-dev libsqlite3-dev libcurl4-openssl-dev libpq-dev postgresql
  libgtest-dev libgmock-dev openssl
  xvfb xauth
  poppler-utils
  python3-hl7
  systemd desktop-file-utils
  nodejs
)
# Debian's nodejs leaves npm to a package of its own; other builds of nodejs
# bring it along and conflict with that package.
command -v npm >/dev/null || packages+=(npm)
[ "${1:-}" = --bench ] && packages+=(strace)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The FHIR R4 validator the tests run (scripts/fhir-validate.js): the npm
# "fhir" package, pinned, in a tools folder of its own beside the sources.
fhir_tools="$(cd "$(dirname "$0")/.." && pwd)/.tools/fhir"
if [ ! -f "$fhir_tools/node_modules/fhir/package.json" ]; then
  mkdir -p "$fhir_tools"
  npm install --prefix "$fhir_tools" --no-audit --no-fund --silent fhir@4.12.0
fi
