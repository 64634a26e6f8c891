#!/usr/bin/env bash
# Builds a Release tree (build-bench), runs every benchmark in it and writes their figures
# to bench/results.txt with the machine they came from.
set -euo pipefail
cd "$(dirname "$0")/.."

JOBS="${RINGVANE_JOBS:-2}"
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DRINGVANE_BUILD_TESTS=OFF >/dev/null
# Other benchmarks may need the whole program; a part that does not build is noted, and
# the benchmarks that did build still run.
build_note=""
if ! cmake --build build-bench -j"$JOBS" -- -k 0; then
    build_note="NOTE: part of the Release tree did not build; benchmarks missing below did not run."
fi

# A freshly linked program's pages sit dirty in the page cache until written back, and
# would count as the process's own written memory in the start-up figures.
sync

results=bench/results.txt
tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT

machine_load() {
    read -r one five fifteen _ </proc/loadavg
    echo "load average ${one} ${five} ${fifteen} on $(nproc) cores"
}

{
    echo "Ringvane benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "commit: $(git rev-parse --short HEAD 2>/dev/null || echo unknown)$(git diff --quiet 2>/dev/null || echo ' (with local changes)')"
    echo "CPU: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores"
    echo "before: $(machine_load)"
    [ -z "$build_note" ] || echo "$build_note"
} >"$tmp"

export LC_ALL=C.UTF-8
status=0
# Every program in build-bench/bench is a benchmark; the helpers they start themselves
# live in build-bench/bench/helpers and are not run here.
for bench in build-bench/bench/*; do
    [ -x "$bench" ] && [ -f "$bench" ] || continue
    echo >>"$tmp"
    echo "== $(basename "$bench")  ($(machine_load))" >>"$tmp"
    if ! "$bench" >>"$tmp" 2>&1; then
        echo "$(basename "$bench") FAILED" >>"$tmp"
        status=1
    fi
done

{
    echo
    echo "after: $(machine_load)"
    read -r one _ </proc/loadavg
    if awk -v l="$one" -v n="$(nproc)" 'BEGIN { exit !(l > n / 2) }'; then
        echo "NOTE: the machine was loaded by other work during this run; wall-clock figures"
        echo "are noisy, the ratios (measured in the same run) and the CPU-time figures less so."
    fi
} >>"$tmp"

mv "$tmp" "$results"
trap - EXIT
cat "$results"
exit "$status"
