#!/usr/bin/env bash
# Builds the benchmarks, starts a throwaway PostgreSQL server, runs them on
# ward-scale data and prints each figure beside its target (BENCH lines),
# with the plans of the list and search statements.
#   scripts/bench.sh [summaries patients]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${KLOV_BUILD_DIR:-$here/build}
"$here/scripts/setup.sh" bench_ward bench_summary_csv bench_print bench_import_kanja bench_startup

work=$(mktemp -d /tmp/klov-bench.XXXXXX)
chmod 755 "$work"
cleanup() {
  "$here/scripts/pg.sh" stop "$work/pg" || true
  rm -rf "$work"
}
trap cleanup EXIT

pass="bench-$(od -An -N8 -tx8 /dev/urandom | tr -d ' ')"
"$here/scripts/pg.sh" init "$work/pg" "$pass"
KLOV_PG_OPTIONS="-c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
  "$here/scripts/pg.sh" start "$work/pg"
port=$("$here/scripts/pg.sh" port "$work/pg")

export PGPASSWORD="$pass"
psql=(psql -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U postgres)
"${psql[@]}" -d postgres -c 'CREATE DATABASE klov_template'
"${psql[@]}" -d klov_template -f "$here/db/schema.sql"
"${psql[@]}" -d postgres -c 'CREATE DATABASE klov_bench_start TEMPLATE klov_template'
unset PGPASSWORD

export KLOV_TEST_PGHOST=127.0.0.1 KLOV_TEST_PGPORT="$port" KLOV_TEST_PGPASSWORD="$pass"
export KLOV_TEST_TEMPLATE=klov_template QT_QPA_PLATFORM=offscreen
export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share"
mkdir -p "$XDG_DATA_HOME"

out="$work/bench.txt"
"$build/tests/bench_ward" "$@" | tee -a "$out"
"$build/tests/bench_summary_csv" | tee -a "$out"
"$build/tests/bench_print" | tee -a "$out"
"$build/tests/bench_import_kanja" | tee -a "$out"

# Start to the login dialog: the best of five starts, after one to warm the
# file cache.
"$build/tests/bench_startup" --configure "host=127.0.0.1 port=$port dbname=klov_bench_start" "$pass"
best=
for i in 0 1 2 3 4 5; do
  ms=$(KLOV_BENCH_T0=$(date +%s%N) "$build/tests/bench_startup" | sed -n 's/^start_to_login_ms //p')
  [[ $i -eq 0 || -z "$ms" ]] && continue
  if [[ -z "$best" ]] || awk "BEGIN{exit !($ms < $best)}"; then best=$ms; fi
done
awk -v v="${best:-99999}" 'BEGIN{printf "BENCH %-26s %10.1f ms  target %8.1f %s\n", "start_to_login_ms", v, 400, (v <= 400 ? "OK" : "MISS")}' | tee -a "$out"

echo
echo "== summary"
grep '^BENCH' "$out"
