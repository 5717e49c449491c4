#!/usr/bin/env bash
# A private PostgreSQL cluster for the demo and the tests.
#   pg.sh init  DIR PASSWORD   create the cluster (scram over TCP, port chosen free)
#   pg.sh start DIR            start it (listens on 127.0.0.1 and DIR/socket)
#   pg.sh stop  DIR
#   pg.sh port  DIR            print its port
# As root the server runs as the postgres system user (initdb refuses root).
set -euo pipefail

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[[ -x "$bindir/initdb" ]] || { echo "pg.sh: PostgreSQL server binaries not found" >&2; exit 1; }

as_owner() {
  if [[ $(id -u) -eq 0 ]]; then runuser -u postgres -- "$@"; else "$@"; fi
}

free_port() {
  python3 - <<'PY' 2>/dev/null || echo $((20000 + RANDOM % 20000))
import socket
s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()
PY
}

cmd=${1:?command}; dir=${2:?cluster folder}
case "$cmd" in
  init)
    pass=${3:?password}
    mkdir -p "$dir"
    [[ $(id -u) -eq 0 ]] && chown postgres:postgres "$dir"
    chmod 700 "$dir"
    pwfile=$(mktemp)
    printf '%s\n' "$pass" > "$pwfile"
    [[ $(id -u) -eq 0 ]] && chown postgres "$pwfile"
    as_owner "$bindir/initdb" -D "$dir/data" -U postgres --pwfile="$pwfile" \
      --auth-local=scram-sha-256 --auth-host=scram-sha-256 \
      --encoding=UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 \
      || { cat "$dir/initdb.log" >&2; rm -f "$pwfile"; exit 1; }
    rm -f "$pwfile"
    as_owner mkdir -p "$dir/socket"
    free_port > "$dir/port.tmp"; as_owner tee "$dir/port" < "$dir/port.tmp" >/dev/null; rm -f "$dir/port.tmp"
    ;;
  start)
    port=$(cat "$dir/port")
    if as_owner "$bindir/pg_ctl" -D "$dir/data" status >/dev/null 2>&1; then exit 0; fi
    as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
      -o "-p $port -c listen_addresses=127.0.0.1 -c unix_socket_directories='$dir/socket' -c max_connections=200 ${KLOV_PG_OPTIONS:-}" \
      start >/dev/null || { tail -n 20 "$dir/server.log" >&2; exit 1; }
    ;;
  stop)
    as_owner "$bindir/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
    ;;
  port)
    cat "$dir/port"
    ;;
  *) echo "pg.sh: unknown command $cmd" >&2; exit 2 ;;
esac
