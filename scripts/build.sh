#!/usr/bin/env bash
# Installs what is missing and builds Corvane (program, command-line tool and tests) in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
launcher=()
# ccache, when the machine has it, makes rebuilds of unchanged files free.
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build --parallel "$(nproc)" "$@"
