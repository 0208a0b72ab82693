#!/usr/bin/env bash
# A throw-away PostgreSQL server for the test run.
#   pg-test-server.sh start <folder>   creates a cluster in a new temporary folder, starts it
#                                      on a free port of 127.0.0.1 and writes
#                                      <folder>/address ("host port user database", one
#                                      line) and <folder>/cluster (the cluster's folder)
#   pg-test-server.sh restart <folder> stops it at once and starts it again (fault tests)
#   pg-test-server.sh stop <folder>    stops it and removes both folders
# The server refuses to run as root, so as root the cluster belongs to a created
# unprivileged user; its folder lies in /tmp, which that user can reach wherever the
# source tree is.
set -euo pipefail

cmd=${1:?start oder stop}
dir=${2:?Ordner fehlt}
bindir=${KAVIO_PG_BINDIR:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n1)}
[[ -x "$bindir/initdb" ]] || { echo "PostgreSQL-Server nicht gefunden (initdb in $bindir)" >&2; exit 1; }
owner=kavio-pgtest

as_owner() {
  if [[ $(id -u) -eq 0 ]]; then runuser -u "$owner" -- "$@"; else "$@"; fi
}

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

start() {
  stop
  mkdir -p "$dir"
  local cluster
  cluster=$(mktemp -d /tmp/kavio-pg.XXXXXX)
  echo "$cluster" >"$dir/cluster"
  if [[ $(id -u) -eq 0 ]]; then
    id "$owner" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$owner"
    chown "$owner" "$cluster"
  fi
  as_owner "$bindir/initdb" -D "$cluster/data" -U kavio --auth=trust -E UTF8 --locale=C.UTF-8 \
    >"$cluster/initdb.log" 2>&1 || { cat "$cluster/initdb.log" >&2; exit 1; }
  local port
  # Another program may take the port between asking and starting: a few tries.
  for _ in 1 2 3 4 5; do
    port=$(free_port)
    if as_owner "$bindir/pg_ctl" -D "$cluster/data" -l "$cluster/server.log" -w -t 30 \
        -o "-c listen_addresses=127.0.0.1 -p $port -k $cluster -c fsync=off -c max_connections=200" start >/dev/null; then
      as_owner "$bindir/createdb" -h 127.0.0.1 -p "$port" -U kavio kavio_test
      echo "127.0.0.1 $port kavio kavio_test" >"$dir/address"
      echo "PostgreSQL-Testserver auf 127.0.0.1:$port ($cluster)"
      return 0
    fi
  done
  cat "$cluster/server.log" >&2
  exit 1
}

stop() {
  local cluster
  cluster=$(cat "$dir/cluster" 2>/dev/null || true)
  if [[ -n "$cluster" && -f "$cluster/data/postmaster.pid" ]]; then
    as_owner "$bindir/pg_ctl" -D "$cluster/data" -m immediate -w stop >/dev/null || true
  fi
  [[ -n "$cluster" ]] && rm -rf "$cluster"
  rm -rf "$dir"
}

restart() {
  local cluster
  cluster=$(cat "$dir/cluster")
  as_owner "$bindir/pg_ctl" -D "$cluster/data" -l "$cluster/server.log" -m immediate -w -t 30 restart >/dev/null
}

# A server named by the caller serves the whole run; nothing to start or stop here.
if [[ -n "${KAVIO_PG_SERVER:-}" ]]; then
  exit 0
fi

case "$cmd" in
  start) start ;;
  restart) restart ;;
  stop) stop ;;
  *) echo "Aufruf: $0 start|restart|stop <Ordner>" >&2; exit 2 ;;
esac
