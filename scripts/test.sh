#!/usr/bin/env bash
# Installs what is missing, builds Corvane with its tests, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
# Most tests wait on pseudo-terminals, child processes and the wall clock rather than compute
# (the whole suite takes under a minute of processor time), so twice as many run as there are
# processors.
ctest --output-on-failure --parallel "$((2 * $(nproc)))" --timeout 300
