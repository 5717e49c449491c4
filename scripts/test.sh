#!/usr/bin/env bash
# Builds and runs every test against a throwaway PostgreSQL server.
#
#   scripts/test.sh [--sanitize | --sanitize=all] [ctest arguments]
#
#   --sanitize      then also builds build-asan/ with AddressSanitizer and
#                   UndefinedBehaviorSanitizer (-DKLOV_SANITIZE=ON) and runs,
#                   under the same server, the tests of app/ and controls/,
#                   of the database layer (tests/db) and the fuzz targets
#   --sanitize=all  the same with every test program sanitized
#
# The ctest arguments (e.g. -R Query) apply to every run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

sanitize=
case "${1:-}" in
  --sanitize) sanitize=some; shift ;;
  --sanitize=all) sanitize=all; shift ;;
  --sanitize=*|-h|--help) sed -n '2,12s/^# \{0,1\}//p' "$0"; [[ "$1" == -h || "$1" == --help ]]; exit ;;
esac
# The sanitized programs of --sanitize; the klov program is started by the
# start-up tests of test_app.
sanitized_targets=(klov test_app test_controls test_db test_fuzz)
sanitized_labels='^(app|controls|db|fuzz)$'

"$here/scripts/setup.sh"

asan=${KLOV_ASAN_BUILD_DIR:-$here/build-asan}
if [[ -n "$sanitize" ]]; then
  if [[ ! -f "$asan/build.ninja" ]]; then
    # -O1 with line tables only: reports keep function names and lines, and
    # the build takes less than half the time of -O2 -g.
    cmake -S "$here" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DKLOV_SANITIZE=ON
  fi
  if [[ "$sanitize" == all ]]; then
    cmake --build "$asan" -j "$(nproc)"
  else
    cmake --build "$asan" -j "$(nproc)" --target "${sanitized_targets[@]}"
  fi
fi

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

if [[ -n "$sanitize" ]]; then
  # Any report fails the test. Leaks are reported too, but for those of the
  # system libraries under Qt listed in tests/lsan.supp.
  export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1"
  export LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
  labels=()
  [[ "$sanitize" == all ]] || labels=(-L "$sanitized_labels")
  # This one throws through Qt's event delivery on purpose (the program's
  # last resort for an uncaught error): unwinding through Qt's frames leaves
  # their copy of the mouse event behind, so it runs without the leak check.
  through_qt='^StartupTest\.AnUncaughtErrorIsShownAndTheProgramGoesOn$'
  TZ=UTC ctest --test-dir "$asan" --output-on-failure -j "$(nproc)" "${labels[@]}" -E "$through_qt" "$@"
  ASAN_OPTIONS="${ASAN_OPTIONS/detect_leaks=1/detect_leaks=0}" \
    TZ=UTC ctest --test-dir "$asan" --output-on-failure -R "$through_qt" "$@"
fi
