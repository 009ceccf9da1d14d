#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on Debian 12. Safe to run again.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config clang-format curl
          libgoogle-glog-dev libcurl4-openssl-dev libpugixml-dev libssl-dev libkrb5-dev
          libcpp-httplib-dev nlohmann-json3-dev libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev
          libgmime-3.0-dev libgsf-1-dev zlib1g-dev time)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
