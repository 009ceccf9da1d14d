#!/usr/bin/env bash
# Measures what a sync pass costs beside its floor, on this machine, in one run: each figure runs
# BENCH_RUNS times (default 3), the project and its floor in turn, and one table gives the minimum
# and median wall time of each, the ratio of the medians and the peak memory (/usr/bin/time -v).
#
#   first pass       kova-sync into an empty directory, BENCH_SMALL one-byte documents (no floor)
#   second pass      kova-sync again, nothing changed (BENCH_SMALL and BENCH_LARGE documents);
#                    floor: curl fetching the same listing uncompressed + listing_floor (a pugixml
#                    parse and a read of every row's attributes)
#   download         kova-sync's first pass of one BENCH_DOWNLOAD_MIB document; floor: curl sending
#                    the same GetLatestVersionFile request
#   upload           kova-sync's pass that sends an edited BENCH_DOWNLOAD_MIB document up as a new
#                    version; floor: curl --data-binary of the same upload message (saved by the demo
#                    server from an earlier upload of the run, --save-upload) to the same endpoint
#   hashing          the project's MD5 fingerprint (hash_file) of a 1 GiB file; floor: openssl md5
#
# Release build in build-bench/; repositories, mirrors and files in BENCH_WORK (default
# build-bench/work). The large mirror is made once, in the background while the small figures run,
# and kept there with the port its locations name, for later runs. Not part of the tests or CI.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
runs=${BENCH_RUNS:-3}
small=${BENCH_SMALL:-5000}
large=${BENCH_LARGE:-50000}
download_mib=${BENCH_DOWNLOAD_MIB:-256}
hash_mib=1024
build=$root/build-bench
work=${BENCH_WORK:-$build/work}
mkdir -p "$work"
work=$(cd "$work" && pwd)

[ -x /usr/bin/time ] || { echo "bench.sh needs /usr/bin/time (apt-get install time)" >&2; exit 2; }
for tool in curl openssl; do
    command -v "$tool" >/dev/null || { echo "bench.sh needs $tool" >&2; exit 2; }
done

echo "== building (Release, $build)" >&2
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOVA_BENCHMARKS=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j4 >/dev/null
bin=$build/bin

export KOVA_REGISTRY_DIR=$work/registry HOME=$work/home
mkdir -p "$HOME"
"$bin/kova-sync" register --user >/dev/null
"$bin/kova-sync" config set MeridioSync.UserName demo
"$bin/kova-sync" config set MeridioSync.UserPassword 'Demo & Co 2024'
"$bin/kova-sync" config set MeridioSync.MaxFileSizeInKB $(((download_mib + 1) * 1024)) >/dev/null

# ---- repositories -------------------------------------------------------------------------------

# make_repository DIR COUNT BYTES: one container holding COUNT documents of BYTES bytes each.
make_repository() {
    local dir=$1 count=$2 bytes=$3
    [ -f "$dir/manifest.xml" ] && return
    echo "== generating $dir" >&2
    rm -rf "$dir"
    mkdir -p "$dir/Bench"
    {
        echo '<?xml version="1.0" encoding="utf-8"?>'
        echo '<repository><credentials user="demo" password="Demo &amp; Co 2024"/>'
        echo '<configuration><category id="4" name="Document"/></configuration>'
        echo '<container id="1" title="Bench">'
        local i
        for ((i = 1; i <= count; i++)); do
            printf '<document id="%d" file="doc-%06d.txt" createdBy="Bench" created="2024-01-01T00:00:00Z">' \
                $((1000 + i)) "$i"
            printf '<version id="1" date="2024-01-01T00:%02d:%02dZ"/></document>\n' $((i / 60 % 60)) $((i % 60))
        done
        echo '</container></repository>'
    } >"$dir/manifest.xml.new"
    if [ "$bytes" -eq 1 ]; then
        for ((i = 1; i <= count; i++)); do
            printf x >"$dir/Bench/$(printf 'doc-%06d.txt' "$i")"
        done
    else
        head -c "$bytes" /dev/urandom >"$dir/Bench/doc-000001.txt"
    fi
    mv "$dir/manifest.xml.new" "$dir/manifest.xml"
}

