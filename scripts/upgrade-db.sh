#!/usr/bin/env bash
# Brings an existing KLOV database up to the present schema (db/upgrade.sql).
# Safe to run again. Usage: scripts/upgrade-db.sh "conninfo or service=NAME"
# (the password from PGPASSWORD or ~/.pgpass). The package installs it as
# klov-upgrade-db, with the SQL in share/klov/sql.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
sql=$here/db/upgrade.sql
[[ -f "$sql" ]] || sql=$here/share/klov/sql/upgrade.sql
target=${1:?usage: $(basename "$0") "host=... port=... dbname=..."}
psql -X -q -v ON_ERROR_STOP=1 -U postgres -d "$target" -f "$sql"
