#!/usr/bin/env bash
# End to end: the sync driver, as its own process, mirrors the demo server's library through the
# registered plug-in; the mirror holds only the documents (the journal in its hidden folder); a second
# pass downloads nothing; a document changed on the server is downloaded again and one deleted on the
# server leaves the mirror; Ctrl-C stops a pass with exit code 130.
# Usage: demo-sync.sh BIN_DIR SAMPLE_DIR
set -euo pipefail
bin=$1
sample=$2
work=$(mktemp -d)
server_pid=
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

export KOVA_REGISTRY_DIR="$work/registry" HOME="$work/home"
mkdir -p "$HOME"
cp -r "$sample" "$work/content"

# A restart takes the port the mirror's locations name; while the old socket lingers the bind can
# fail, so the start is tried again for a while.
start_server() { # [PORT [OPTION...]]
    for _ in $(seq 30); do
        : >"$work/port"
        "$bin/demo-meridio" --port "${1:-0}" "${@:2}" --content "$work/content" >"$work/port" 2>"$work/server.err" &
        server_pid=$!
        while kill -0 "$server_pid" 2>/dev/null && [ ! -s "$work/port" ]; do
            sleep 0.1
        done
        port=$(head -n1 "$work/port")
        [ -n "$port" ] && return
        wait "$server_pid" 2>/dev/null || true
        sleep 0.5
    done
    fail "the demo server did not start: $(cat "$work/server.err")"
}
stop_server() {
    kill "$server_pid"
    wait "$server_pid" 2>/dev/null || true
    server_pid=
}
sync_pass() {
    "$bin/kova-sync" sync "Meridio://127.0.0.1:$port/container/1" --into "$work/mirror" | tee "$work/out"
}

start_server
"$bin/kova-sync" register --user >/dev/null
"$bin/kova-sync" config set MeridioSync.UserName demo
"$bin/kova-sync" config set MeridioSync.UserPassword 'Demo & Co 2024'

sync_pass
grep -q ' 0 failed' "$work/out" || fail "documents failed in the first pass"
[ -f "$work/mirror/.kova-sync/journal.db" ] || fail "the journal is missing"
[ -z "$(find "$work/mirror" -path "$work/mirror/.kova-sync" -prune -o -name '*.kova.json' -print -o \
    -name '.kova-folder.json' -print)" ] || fail "the mirror holds property files"
# Every document of the sample arrives byte for byte, in its folder. The mirror names documents by
# their titles, which may differ from the sample's file names, so a document is found by its content.
while IFS= read -r -d '' file; do
    relative=${file#"$sample/Demo Library/"}
    folder="$work/mirror/$(dirname "$relative")"
    mirrored=
    for candidate in "$folder"/*; do
        [[ -f "$candidate" ]] || continue
        if cmp -s "$file" "$candidate"; then
            mirrored=$candidate
            break
        fi
    done
    [ -n "$mirrored" ] || fail "$relative is missing from the mirror or differs from the server's copy"
done < <(find "$sample/Demo Library" -type f -print0)
[ -d "$work/mirror/Projects & Plans" ] || fail "the folder tree was not mirrored"

sync_pass
grep -q ' 0 downloaded, 9 unchanged' "$work/out" || fail "the second pass downloaded again"

# Another user saves a new version of the welcome note, and the empty document is deleted.
stop_server
welcome="$work/content/Demo Library/Welcome.txt"
echo "Updated on the server." >>"$welcome"
sed -i '/<version id="1" date="2023-11-20T08:00:00Z"\/>/a <version id="2" date="2024-12-01T10:00:00Z"/>' \
    "$work/content/manifest.xml"
sed -i '/file="Empty notes.txt"/,/<\/document>/d' "$work/content/manifest.xml"
start_server "$port"
sync_pass
grep -q ' 1 downloaded, .* 1 removed' "$work/out" || fail "the changed document was not downloaded again"
cmp -s "$welcome" "$work/mirror/Welcome.txt" || fail "the mirror holds the old welcome note"
[ ! -e "$work/mirror/Projects & Plans/Empty notes.txt" ] || fail "the deleted document is still mirrored"
# Ctrl-C during a pass on a slow server: the pass stops as aborted and leaves no half-written file.
stop_server
start_server "$port" --latency-ms 300
"$bin/kova-sync" sync "Meridio://127.0.0.1:$port/container/1" --into "$work/stopped" >"$work/out" 2>&1 &
sync_pid=$!
for _ in $(seq 200); do
    grep -q '^Folder' "$work/out" && break
    sleep 0.05
done
kill -INT "$sync_pid"
status=0
wait "$sync_pid" || status=$?
[ "$status" -eq 130 ] || fail "the stopped pass ended with $status, not 130"
grep -q '^Stopped: ' "$work/out" || fail "the stopped pass did not say so: $(cat "$work/out")"
[ -z "$(find "$work/stopped" -name '*.partial*')" ] || fail "the stopped pass left a half-written file"
echo "PASS"
