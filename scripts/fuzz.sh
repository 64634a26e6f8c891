#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each for SECONDS
# (default 30). Fails when a target finds a crash, a hang, a leak or a broken check;
# the input that did it is kept in build-fuzz/artifacts/<target>/.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (targets: receive registry daytext contacts numbers)
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_EACH="${1:-30}"
shift || true
TARGETS=("$@")
if [ ${#TARGETS[@]} -eq 0 ]; then
    TARGETS=(receive registry daytext contacts numbers)
fi
JOBS="${RINGVANE_JOBS:-2}"

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DRINGVANE_FUZZ=ON \
    -DRINGVANE_BUILD_TESTS=OFF -DRINGVANE_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$JOBS" --target "${TARGETS[@]/#/fuzz_}"

# The locales the day-text target pins read Qt's own data; LANG must not leak in.
export LC_ALL=C.UTF-8
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

failed=0
for t in "${TARGETS[@]}"; do
    work="build-fuzz/corpus/$t"
    artifacts="build-fuzz/artifacts/$t/"
    mkdir -p "$work" "$artifacts"
    echo "== fuzz_$t for ${SECONDS_EACH}s"
    # New inputs go to the work corpus; the committed seeds are only read.
    if ! build-fuzz/fuzz/fuzz_"$t" -max_total_time="$SECONDS_EACH" -timeout=10 \
            -rss_limit_mb=2048 -max_len=20000 -print_final_stats=1 \
            -artifact_prefix="$artifacts" "$work" "fuzz/corpus/$t" \
            >"build-fuzz/fuzz_$t.log" 2>&1; then
        echo "fuzz_$t FAILED; see build-fuzz/fuzz_$t.log and $artifacts"
        tail -n 40 "build-fuzz/fuzz_$t.log"
        failed=1
    else
        grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "build-fuzz/fuzz_$t.log" | tail -n 2 || true
    fi
done
exit "$failed"
