#!/usr/bin/env bash
# Builds Vantor. Once the server exists this starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTOR_BUILD_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)"
echo "Built everything in build/release. The server program does not exist yet."
