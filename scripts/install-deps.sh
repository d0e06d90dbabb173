#!/usr/bin/env bash
# Installs every Debian package the reader, its tests, benchmarks and demo site need.
# Idempotent; run as root. Does nothing when every package is already installed.
set -euo pipefail
packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
    libcurl4-openssl-dev ca-certificates
    libpcre2-dev libsqlite3-dev sqlite3 libicu-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    curl nodejs python3
    fonts-wqy-microhei fortunes-zh
    xvfb xauth x11-utils imagemagick
    openssl
    clang-14 libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: missing packages: ${missing[*]}; run this script as root" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}"
