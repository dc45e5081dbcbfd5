#!/usr/bin/env bash
# Takes the user guide's screenshots from the real client: a fresh demo
# hospital served on loopback, the client logged in as a discharge planner
# under Xvfb, each window saved into docs/screenshots (or $1); then the
# administrator's pictures, logged in as the demo administrator.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DALVERO_BUILD_DIR:-$root/build}
out=$(cd "${1:-$root/docs/screenshots}" 2>/dev/null && pwd || { mkdir -p "$1" && cd "$1" && pwd; })
bin=$build/bin

"$root/scripts/build.sh" dalvero-server dalvero-screenshots >/dev/null

work=$(mktemp -d)
server=
cleanup() {
  [ -n "$server" ] && { kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true; }
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

# Ports away from scripts/run.sh's, so both can run at once.
data=$work/demo
"$bin/dalvero-server" init "$data" --demo >"$work/logins"
sed -i -e 's/^Port=8700$/Port=8710/' -e 's/^Port=8701$/Port=8711/' "$data/server.ini" "$data/Dalvero.ini"
"$bin/dalvero-server" run "$data" 2>"$work/server.log" &
server=$!
for _ in $(seq 100); do
  (exec 3<>/dev/tcp/127.0.0.1/8711) 2>/dev/null && break
  kill -0 "$server" 2>/dev/null || { cat "$work/server.log" >&2; exit 1; }
  sleep 0.1
done

# The tour runs from its own folder so its Dalvero.ini stays out of bin/.
mkdir "$work/client"
cp "$bin/dalvero-screenshots" "$work/client/"
cp "$data/Dalvero.ini" "$work/client/"
planner=$(grep -m1 '(Discharge Planner)' "$work/logins")
export DALVERO_TOUR_USER=${planner%%  *}
export DALVERO_TOUR_PASSWORD=$(sed -E 's/.*  password ([^ ]+).*/\1/' <<<"$planner")
xvfb-run -a -s "-screen 0 1400x900x24" "$work/client/dalvero-screenshots" "$out"
administrator=$(grep -m1 '(Administrator)' "$work/logins")
DALVERO_TOUR_USER=${administrator%%  *} \
DALVERO_TOUR_PASSWORD=$(sed -E 's/.*  password ([^ ]+).*/\1/' <<<"$administrator") DALVERO_TOUR_ADMIN=1 \
  xvfb-run -a -s "-screen 0 1400x900x24" "$work/client/dalvero-screenshots" "$out"
echo "Screenshots are in $out"
