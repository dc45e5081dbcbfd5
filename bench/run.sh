#!/usr/bin/env bash
# Measures the servers and prints the speed table (docs/performance.md): builds
# dalvero-server and the bench tools, makes demo data folders of 85, 1,000 and
# 10,000 cases, serves each on free loopback ports with the real password
# rounds, runs every row with the load generator and its floor, and, when
# PostgreSQL is installed (scripts/install-deps.sh installs it), starts a
# throw-away cluster that serves twice: every row again with the folders
# moved into it (dalvero-server migrate; [Storage] Engine=postgresql), and
# pgbench -S and TPC-B over TLS as the anchors. Prints the table of each
# engine and the two side by side.
#
#     bench/run.sh                 # everything, in a temporary folder removed at the end
#     BENCH_DIR=/tmp/b bench/run.sh   # keep the folders there (and reuse the data folders)
#     BENCH_SECONDS=10             # how long each throughput row runs
#     BENCH_NO_POSTGRES=1          # SQLite alone: no PostgreSQL rows, no pgbench anchors
#     BENCH_SQLITE_ONLY=1          # SQLite rows with the pgbench anchors, no PostgreSQL engine rows
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DALVERO_BUILD_DIR:-$root/build}
seconds=${BENCH_SECONDS:-10}

"$root/scripts/install-deps.sh" --bench ||
  echo "PostgreSQL and strace could not be installed; their rows are left out" >&2
"$root/scripts/build.sh" dalvero-server load_bench floor_bench >/dev/null
bin=$build/bin

if [ -n "${BENCH_DIR:-}" ]; then
  work=$BENCH_DIR
  mkdir -p "$work"
else
  work=$(mktemp -d /tmp/dalvero-bench.XXXXXX)
fi
server_pid=
pg_bin=
pg_root=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  if [ -n "$pg_root" ]; then
    run_pg "$pg_bin/pg_ctl" -D "$pg_root/data" -m immediate stop >/dev/null 2>&1
    rm -rf "$pg_root"
  fi
  [ -z "${BENCH_DIR:-}" ] && rm -rf "$work"
  return 0
}
trap cleanup EXIT

# A loopback port nobody listens on.
free_port() {
  local port
  while :; do
    port=$((20000 + RANDOM % 40000))
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return; }
  done
}

# Sets key=value in one [section] of an ini file.
set_ini() {
  local file=$1 section=$2 key=$3 value=$4
  awk -v s="[$section]" -v k="$key" -v v="$value" '
    /^\[/ { inside = ($0 == s) }
    inside && index($0, k "=") == 1 { $0 = k "=" v }
    { print }' "$file" >"$file.new" && mv "$file.new" "$file"
}

# key=value of a result line: value KEY LINE
value() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"; }

# Makes (or reuses) the demo folder of N cases; its administrator's log-in
# goes to $work/cases-N.login as "EMAIL PASSWORD".
make_folder() {
  local n=$1 dir=$work/cases-$1
  if [ ! -f "$dir/server.ini" ]; then
    rm -rf "$dir"
    echo "making the demo folder of $n cases..." >&2
    "$bin/dalvero-server" init "$dir" --demo --cases "$n" >"$dir.out"
    awk '/\(Administrator, Discharge Planner\)/ { print $1, $3; exit }' "$dir.out" >"$dir.login"
  fi
}

# The folder of N cases moved into the cluster once, as database cases_N, and
# its folder $work/pg-cases-N naming it.
migrate_folder() {
  local n=$1
  [ -f "$work/pg-cases-$n/server.ini" ] && return 0
  run_pg "$pg_bin/psql" -q -h 127.0.0.1 -p "$pg_port" -U bench -d postgres -c "CREATE DATABASE cases_$n" >/dev/null
  "$bin/dalvero-server" migrate "$work/cases-$n" "$work/pg-cases-$n" \
    --dsn "host=127.0.0.1 port=$pg_port user=bench dbname=cases_$n" >/dev/null
}

# Serves a fresh copy of the folder of N cases on ENGINE (sqlite, or
# postgresql: a fresh copy of its database); sets data_port, function_port,
# ca, user, password, server_pid and db (the SQLite database file, which the
# in-process floor reads on either engine).
serve() {
  local n=$1 engine=${2:-$engine} copy=$work/serve-$1
  stop_server
  rm -rf "$copy"
  if [ "$engine" = postgresql ]; then
    migrate_folder "$n"
    cp -a "$work/pg-cases-$n" "$copy"
    run_pg "$pg_bin/psql" -q -h 127.0.0.1 -p "$pg_port" -U bench -d postgres \
      -c "DROP DATABASE IF EXISTS serving" -c "CREATE DATABASE serving TEMPLATE cases_$n" >/dev/null
    set_ini "$copy/server.ini" Storage DSN "host=127.0.0.1 port=$pg_port user=bench dbname=serving"
  else
    cp -a "$work/cases-$n" "$copy"
  fi
  data_port=$(free_port)
  function_port=$(free_port)
  set_ini "$copy/server.ini" DataServer Port "$data_port"
  set_ini "$copy/server.ini" FunctionServer Port "$function_port"
  ca=$copy/tls/ca.pem
  db=$work/cases-$n/$(awk -F= '/^\[/ { inside = ($0 == "[Database]") } inside && $1 == "File" { print $2 }' "$copy/server.ini")
  read -r user password <"$work/cases-$n.login"
  "$bin/dalvero-server" run "$copy" 2>"$work/server-$n.log" &
  server_pid=$!
  for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$data_port") 2>/dev/null && return 0
    sleep 0.1
  done
  echo "the server of $n cases did not start; see $work/server-$n.log" >&2
  exit 1
}

stop_server() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    server_pid=
  fi
}

