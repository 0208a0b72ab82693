#!/usr/bin/env bash
# Builds the program with warnings as errors and runs every test; then builds once more
# with AddressSanitizer and UndefinedBehaviorSanitizer and runs the tests again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --test

# One throw-away PostgreSQL server for both builds' tests, stopped however the run ends.
pg_dir=$(mktemp -d /tmp/kavio-pg-test.XXXXXX)
trap 'KAVIO_PG_SERVER= bash scripts/pg-test-server.sh stop "$pg_dir"' EXIT
bash scripts/pg-test-server.sh start "$pg_dir"
KAVIO_PG_SERVER=$(cat "$pg_dir/address")
export KAVIO_PG_SERVER

jobs=$(nproc)
run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

echo "== Build and tests =="
run_suite build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVIO_WERROR=ON

if [[ "${KAVIO_SKIP_SANITIZERS:-}" != "1" ]]; then
  echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DKAVIO_WERROR=ON -DKAVIO_SANITIZE=ON -DKAVIO_BENCH=OFF
fi
