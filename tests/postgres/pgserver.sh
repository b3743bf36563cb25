#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests: on loopback only, in a
# temporary folder, run by an unprivileged user.
#   pgserver.sh start DIR PORT   initialises and starts it, with a database "vok" and a role "vok"
#   pgserver.sh stop DIR         stops it and removes DIR
set -euo pipefail
action=$1 dir=$2 port=${3:-54329}
bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -n "$bindir" ] || { echo "PostgreSQL is not installed" >&2; exit 1; }

as_owner() {
  if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case "$action" in
start)
  if [ -f "$dir/data/postmaster.pid" ]; then as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true; fi
  rm -rf "$dir"
  mkdir -p "$dir"
  [ "$(id -u)" = 0 ] && chown postgres "$dir"
  as_owner "$bindir/initdb" -D "$dir/data" -A trust -U vok -E UTF8 --no-locale >"$dir/initdb.log" 2>&1
  as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off -c max_connections=200" start >/dev/null
  as_owner "$bindir/createdb" -h 127.0.0.1 -p "$port" -U vok vok
  echo "postgresql://vok@127.0.0.1:$port/vok"
  ;;
stop)
  if [ -d "$dir/data" ]; then as_owner "$bindir/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true; fi
  rm -rf "$dir"
  ;;
*)
  echo "usage: $0 start DIR PORT | stop DIR" >&2; exit 2 ;;
esac
