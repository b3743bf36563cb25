#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests: on loopback only, in a
# temporary folder of its own under /tmp, run by an unprivileged user.
#   pgserver.sh start STATE PORT   initialises and starts it, with a database "vok" and a role "vok"
#   pgserver.sh stop STATE         stops it and removes its folder
# A start that fails because the port is taken exits 3; any other failure, 1.
# STATE is a folder of the build that remembers where the server lives. The
# server itself never lives there: when run as root, the server runs as the
# `postgres` user, which may not be able to enter the build folder (a clone in
# /root or in a folder of mode 0700), so it gets a folder of its own, owned by it.
set -euo pipefail
action=${1:-} state=${2:-} port=${3:-24329}
[ -n "$state" ] || { echo "usage: $0 start STATE PORT | stop STATE" >&2; exit 2; }
bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -n "$bindir" ] || { echo "PostgreSQL is not installed" >&2; exit 1; }

as_owner() {
  if [ "$(id -u)" = 0 ]; then (cd / && runuser -u postgres -- "$@"); else "$@"; fi
}

# The server's folder recorded by a previous start, if any.
server_dir() {
  [ -f "$state/server-dir" ] && cat "$state/server-dir" || true
}

stop_server() {
  local dir
  dir=$(server_dir)
  if [ -n "$dir" ] && [ -d "$dir" ]; then
    if [ -f "$dir/data/postmaster.pid" ]; then
      as_owner "$bindir/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 ||
        as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
  fi
  # A server left by an older layout, which kept it inside STATE itself.
  if [ -f "$state/data/postmaster.pid" ]; then
    as_owner "$bindir/pg_ctl" -D "$state/data" -m immediate stop >/dev/null 2>&1 || true
  fi
  rm -rf "$state"
}

# Says which step failed and why: the last lines of that step's log.
fail() {
  local step=$1 log=$2 status=1
  echo "pgserver: $step failed (port $port, folder $(server_dir))" >&2
  if [ -s "$log" ]; then
    echo "--- last lines of $log:" >&2
    tail -n 20 "$log" >&2
    grep -q "Address already in use" "$log" && status=3
  fi
  exit $status
}

case "$action" in
start)
  stop_server
  mkdir -p "$state"
  dir=$(mktemp -d /tmp/vok-pgtest.XXXXXX)
  echo "$dir" >"$state/server-dir"
  if [ "$(id -u)" = 0 ]; then chown postgres: "$dir"; fi
  as_owner "$bindir/initdb" -D "$dir/data" -A trust -U vok -E UTF8 --no-locale >"$dir/initdb.log" 2>&1 ||
    fail "initdb" "$dir/initdb.log"
  as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off -c max_connections=200" start \
    >"$dir/pg_ctl.log" 2>&1 || { cat "$dir/pg_ctl.log" >&2; fail "starting the server" "$dir/server.log"; }
  as_owner "$bindir/createdb" -h 127.0.0.1 -p "$port" -U vok vok >"$dir/createdb.log" 2>&1 ||
    fail "createdb" "$dir/createdb.log"
  echo "postgresql://vok@127.0.0.1:$port/vok (in $dir)"
  ;;
stop)
  stop_server
  ;;
*)
  echo "usage: $0 start STATE PORT | stop STATE" >&2; exit 2 ;;
esac
