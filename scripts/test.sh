#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds with warnings as errors and runs every test.
# BUILD_DIR and CMAKE_ARGS choose another build (the CI's sanitizer run uses them). The configuration
# is the one scripts/demo.sh makes, so a build folder serves both.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DKOVA_WERROR=ON ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
