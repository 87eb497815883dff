#!/usr/bin/env bash
# Builds the benchmarks in a Release tree (build/bench) and runs every one of them.
# Extra arguments go to each benchmark (e.g. --benchmark_filter=Read).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DVANTOR_BUILD_BENCH=ON -DVANTOR_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench -j "$(nproc)" --target vantor_benches

shopt -s nullglob
benches=()
for f in build/bench/bench/*_bench; do
  [[ -x $f ]] && benches+=("$f")
done
if ((${#benches[@]} == 0)); then
  echo "bench: no benchmarks built"; exit 1
fi
for b in "${benches[@]}"; do
  echo "== $(basename "$b")"
  "$b" "$@"
done
