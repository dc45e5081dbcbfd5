#!/usr/bin/env bash
# Builds Dalvero and runs it on its embedded default: a demo hospital served
# by dalvero-server on loopback, and the client logged against it. Closing the
# client stops the server again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DALVERO_BUILD_DIR:-$root/build}
data=${DALVERO_DATA_DIR:-$root/run/demo}
bin=$build/bin

"$root/scripts/build.sh" Dalvero dalvero-server dalvero-cli

# A demo data folder, made once; its log-ins are kept beside it.
logins=$data.logins
if [ ! -f "$data/server.ini" ]; then
  mkdir -p "$(dirname "$data")"
  "$bin/dalvero-server" init "$data" --demo >"$logins.tmp"
  # The demo's admission system sends from this machine, without TLS
  # (docs/hl7.md): mllp_send --loose -p 8702 -f admit.hl7 127.0.0.1
  sed -i '/^\[HL7\]/,/^\[/{s/^Port=$/Port=8702/;s/^TLS=Y$/TLS=N/}' "$data/server.ini"
  chmod 600 "$logins.tmp"
  mv "$logins.tmp" "$logins"
fi

port_of() { sed -n "/^\[$1\]/,/^\[/{s/^Port=//p}" "$data/server.ini" | head -n 1; }
data_port=$(port_of DataServer)
function_port=$(port_of FunctionServer)
hl7_port=$(port_of HL7)
for port in "$data_port" "$function_port" $hl7_port; do
  if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
    echo "Port $port is in use already: stop whatever listens there (another dalvero-server?) and try again." >&2
    exit 1
  fi
done

"$bin/dalvero-server" run "$data" 2>>"$data.server.log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true' EXIT INT TERM
for _ in $(seq 100); do
  (exec 3<>"/dev/tcp/127.0.0.1/$function_port") 2>/dev/null && break
  kill -0 "$server" 2>/dev/null || { echo "dalvero-server did not start; see $data.server.log" >&2; exit 1; }
  sleep 0.1
done

# The client and dalvero-cli read Dalvero.ini from their own folder (never
# from the working folder); the server keeps the
# client for self-update under files/Clients.
cp "$data/Dalvero.ini" "$bin/Dalvero.ini"
mkdir -p "$data/files/Clients"
cp -p "$bin/Dalvero" "$data/files/Clients/Dalvero"

echo
echo "Demo log-ins (all share one password):"
grep -E '@' "$logins" || true
echo

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: starting the client on a virtual display (xvfb-run)." >&2
  xvfb-run -a "$bin/Dalvero"
else
  "$bin/Dalvero"
fi
