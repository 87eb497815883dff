#!/usr/bin/env bash
# Builds Vantor and starts the server without a window; arguments go to QRM
# (for example --data-dir DIR, or --help). scripts/start-with-mpd.sh starts it together
# with a private MPD to drive.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTOR_BUILD_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)"
exec build/release/server/QRM --headless "$@"