make_repository "$work/repo-small" "$small" 1
make_repository "$work/repo-large" "$large" 1
make_repository "$work/repo-download" 1 $((download_mib << 20))
if [ ! -f "$work/hash.bin" ]; then
    head -c $((hash_mib << 20)) /dev/urandom >"$work/hash.bin.new"
    mv "$work/hash.bin.new" "$work/hash.bin"
fi

# ---- servers ------------------------------------------------------------------------------------

servers=()
trap 'for pid in "${servers[@]}" ${large_maker:-}; do kill "$pid" 2>/dev/null || true; done' EXIT

# start_server NAME CONTENT_DIR [PORT [OPTION...]]: starts a demo server; sets port_NAME and pid_NAME.
start_server() {
    local name=$1 content=$2 wanted=${3:-0} out=$work/server-$1.port
    shift $(($# < 3 ? $# : 3))
    : >"$out"
    "$bin/demo-meridio" --port "$wanted" --content "$content" "$@" >"$out" 2>"$work/server-$name.err" &
    local pid=$!
    while kill -0 "$pid" 2>/dev/null && [ ! -s "$out" ]; do sleep 0.1; done
    local port
    port=$(head -n1 "$out" | tr -dc 0-9)
    if [ -z "$port" ]; then
        wait "$pid" 2>/dev/null || true
        return 1
    fi
    servers+=("$pid")
    printf -v "port_$name" %s "$port"
    printf -v "pid_$name" %s "$pid"
}

# soap PORT SERVICE ACTION HEADER BODY OUTPUT: one SOAP call with curl, uncompressed.
soap() {
    local port=$1 service=$2 action=$3 header=$4 body=$5 output=$6 namespace
    case $service in
    dmws) namespace=http://www.meridio.com/MeridioDMWS ;;
    scws) namespace=http://www.meridio.com/MeridioSCWS ;;
    esac
    [ -n "$header" ] && header="<soap:Header>$header</soap:Header>"
    curl -sS --fail -o "$output" -H 'Content-Type: text/xml; charset=utf-8' \
        -H "SOAPAction: \"$namespace/$action\"" \
        --data-binary "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">$header<soap:Body>$body</soap:Body></soap:Envelope>" \
        "http://127.0.0.1:$port/$service/meridio$service.asmx"
}

# token PORT: a session token from a login.
token() {
    soap "$1" dmws Login '' \
        '<Login xmlns="http://www.meridio.com/MeridioDMWS"><userName>demo</userName><password>Demo &amp; Co 2024</password><clientWorkstation></clientWorkstation></Login>' \
        "$work/login.xml"
    sed -n 's:.*<LoginResult>\([^<]*\)</LoginResult>.*:\1:p' "$work/login.xml"
}

# ---- measuring ----------------------------------------------------------------------------------

# measure FILE COMMAND...: runs the command once and appends "seconds peak-KiB" to FILE (wall time
# from the clock, peak resident memory from /usr/bin/time -v). The output goes to $work/last.out.
measure() {
    local file=$1 start end
    shift
    start=$(date +%s%N)
    /usr/bin/time -v -o "$work/time.txt" "$@" >"$work/last.out" 2>&1 || {
        echo "failed: $*" >&2
        cat "$work/last.out" >&2
        exit 1
    }
    end=$(date +%s%N)
    awk -v ns=$((end - start)) '/Maximum resident set size/ { kib = $NF } END { printf "%.3f %d\n", ns / 1e9, kib }' \
        "$work/time.txt" >>"$file"
}

# expect TEXT: the last command's output holds TEXT.
expect() {
    grep -qF -- "$1" "$work/last.out" || {
        echo "unexpected output (wanted \"$1\"):" >&2
        cat "$work/last.out" >&2
        exit 1
    }
}

location() { # PORT: the synced container
    echo "Meridio://127.0.0.1:$1/container/1"
}

