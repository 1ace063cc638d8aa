#!/usr/bin/env bash
# Builds the headless libraries, the command-line tool and their tests with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/, and runs every test there. Arguments go to ctest
# (for example -R xbase or -L faxdoc).
set -euo pipefail
cd "$(dirname "$0")/.."
CORVANE_BUILD_DIR=build-asan CORVANE_CMAKE_OPTIONS="-DCORVANE_SANITIZE=ON -DCORVANE_BUILD_GUI=OFF" \
  bash scripts/build.sh
# Any finding ends the test that made it (undefined behaviour too: the build does not recover).
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
cd build-asan
ctest --output-on-failure --parallel "$(nproc)" --timeout 600 "$@"
