#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on Debian 12, and the packages given as
# arguments (scripts/fuzz.sh adds clang's). Safe to run again. Installing needs root: run it as root,
# or as a user who may use sudo.
set -euo pipefail
# locales-all: the C library's data for every locale, which the platform layer reads dates and numbers
# by (the locale tests need it).
packages=(build-essential cmake ninja-build pkg-config clang-format curl
          libgoogle-glog-dev libcurl4-openssl-dev libpugixml-dev libssl-dev libkrb5-dev
          libcpp-httplib-dev nlohmann-json3-dev libsimdjson-dev libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev
          libgmime-3.0-dev libgsf-1-dev libcli11-dev zlib1g-dev time
          locales-all "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
((${#missing[@]})) || exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "setup-debian.sh: these packages are missing: ${missing[*]}" >&2
    echo "Installing them needs root, and sudo is not installed. Run as root:" >&2
    echo "  su -c 'apt-get update && apt-get install -y ${missing[*]}'" >&2
    echo "then run this command again." >&2
    exit 1
fi
echo "== installing ${#missing[@]} Debian packages: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
