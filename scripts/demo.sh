#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds, and runs a sync pass against the bundled demo server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j"$(nproc)"
echo "Built. The sync pass against the demo server is not available yet."
