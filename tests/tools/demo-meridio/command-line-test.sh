#!/usr/bin/env bash
# Runs demo-meridio as a user would: it prints its port, answers a login on it, and stops on SIGTERM.
set -euo pipefail
binary=$1
content=$2
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$binary" --port 0 --content "$content" >"$out" &
pid=$!
for _ in $(seq 50); do
    [ -s "$out" ] && break
    sleep 0.1
done
port=$(head -n1 "$out")
[[ "$port" =~ ^[0-9]+$ ]] || { echo "no port printed: $(cat "$out")"; kill "$pid"; exit 1; }
reply=$(curl -s -H 'Content-Type: text/xml; charset=utf-8' \
    -H 'SOAPAction: http://www.meridio.com/MeridioDMWS/Login' \
    --data '<soap:Envelope xmlns:soap="http://schemas.xmlsoap.org/soap/envelope/"><soap:Body><LoginUnified xmlns="http://www.meridio.com/MeridioDMWS" /></soap:Body></soap:Envelope>' \
    "http://127.0.0.1:$port/dmws/meridiodmws.asmx")
kill -TERM "$pid"
wait "$pid"
[[ "$reply" == *"<LoginResult>"* ]] || { echo "unexpected reply: $reply"; exit 1; }
echo "1 passed, 0 failed"
