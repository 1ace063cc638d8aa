#!/usr/bin/env bash
# Installs what is missing and builds Corvane (program, command-line tool and tests) in build/.
# Other builds set CORVANE_BUILD_DIR and CORVANE_CMAKE_OPTIONS (scripts/test-asan.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build_dir="${CORVANE_BUILD_DIR:-build}"
read -r -a options <<<"${CORVANE_CMAKE_OPTIONS:-}"
# ccache, when the machine has it, makes rebuilds of unchanged files free.
if command -v ccache >/dev/null; then
  options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  # Files compiled with a precompiled header are cached only with these.
  export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
fi
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)" "$@"