# One row of the load generator; a row that fails leaves its cells empty.
load() {
  "$bin/load_bench" "$1" --data-port "$data_port" --function-port "$function_port" --ca "$ca" --user "$user" \
    --password "$password" --server-pid "$server_pid" "${@:2}" || echo "the $1 row failed" >&2
}

# The same statements in-process on the served database file.
floor() { "$bin/floor_bench" "$db" "$@" || echo "the floor of $1 failed" >&2; }

# --- PostgreSQL anchors ---------------------------------------------------

# Runs a PostgreSQL tool as the postgres user when this script runs as root
# (initdb refuses root).
run_pg() {
  if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

find_pg() {
  local dir
  for dir in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V -r); do
    [ -x "$dir/initdb" ] && [ -x "$dir/pg_ctl" ] && { echo "$dir"; return; }
  done
}

start_pg() {
  pg_bin=$(find_pg)
  command -v pgbench >/dev/null || [ -x "$pg_bin/pgbench" ] || pg_bin=
  [ -n "$pg_bin" ] || return 1
  pg_root=$(mktemp -d /tmp/dalvero-pg.XXXXXX)
  [ "$(id -u)" = 0 ] && chown postgres "$pg_root"
  local pg_data=$pg_root/data
  pg_port=$(free_port)
  run_pg "$pg_bin/initdb" -D "$pg_data" -A trust -U bench >/dev/null
  # TLS as the servers use it: a throw-away certificate for loopback.
  run_pg openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 -subj /CN=127.0.0.1 \
    -keyout "$pg_data/server.key" -out "$pg_data/server.crt" 2>/dev/null
  run_pg "$pg_bin/pg_ctl" -D "$pg_data" -l "$pg_root/log" -w \
    -o "-p $pg_port -k $pg_root -c listen_addresses=127.0.0.1 -c ssl=on -c max_connections=50" start >/dev/null
  pgbench_cmd=$(command -v pgbench || echo "$pg_bin/pgbench")
  run_pg "$pgbench_cmd" -i -q -s 10 -h 127.0.0.1 -p "$pg_port" -U bench postgres >/dev/null 2>&1
}

# pgbench over TLS: prints "rps=... p50=... p99=... max=..." (ms).
pgbench_row() {
  local logdir
  logdir=$(mktemp -d /tmp/dalvero-pglog.XXXXXX)
  [ "$(id -u)" = 0 ] && chown postgres "$logdir"
  local tps
  tps=$(cd "$logdir" && run_pg "$pgbench_cmd" -h 127.0.0.1 -p "$pg_port" -U bench -T "$seconds" \
    -l --log-prefix="$logdir/tx" "$@" "dbname=postgres sslmode=require" 2>/dev/null |
    sed -n 's/^tps = \([0-9.]*\).*/\1/p')
  cat "$logdir"/tx* | awk '{ print $3 / 1000 }' | sort -n | awk -v tps="$tps" '
    { v[NR] = $1 }
    END {
      printf "rps=%.1f p50=%.2f p99=%.2f max=%.2f\n", tps, v[int((NR - 1) * 0.5) + 1],
        v[int((NR - 1) * 0.99) + 1], v[NR]
    }'
  rm -rf "$logdir"
}

# --- the rows ----------------------------------------------------------------

for n in 85 1000 10000; do make_folder "$n"; done
nproc_now=$(nproc)
echo "machine: $nproc_now cores, $(free -h | awk '/^Mem:/ { print $2 }') memory," \
  "$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)"