rows=()
# row NAME PROJECT_FILE [FLOOR_FILE]: a table row from the samples.
row() {
    local name=$1 project=$2 floor=${3:-}
    rows+=("$(awk -v name="$name" -v floorfile="$floor" '
        function stats(file, out,   n, line, v, m, i, j, t, peak) {
            n = 0; peak = 0
            while ((getline line < file) > 0) { split(line, v, " "); m[++n] = v[1]; if (v[2] > peak) peak = v[2] }
            close(file)
            for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (m[j] < m[i]) { t = m[i]; m[i] = m[j]; m[j] = t }
            out["min"] = m[1]; out["median"] = (n % 2) ? m[(n + 1) / 2] : (m[n / 2] + m[n / 2 + 1]) / 2
            out["peak"] = peak / 1024
        }
        BEGIN {
            stats(ARGV[1], p)
            if (floorfile != "") {
                stats(floorfile, f)
                ratio = f["median"] > 0 ? sprintf("%.1fx", p["median"] / f["median"]) : "-"
                printf "| %s | %.3f / %.3f s | %.3f / %.3f s | %s | %.0f MiB (floor %.0f MiB) |", name, p["min"], p["median"], f["min"], f["median"], ratio, p["peak"], f["peak"]
            } else {
                printf "| %s | %.3f / %.3f s | - | - | %.0f MiB |", name, p["min"], p["median"], p["peak"]
            }
        }' "$project")")
}

# ---- the large mirror ---------------------------------------------------------------------------

# The large mirror is not measured, and its first pass takes long: it is made in the background while
# the small figures run, and kept with the port its locations name for later runs.
large_maker=
if [ -f "$work/mirror-large.port" ] && start_server large "$work/repo-large" "$(cat "$work/mirror-large.port")"; then
    echo "== the large mirror of an earlier run, port $port_large" >&2
else
    rm -rf "$work/mirror-large" "$work/mirror-large.port"
    start_server large "$work/repo-large"
    echo "== making the large mirror ($large documents) in the background" >&2
    "$bin/kova-sync" sync "$(location "$port_large")" --into "$work/mirror-large" >"$work/mirror-large.out" 2>&1 &
    large_maker=$!
fi

wait_for_large_mirror() {
    [ -n "$large_maker" ] || return 0
    echo "== waiting for the large mirror" >&2
    wait "$large_maker" || true
    grep -qF "$large downloaded, 0 unchanged, 0 removed, 0 failed" "$work/mirror-large.out" || {
        echo "the large mirror's first pass failed:" >&2
        tail "$work/mirror-large.out" >&2
        exit 1
    }
    echo "$port_large" >"$work/mirror-large.port"
}

# ---- first and second pass, small repository ------------------------------------------------------

start_server small "$work/repo-small"
rm -f "$work"/*.samples
for ((run = 1; run <= runs; run++)); do
    echo "== first pass, $small documents, run $run" >&2
    rm -rf "$work/mirror-small"
    measure "$work/first.samples" "$bin/kova-sync" sync "$(location "$port_small")" --into "$work/mirror-small"
    expect "$small downloaded, 0 unchanged, 0 removed, 0 failed"
done

# second_pass NAME PORT MIRROR COUNT: the pass and its floor, in turn.
second_pass() {
    local name=$1 port=$2 mirror=$3 count=$4 session
    session=$(token "$port")
    local header="<MeridioCredentialHeader xmlns=\"http://www.meridio.com/MeridioSCWS\"><Token>$session</Token></MeridioCredentialHeader>"
    local body='<OutlookGetContainerFullEx xmlns="http://www.meridio.com/MeridioSCWS"><containerId>1</containerId></OutlookGetContainerFullEx>'
    for ((run = 1; run <= runs; run++)); do
        echo "== second pass, $count documents, run $run" >&2
        measure "$work/second-$name.samples" "$bin/kova-sync" sync "$(location "$port")" --into "$mirror"
        expect "0 downloaded, $count unchanged, 0 removed, 0 failed"
        measure "$work/second-$name-floor.samples" bash -c "$(declare -f soap); soap $port scws OutlookGetContainerFullEx '$header' '$body' '$work/listing.xml' && '$bin/listing_floor' '$work/listing.xml'"
        expect "$((count + 1)) rows"
    done
}

second_pass small "$port_small" "$work/mirror-small" "$small"

# ---- second pass, large repository --------------------------------------------------------------

wait_for_large_mirror
second_pass large "$port_large" "$work/mirror-large" "$large"

# ---- download -----------------------------------------------------------------------------------

start_server download "$work/repo-download"
session=$(token "$port_download")
for ((run = 1; run <= runs; run++)); do
    echo "== download of $download_mib MiB, run $run" >&2
    rm -rf "$work/mirror-download"
    measure "$work/download.samples" "$bin/kova-sync" sync "$(location "$port_download")" --into "$work/mirror-download"
    expect "1 downloaded, 0 unchanged, 0 removed, 0 failed"
    measure "$work/download-floor.samples" bash -c "$(declare -f soap); soap $port_download dmws GetLatestVersionFile '<MeridioCredentialHeader xmlns=\"http://www.meridio.com/MeridioDMWS\"><token>$session</token></MeridioCredentialHeader>' '<GetLatestVersionFile xmlns=\"http://www.meridio.com/MeridioDMWS\"><docId>1001</docId></GetLatestVersionFile>' '$work/download.dime'"
done
rm -f "$work/download.dime"

# ---- upload -------------------------------------------------------------------------------------

# Each run has a server of its own (the replay adds a version the next run's mirror would not know):
# a first pass makes the mirror, a first upload is saved for the replay (--save-upload saves only
# that one), then the measured upload of another edit and, the document locked again as the filter
# locks it, curl sending the saved message.
# edit FILE TEXT: the text written over the file's bytes at 1 MiB, its size kept.
edit() { printf %s "$2" | dd of="$1" bs=1 seek=$((1 << 20)) conv=notrunc status=none; }
for ((run = 1; run <= runs; run++)); do
    echo "== upload of $download_mib MiB, run $run" >&2
    rm -rf "$work/mirror-upload" "$work/upload.dime"
    start_server upload "$work/repo-download" 0 --save-upload "$work/upload.dime"
    mirrored=$work/mirror-upload/doc-000001.txt
    "$bin/kova-sync" sync "$(location "$port_upload")" --into "$work/mirror-upload" >"$work/last.out" 2>&1
    expect "1 downloaded"
    edit "$mirrored" "saved upload $run"
    "$bin/kova-sync" sync "$(location "$port_upload")" --into "$work/mirror-upload" >"$work/last.out" 2>&1
    expect "1 sent"
    edit "$mirrored" "measured upload $run"
    measure "$work/upload.samples" "$bin/kova-sync" sync "$(location "$port_upload")" --into "$work/mirror-upload"
    expect "1 sent"
    "$bin/kova-sync" checkout "$mirrored" >"$work/last.out" 2>&1
    measure "$work/upload-floor.samples" curl -sS --fail -o "$work/upload-reply.xml" \
        -H 'Content-Type: application/dime' -H 'SOAPAction: "http://www.meridio.com/MeridioDMWS/AddObject2"' \
        --data-binary @"$work/upload.dime" "http://127.0.0.1:$port_upload/dmws/meridiodmws.asmx"
    kill "$pid_upload"
    wait "$pid_upload" 2>/dev/null || true
done
rm -f "$work/upload.dime"

# ---- hashing ------------------------------------------------------------------------------------

for ((run = 1; run <= runs; run++)); do
    echo "== MD5 of $hash_mib MiB, run $run" >&2
    measure "$work/hash.samples" "$bin/hash_file" "$work/hash.bin"
    measure "$work/hash-floor.samples" openssl md5 "$work/hash.bin"
done

# ---- the table ----------------------------------------------------------------------------------

row "first pass, $small one-byte documents" "$work/first.samples"
row "second pass (nothing changed), $small documents" "$work/second-small.samples" "$work/second-small-floor.samples"
row "second pass (nothing changed), $large documents" "$work/second-large.samples" "$work/second-large-floor.samples"
row "download of one $download_mib MiB document" "$work/download.samples" "$work/download-floor.samples"
row "upload of one $download_mib MiB document" "$work/upload.samples" "$work/upload-floor.samples"
row "MD5 of a $hash_mib MiB file" "$work/hash.samples" "$work/hash-floor.samples"

echo
revision=$( (git rev-parse --short HEAD && git diff --quiet HEAD || echo +changes) 2>/dev/null | tr -d '\n')
echo "$runs runs each, $(nproc) cores, revision ${revision:-unknown}"
echo
echo "| figure | project min / median | floor min / median | ratio (medians) | peak memory |"
echo "|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
sort -n "$work/first.samples" | awk -v n="$small" '{ s[++k] = $1 } END { printf "\nfirst pass: %.1f ms a document (median)\n", 1000 * (k % 2 ? s[(k + 1) / 2] : (s[k / 2] + s[k / 2 + 1]) / 2) / n }'
