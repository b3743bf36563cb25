#!/usr/bin/env bash
# The per-vehicle figures of vokbench on a throw-away PostgreSQL server
# (`make bench-postgres`): the server of the tests (tests/postgres/pgserver.sh)
# started on a free port, a 50-vehicle fleet and its first vehicle alone
# generated into two databases by vokgen, vokbench run on them, and the
# server stopped and removed afterwards, whatever happened.
#   benchpostgres.sh BUILD_DIR [--smoke] [FIRST_PORT]
# --smoke: a tiny fleet and few repetitions (the test bench_postgres_smoke).
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR [--smoke] [FIRST_PORT]}
shift
smoke=0
if [ "${1:-}" = --smoke ]; then smoke=1; shift; fi
port=${1:-28400}
build=$(cd "$build" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
pgserver=$source_dir/tests/postgres/pgserver.sh
bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -n "$bindir" ] || { echo "benchpostgres: PostgreSQL is not installed" >&2; exit 1; }

if [ $smoke = 1 ]; then
  state=$build/bench-postgres-smoke
  shape=(--years 2 --sheets-per-month 4 --trips-per-sheet 2 --last-year 2025)
  vehicles=3
  runs=(--reps 3)
else
  state=$build/bench-postgres
  shape=(--last-year 2025)
  vehicles=50
  runs=()
fi

# The first port from FIRST_PORT on that nothing listens on.
free_port() {
  while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
}
free_port

# Each step runs in the background and is waited for, so that a signal to
# this script stops the step at once and then the server.
child=
step() {
  local status=0
  "$@" &
  child=$!
  wait "$child" || status=$?
  child=
  return $status
}
trap '"$pgserver" stop "$state"' EXIT
trap '[ -z "$child" ] || kill "$child" 2>/dev/null; exit 130' INT TERM
# Nothing listening is not yet free: a connection's own end may hold the port.
# The server says so (exit 3), and the next port is tried.
tries=0
while :; do
  status=0
  step "$pgserver" start "$state" "$port" >&2 || status=$?
  [ $status = 0 ] && break
  tries=$((tries + 1))
  if [ $status != 3 ] || [ $tries -ge 20 ]; then exit $status; fi
  port=$((port + 1))
  free_port
done
server=postgresql://vok@127.0.0.1:$port
step "$bindir/createdb" -h 127.0.0.1 -p "$port" -U vok vok_small

step "$build/bench/vokgen" --database-url "$server/vok" --vehicles $vehicles "${shape[@]}"
step "$build/bench/vokgen" --database-url "$server/vok_small" --vehicles 1 "${shape[@]}"
step env QT_QPA_PLATFORM=offscreen "$build/bench/vokbench" --full-url "$server/vok" --small-url "$server/vok_small" \
  --server-log "$(cat "$state/server-dir")/server.log" --work-dir "$state/work" "${runs[@]}"
