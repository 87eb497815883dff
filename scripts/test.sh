#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#   1. the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer,
#   2. the server built without its desktop side (no GTK): that it links no window library,
#      and the headless server's tests against it,
#   3. the threaded tests again under ThreadSanitizer,
#   4. every fuzzer for a fixed time.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --dev

jobs=$(nproc)
werror=ON

echo "== build (address,undefined)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVANTOR_SANITIZE=address,undefined -DVANTOR_WERROR=$werror >/dev/null
cmake --build build/asan -j "$jobs"
echo "== tests (address,undefined)"
ctest --test-dir build/asan --output-on-failure -j "$jobs" --timeout 600

echo "== build (without the desktop side)"
cmake -S . -B build/nodesktop -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTOR_DESKTOP=OFF \
  -DVANTOR_WERROR=$werror >/dev/null
cmake --build build/nodesktop -j "$jobs" --target QRM vantor_integration_tests vantor_shell_update_tests
echo "== tests (without the desktop side)"
ctest --test-dir build/nodesktop --output-on-failure -j "$jobs" --timeout 600 \
  -R '^(qrm_links_no_gtk|QrmProcessTest\.|SoftwareUpdate)'

echo "== build (thread)"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVANTOR_SANITIZE=thread -DVANTOR_WERROR=$werror >/dev/null
cmake --build build/tsan -j "$jobs" --target vantor_threaded_tests
echo "== tests (thread)"
ctest --test-dir build/tsan --output-on-failure -j "$jobs" --timeout 600 -L threaded

echo "== fuzz"
scripts/fuzz.sh "${VANTOR_FUZZ_SECONDS:-60}"
