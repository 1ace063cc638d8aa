#!/usr/bin/env bash
# Installs every Debian package that building, testing and the tools need.
# A no-op when all of them are present; never prompts.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libjpeg62-turbo-dev libtiff-dev libspandsp-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  # fonts the fax header and cover pages are drawn with
  fonts-liberation2 fonts-dejavu-core fontconfig
  # independent peers used by the tests and tools
  libtiff-tools netpbm efax mgetty-fax libdbd-xbase-perl python3-dbf python3
  poppler-utils xvfb xauth
  # a private print server for the print-on-receipt test
  cups-daemon cups-client
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
