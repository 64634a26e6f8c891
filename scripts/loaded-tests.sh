#!/usr/bin/env bash
# Runs the whole suite several times in a row with two CPU-bound processes beside it, as a
# busy or shared machine would: a test that holds only on an idle machine fails here.
# Usage: scripts/loaded-tests.sh [runs] (default 5); needs the build tree from test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

runs="${1:-5}"
command -v stress-ng >/dev/null || bash scripts/install-deps.sh
stress-ng --cpu 2 --quiet &
stress=$!
trap 'kill "$stress" 2>/dev/null; wait "$stress" 2>/dev/null || true' EXIT

passed=0
for run in $(seq 1 "$runs"); do
    if (cd build && ctest --timeout 600 -j2 --output-on-failure >"../build/loaded-run-$run.log" 2>&1); then
        passed=$((passed + 1))
        echo "run $run: passed ($(grep -o '[0-9]*% tests passed.*' "build/loaded-run-$run.log" || true))"
    else
        echo "run $run: FAILED"
        grep -E '^\s+[0-9]+ - .*\((Failed|Timeout)\)' "build/loaded-run-$run.log" || true
    fi
done
echo "$passed of $runs loaded runs passed"
[ "$passed" -eq "$runs" ]
