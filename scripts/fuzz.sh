#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a short while
# (FUZZ_SECONDS, default 20). A crash stops the script and leaves the input in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-20}
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
    -DSI_FUZZ=ON -DSI_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzzers
for f in build-fuzz/*/*Fuzz build-fuzz/*/*/*Fuzz; do
    [ -f "$f" ] && [ -x "$f" ] || continue
    name=$(basename "$f")
    mkdir -p "build-fuzz/corpus/$name"
    echo "Fuzzing $name for $seconds s"
    (cd build-fuzz && "../$f" -max_total_time="$seconds" -max_len=4096 \
        -print_final_stats=0 "corpus/$name" 2>&1 | tail -n 2)
done
