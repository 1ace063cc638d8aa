#!/usr/bin/env bash
# Builds Corvane and makes its Debian package, build/corvane_VERSION_ARCH.deb
# (install it with `sudo apt install ./build/corvane_*.deb`).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
cpack -G DEB >/dev/null
ls -1 "$PWD"/corvane_*.deb
