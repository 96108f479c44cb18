#!/usr/bin/env bash
# The frame-rate benchmark in one command: builds build/ (RelWithDebInfo, as
# ./test.sh does) and runs build/bench/gamebench with the arguments given,
# for example
#   bench/run.sh                          # this build, 640x480, 1024x768, 1600x1200
#   bench/run.sh --baseline ../other/build --runs 3
# Everything it writes goes to bench-out/ (see bench/README.md).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
exec build/bench/gamebench "$@"
