#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of seconds
# (default 60).
# Fails on any crash, leak or sanitizer report.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVANTOR_FUZZ=ON -DVANTOR_BUILD_TESTS=OFF >/dev/null
cmake --build build/fuzz -j "$(nproc)" --target vantor_fuzzers

shopt -s nullglob
targets=(build/fuzz/tests/fuzz/fuzz_*)
if ((${#targets[@]} == 0)); then
  echo "fuzz: no fuzz targets built"; exit 1
fi
per=$seconds; (( per < 1 )) && per=1
for t in "${targets[@]}"; do
  name=$(basename "$t")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  seeds=tests/fuzz/seeds/${name#fuzz_}
  echo "fuzz: $name for ${per}s"
  if [[ -d $seeds ]]; then
    "$t" -max_total_time="$per" -max_len=65536 -print_final_stats=1 "$corpus" "$seeds"
  else
    "$t" -max_total_time="$per" -max_len=65536 -print_final_stats=1 "$corpus"
  fi
done
