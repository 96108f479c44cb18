#!/usr/bin/env bash
# Installs what is missing, builds both programs, generates the default data
# and starts the game in a window.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGAME_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
cd build
exec ./game "$@"
