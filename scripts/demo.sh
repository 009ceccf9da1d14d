#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds what the demo needs (the driver, the plug-in and the demo server),
# and runs a sync pass against the bundled demo server: the demo's top container is mirrored into
# build/demo/mirror. The demo keeps its own registry store (build/demo/registry), so it leaves the
# user's settings alone. It configures the build folder as scripts/test.sh does (BUILD_DIR chooses
# another), so that the tests build only what the demo did not.
#
#   bash scripts/demo.sh           the pass, then the demo server stops
#   bash scripts/demo.sh --serve   the pass, then the demo server keeps serving until Ctrl-C, for
#                                  further (two-way) passes from another terminal
set -euo pipefail
cd "$(dirname "$0")/.."
serve=false
case "${1:-}" in
"") ;;
--serve) serve=true ;;
*)
    echo "usage: bash scripts/demo.sh [--serve]" >&2
    exit 2
    ;;
esac
bash scripts/setup-debian.sh
build=${BUILD_DIR:-build}
echo "== configuring $build"
cmake -S . -B "$build" -G Ninja -DKOVA_WERROR=ON --log-level=WARNING
echo "== building the driver, the plug-in and the demo server"
cmake --build "$build" -j"$(nproc)" --target kova-sync KOVAMeridioSync64 demo-meridio

bin=$(cd "$build/bin" && pwd)
demo=$(cd "$build" && pwd)/demo
rm -rf "$demo"
mkdir -p "$demo"
export KOVA_REGISTRY_DIR="$demo/registry"

echo "== starting the demo Meridio server"
coproc SERVER { exec "$bin/demo-meridio" --port 0 --content tools/demo-meridio/sample; }
trap 'kill "$SERVER_PID" 2>/dev/null || true' EXIT
read -r port <&"${SERVER[0]}"
port=${port//[!0-9]/}
echo "   listening on 127.0.0.1:$port"

echo "== registering the sync filter"
"$bin/kova-sync" register --user
"$bin/kova-sync" config set MeridioSync.UserName demo
"$bin/kova-sync" config set MeridioSync.UserPassword 'Demo & Co 2024'

start="Meridio://127.0.0.1:$port/container/1"
echo "== syncing $start"
"$bin/kova-sync" sync "$start" --into "$demo/mirror"

echo "== the mirror: $demo/mirror"
(cd "$demo/mirror" && find . -path ./.kova-sync -prune -o -print | sort | sed 's|^\./||;/^\.$/d')
echo "The mirror holds the documents only; the pass's state is in $demo/mirror/.kova-sync/journal.db."
echo "kova-sync --help tells the other commands; docs/USER-GUIDE.md tells the rest."
again="KOVA_REGISTRY_DIR=$demo/registry $bin/kova-sync sync $start --into $demo/mirror"
if $serve; then
    echo "The demo server keeps serving until Ctrl-C (it holds its changes in memory only). Change, add"
    echo "or delete files in the mirror, then run the pass again from another terminal: your changes go up"
    echo "and the server's come down."
    echo "    $again"
    wait "$SERVER_PID" || true
else
    echo "The demo server stopped with this script. For further passes (two-way: your changes in the"
    echo "mirror go up, the server's come down), run bash scripts/demo.sh --serve."
fi
