#!/usr/bin/env bash
# Builds and runs every test against a throwaway PostgreSQL server.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"

work=$(mktemp -d /tmp/klov-test.XXXXXX)
chmod 755 "$work"
cleanup() {
  "$here/scripts/pg.sh" stop "$work/pg" || true
  rm -rf "$work"
}
trap cleanup EXIT

pass="test-$(od -An -N8 -tx8 /dev/urandom | tr -d ' ')"
"$here/scripts/pg.sh" init "$work/pg" "$pass"
KLOV_PG_OPTIONS="-c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
  "$here/scripts/pg.sh" start "$work/pg"
port=$("$here/scripts/pg.sh" port "$work/pg")

export PGPASSWORD="$pass"
psql=(psql -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U postgres)
"${psql[@]}" -d postgres -c 'CREATE DATABASE klov_template'
"${psql[@]}" -d klov_template -f "$here/db/schema.sql"
unset PGPASSWORD

export KLOV_TEST_PGHOST=127.0.0.1 KLOV_TEST_PGPORT="$port" KLOV_TEST_PGPASSWORD="$pass"
export KLOV_TEST_TEMPLATE=klov_template
export QT_QPA_PLATFORM=offscreen
# Tests write their configuration into a home of their own.
export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share"
mkdir -p "$XDG_DATA_HOME"

# Once in UTC and once in Japan's zone, where a date must not move either.
TZ=UTC ctest --test-dir "${KLOV_BUILD_DIR:-$here/build}" --output-on-failure -j "$(nproc)" "$@"
TZ=Asia/Tokyo ctest --test-dir "${KLOV_BUILD_DIR:-$here/build}" --output-on-failure -j "$(nproc)" "$@"