# Every row on one engine; the results go to R[ENGINE:name].
declare -A R
rows=(reads1 reads16 icd floor_icd floor_point syscalls adds1 adds8 crowd logins open_rows_text)
measure() {
  engine=$1
  echo "measuring on $engine..." >&2
  serve 85
  reads1=$(load reads --clients 1 --seconds "$seconds" --cases 85)
  reads16=$(load reads --clients 16 --seconds "$seconds" --cases 85)
  icd=$(load icd --requests 20 --seconds "$seconds")
  floor_icd=$(floor icd)
  floor_point=$(floor point --cases 85)
  syscalls=n/a
  if command -v strace >/dev/null; then
    strace -c -f -p "$server_pid" -o "$work/strace.txt" 2>/dev/null &
    strace_pid=$!
    sleep 1
    traced=$(load reads --clients 1 --requests 2000 --seconds "$seconds" --cases 85)
    kill -INT "$strace_pid" 2>/dev/null || true
    wait "$strace_pid" 2>/dev/null || true
    calls=$(awk '$NF == "total" { print $4 }' "$work/strace.txt" 2>/dev/null)
    [ -n "$calls" ] && syscalls=$(awk -v c="$calls" -v n="$(value done "$traced")" 'BEGIN { printf "%.1f", c / n }')
  fi
  adds1=$(load adds --clients 1 --seconds "$seconds" --cases 85)
  adds8=$(load adds --clients 8 --seconds "$seconds" --cases 85)
  crowd=$(load crowd --clients 500)
  serve 85
  rounds=$(awk -F= '/^\[/ { inside = ($0 == "[Security]") } inside && $1 == "PasswordIterations" { print $2 }' \
    "$work/serve-85/server.ini")
  logins=$(load logins --clients 200 --rounds "${rounds:-600000}")

  open_rows=()
  for n in 85 1000 10000; do
    serve "$n"
    open_rows+=("$n $(load openlist --requests 5 --seconds 30) $(floor openlist --user "$user" --requests 20)")
  done
  open_rows_text=$(printf '%s\n' "${open_rows[@]}")
  stop_server
  local name
  for name in "${rows[@]}"; do R[$engine:$name]=${!name}; done
}

# The engines measured: SQLite, and PostgreSQL when a cluster could start.
engines=(sqlite)
if [ -z "${BENCH_NO_POSTGRES:-}" ] && start_pg && [ -z "${BENCH_SQLITE_ONLY:-}" ]; then engines+=(postgresql); fi
for e in "${engines[@]}"; do measure "$e"; done

pg_s1= pg_s16= pg_b1= pg_b8=
if [ -n "$pg_bin" ]; then
  pg_s1=$(pgbench_row -S -c 1 -j 1)
  pg_s16=$(pgbench_row -S -c 16 -j 2)
  pg_b1=$(pgbench_row -c 1 -j 1)
  pg_b8=$(pgbench_row -c 8 -j 2)
fi

# --- the table -------------------------------------------------------------

