#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Dalvero
# need; does nothing when they are all there already. With --bench, also what
# bench/run.sh measures against: PostgreSQL (pgbench) and strace.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libssl-dev libsqlite3-dev libcurl4-openssl-dev
  libgtest-dev libgmock-dev openssl
  xvfb xauth
  poppler-utils
)
[ "${1:-}" = --bench ] && packages+=(postgresql strace)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
