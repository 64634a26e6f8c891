#!/usr/bin/env bash
# Installs what is needed, builds Ringvane and starts it on your display.
# Only the package install needs root (through sudo); everything else is yours.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
exec bash scripts/start.sh