ratio() {
  awk -v a="$1" -v b="$2" 'BEGIN {
    if (a == "" || b == "" || b + 0 == 0) print "n/a"
    else printf (a / b >= 100 ? "%.0f\n" : "%.3g\n"), a / b
  }'
}
# "yes" or "no": whether the awk condition holds for the name=value pairs;
# "n/a" when a value is missing (a row or an anchor that did not run).
met() {
  local condition=$1 pair args=()
  shift
  for pair in "$@"; do
    case ${pair#*=} in "" | n/a) echo n/a; return ;; esac
    args+=(-v "$pair")
  done
  awk "${args[@]}" "BEGIN { print ($condition) ? \"yes\" : \"no\" }"
}
# rps, p50, p99 and max of a result line as text.
rates() {
  if [ -z "$1" ]; then echo "not run"; return; fi
  echo "$(value rps "$1")/s, p50 $(value p50 "$1") ms, p99 $(value p99 "$1") ms, max $(value max "$1") ms"
}
row_reads() {
  local ours=$1 anchor=$2 clients=$3 target=$4
  echo "| point reads, $clients | $(rates "$ours") | \`pgbench -S\` over TLS: $(rates "$anchor")" \
    "| $(ratio "$(value rps "$ours")" "$(value rps "$anchor")") | ≥ $target, p99 no worse |" \
    "$(met "r >= $target && p <= q" r="$(ratio "$(value rps "$ours")" "$(value rps "$anchor")")" \
      p="$(value p99 "$ours")" q="$(value p99 "$anchor")") |"
}

# The table of one engine's rows.
print_table() {
  local name
  for name in "${rows[@]}"; do printf -v "$name" '%s' "${R[$1:$name]}"; done
  mapfile -t open_rows <<<"$open_rows_text"
  echo
  echo "### Dalvero on $1"
  echo
  echo "| work | Dalvero | anchor | ratio | target | met |"
  echo "|---|---|---|---|---|---|"
  row_reads "$reads1" "$pg_s1" "1 client" 1.0
  row_reads "$reads16" "$pg_s16" "16 clients" 1.5
  icd_ratio=$(ratio "$(value p50 "$icd")" "$(value p50 "$floor_icd")")
  echo "| ICD9Symptom L2 in pages of 1,000 ($(value rows "$icd") rows) | $(value p50 "$icd") ms |" \
    "one in-process SELECT: $(value p50 "$floor_icd") ms | $icd_ratio× | ≤ 5× | $(met "r <= 5" r="$icd_ratio") |"
  for entry in "${open_rows[@]}"; do
    read -r n rest <<<"$entry"
    ours=${rest%% floor-*}
    floor_line=floor-${rest#* floor-}
    open_ratio=$(ratio "$(value p50 "$ours")" "$(value p50 "$floor_line")")
    target="—" verdict="—"
    [ "$n" = 10000 ] && target="≤ 2.5×" && verdict=$(met "r <= 2.5" r="$open_ratio")
    echo "| open-case list at $n cases ($(value rows "$ours") open; list + \`getcasestatus\`) | $(value p50 "$ours") ms |" \
      "in-process SELECT with the joins: $(value p50 "$floor_line") ms | $open_ratio× | $target | $verdict |"
  done
  adds_ratio=$(ratio "$(value rps "$adds8")" "$(value rps "$adds1")")
  echo "| adds, 8 clients vs 1 | 8: $(rates "$adds8"); 1: $(rates "$adds1") |" \
    "TPC-B over TLS, 8: $(rates "$pg_b8"); 1: $(rates "$pg_b1") (8 vs 1: $(ratio "$(value rps "$pg_b8")" "$(value rps "$pg_b1")")×) |" \
    "$adds_ratio× | ≥ 1.5×, p99 ≤ 50 ms, max ≤ 250 ms |" \
    "$(met "r >= 1.5 && p <= 50 && m <= 250" r="$adds_ratio" p="$(value p99 "$adds8")" m="$(value max "$adds8")") |"
  echo "| system calls per point read | $syscalls | — | — | ≤ 6 | $(met "c <= 6" c="$syscalls") |"
  echo "| 200 planners logging in at once | $(value ok "$logins") in, $(value refused "$logins") refused;" \
    "last after $(value last "$logins") ms; a logged-in planner's slowest read meanwhile $(value slowest_read "$logins") ms |" \
    "one hash: $(value hash "$logins") s CPU | — |" \
    "all in, last ≤ $(value target "$logins") ms |" \
    "$(met "o == 200 && l <= t" o="$(value ok "$logins")" l="$(value last "$logins")" t="$(value target "$logins")") |"
  rss_kb=$(value rss_kb "$crowd")
  rss_mb=${rss_kb:+$((rss_kb / 1024))}
  echo "| 500 idle TLS + 500 silent TCP, then a new client | read $(value read "$crowd") ms after its log-in;" \
    "server RSS $rss_mb MB | — | — | read ≤ 50 ms, RSS ≤ 64 MB |" \
    "$(met "r >= 0 && r <= 50 && m <= 64" r="$(value read "$crowd")" m="$rss_mb") |"
  echo
  echo "in-process point reads (the floor, for reference): $(value rps "$floor_point")/s, p50 $(value p50 "$floor_point") ms"
}

# The engines side by side: each row's throughput or latency on both.
side_by_side() {
  echo
  echo "| work | SQLite | PostgreSQL | PostgreSQL / SQLite |"
  echo "|---|---|---|---|"
  local name label key
  for entry in "reads1:point reads, 1 client:rps" "reads16:point reads, 16 clients:rps" \
    "icd:ICD9Symptom L2 in pages of 1,000, p50 ms:p50" "adds1:adds, 1 client:rps" "adds8:adds, 8 clients:rps" \
    "logins:200 planners logging in, last in after ms:last"; do
    IFS=: read -r name label key <<<"$entry"
    local a b
    a=$(value "$key" "${R[sqlite:$name]}")
    b=$(value "$key" "${R[postgresql:$name]}")
    echo "| $label | ${a:-n/a} | ${b:-n/a} | $(ratio "$b" "$a") |"
  done
}

for e in "${engines[@]}"; do print_table "$e"; done
[ "${#engines[@]}" -gt 1 ] && side_by_side
exit 0
