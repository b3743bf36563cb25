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
port=${1:-58400}
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
while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done

# Each step runs in the background and is waited for, so that a signal to
# this script stops the step at once and then the server.
child=
step() {
  "$@" &
  child=$!
  wait "$child"
  child=
}
trap '"$pgserver" stop "$state"' EXIT
trap '[ -z "$child" ] || kill "$child" 2>/dev/null; exit 130' INT TERM
step "$pgserver" start "$state" "$port" >&2
server=postgresql://vok@127.0.0.1:$port
step "$bindir/createdb" -h 127.0.0.1 -p "$port" -U vok vok_small

step "$build/bench/vokgen" --database-url "$server/vok" --vehicles $vehicles "${shape[@]}"
step "$build/bench/vokgen" --database-url "$server/vok_small" --vehicles 1 "${shape[@]}"
step env QT_QPA_PLATFORM=offscreen "$build/bench/vokbench" --full-url "$server/vok" --small-url "$server/vok_small" \
  --server-log "$(cat "$state/server-dir")/server.log" --work-dir "$state/work" "${runs[@]}"
