#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite headless,
# once as a normal build and once under AddressSanitizer and
# UndefinedBehaviorSanitizer. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
JOBS="$(nproc)"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
run_suite() {
  local dir="$1"; shift
  cmake -S . -B "$dir" -DGAME_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j"$JOBS"
  (cd "$dir" && ctest --output-on-failure -j"$JOBS")
}
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DGAME_SANITIZE=ON
echo "All tests passed."
