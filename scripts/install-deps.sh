#!/usr/bin/env bash
# Installs everything rawsplit needs to build, test, fuzz and benchmark on a
# Debian 12 machine. Run as root (or through sudo). Quick when all is present.
set -euo pipefail

packages=(
  g++ clang cmake ninja-build pkg-config make
  zlib1g-dev libbz2-dev libzstd-dev libbrotli-dev libavro-dev libjansson-dev
  libgtest-dev googletest libclang-rt-14-dev
  gzip bzip2 zstd brotli time
  parallel groff-base man-db
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
