#!/usr/bin/env bash
# Installs what is missing, builds Corvane with its tests, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
# Most tests wait on pseudo-terminals, child processes and the wall clock rather than compute
# (the machine stays mostly idle even with four at once on two processors), so three times as
# many run as there are processors.
ctest --output-on-failure --parallel "$((3 * $(nproc)))" --timeout 300
