#!/usr/bin/env bash
# Brings an existing KLOV database up to the present schema (db/upgrade.sql).
# Safe to run again. Usage: scripts/upgrade-db.sh "conninfo or service=NAME"
# (the password from PGPASSWORD or ~/.pgpass).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
target=${1:?usage: upgrade-db.sh "host=... port=... dbname=..."}
psql -X -q -v ON_ERROR_STOP=1 -U postgres -d "$target" -f "$here/db/upgrade.sql"
