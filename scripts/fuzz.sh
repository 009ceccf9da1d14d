#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tests/fuzz with clang (AddressSanitizer and UBSan) in build-fuzz
# and runs each for SECONDS (default 30), starting from its seed corpus in tests/fuzz/corpus/NAME.
# Fails on the first crash, leak, timeout or sanitizer report; the input that caused it is kept as
# build-fuzz/artifacts/NAME-crash-* (reproduce: build-fuzz/fuzz/NAME_fuzzer FILE).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
# The normal build stays on g++; clang and its fuzzer runtime are needed here only.
bash scripts/setup-debian.sh clang-14 libclang-rt-14-dev
build=build-fuzz
cmake -S . -B "$build" -G Ninja -DKOVA_FUZZ=ON -DKOVA_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build" --target kova_fuzzers -j"$(nproc)"
mkdir -p "$build/artifacts"
for corpus in tests/fuzz/corpus/*/; do
    name=$(basename "$corpus")
    # New inputs go to a scratch corpus; the checked-in seeds are only read.
    scratch="$build/corpus/$name"
    mkdir -p "$scratch"
    echo "== $name: ${seconds}s"
    log="$build/artifacts/$name.log"
    if ! "$build/fuzz/${name}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=8192 -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" \
        "$scratch" "$corpus" >"$log" 2>&1; then
        tail -n 80 "$log"
        echo "fuzzing $name failed: $log" >&2
        exit 1
    fi
    grep -E '^(stat::number_of_executed_units|Done)' "$log"
done
