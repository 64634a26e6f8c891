#!/usr/bin/env bash
# Installs what is needed, builds Ringvane, runs each fuzz target for a short while (so a
# regression in the parsers shows), then every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
bash scripts/fuzz.sh "${RINGVANE_FUZZ_SECONDS:-30}"
cd build
ctest --output-on-failure --timeout 600 -j2 "$@"
