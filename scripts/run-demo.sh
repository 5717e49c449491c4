#!/usr/bin/env bash
# Builds the program and starts it on the local demo database. The first run
# creates the database cluster, loads the schema and the demo data; later runs
# start the same cluster again.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" klov

data="${XDG_DATA_HOME:-$HOME/.local/share}/KLOV"
mkdir -p "$data"
if [[ $(id -u) -eq 0 ]]; then
  # The server cannot run as root; its files go where the postgres user can reach them.
  cluster=/var/lib/postgresql/klov-demo
  mkdir -p /var/lib/postgresql && chown postgres:postgres /var/lib/postgresql
else
  cluster="$data/demo-db"
fi

if [[ ! -f "$cluster/data/PG_VERSION" ]]; then
  echo "run-demo: creating the demo database in $cluster"
  rm -rf "$cluster"
  pass="demo-$(od -An -N6 -tx8 /dev/urandom | tr -d ' ')"
  "$here/scripts/pg.sh" init "$cluster" "$pass"
  "$here/scripts/pg.sh" start "$cluster"
  port=$("$here/scripts/pg.sh" port "$cluster")
  export PGPASSWORD="$pass"
  psql=(psql -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U postgres)
  "${psql[@]}" -d postgres -c 'CREATE DATABASE klov'
  "${psql[@]}" -d klov -f "$here/db/schema.sql" -f "$here/db/qarn.sql" -f "$here/db/demo.sql"
  unset PGPASSWORD
  (umask 077; printf '%s\n' "$pass" > "$data/demo-db.pass")
else
  "$here/scripts/pg.sh" start "$cluster"
fi
port=$("$here/scripts/pg.sh" port "$cluster")
pass=$(cat "$data/demo-db.pass")
# A demo database made by an older version gets the present keys.
PGPASSWORD="$pass" "$here/scripts/upgrade-db.sh" "host=127.0.0.1 port=$port dbname=klov"

# Point klov.ini at the demo database, keeping every other setting.
ini="$data/klov.ini"
set_ini() { # section key value
  local tmp; tmp=$(mktemp)
  awk -v sec="[$1]" -v key="$2" -v val="$3" '
    BEGIN { insec = 0; done = 0 }
    /^\[.*\]$/ { if (insec && !done) { print key "=" val; done = 1 } insec = ($0 == sec) }
    insec && index($0, key "=") == 1 { if (!done) { print key "=" val; done = 1 } next }
    { print }
    END { if (!done) { if (!insec) print sec; print key "=" val } }' "$ini" > "$tmp"
  cat "$tmp" > "$ini"; rm -f "$tmp"
}
(umask 077; touch "$ini")
set_ini KLOVDB PASS "$pass"
set_ini KLOVDB SOURCE "host=127.0.0.1 port=$port dbname=klov"

echo "run-demo: database on 127.0.0.1:$port; starting klov"
exec "${KLOV_BUILD_DIR:-$here/build}/klov"
