#!/usr/bin/env bash
# Builds the headless libraries, the command-line tool and their tests with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/, and runs every test there. Arguments go to ctest
# (for example -R core_xbase or -L faxdoc).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-asan -G Ninja -DCORVANE_SANITIZE=ON -DCORVANE_BUILD_GUI=OFF "${launcher[@]}" >/dev/null
cmake --build build-asan --parallel "$(nproc)"
# Any finding ends the test that made it (undefined behaviour too: the build does not recover).
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
cd build-asan
ctest --output-on-failure --parallel "$(nproc)" --timeout 600 "$@"
