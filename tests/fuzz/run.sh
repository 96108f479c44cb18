#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each for a given time
# or number of runs, a few at a time, seeded from the generated data and the
# regression inputs. Prints runs, time and findings per target; exits
# non-zero when any target found something (kept under
# build-fuzz/fuzz/findings/<target>/).
#
#   tests/fuzz/run.sh [-t seconds] [-r runs] [-j parallel] [target ...]
#
# Defaults: 600 seconds or 1 000 000 runs per target, whichever ends first,
# 3 targets at a time, every target (tga properties model animation
# waypoints items shadowmap nvprogram). BUILD_DIR overrides the build folder.
set -euo pipefail
cd "$(dirname "$0")/../.."
SOURCE="$PWD"
SECONDS_PER_TARGET=600
RUNS=1000000
PARALLEL=3
while getopts "t:r:j:h" opt; do
  case "$opt" in
    t) SECONDS_PER_TARGET="$OPTARG" ;;
    r) RUNS="$OPTARG" ;;
    j) PARALLEL="$OPTARG" ;;
    *) sed -n '2,13p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
TARGETS=("$@")
[ ${#TARGETS[@]} -eq 0 ] && TARGETS=(tga properties model animation waypoints items shadowmap nvprogram)

scripts/deps.sh --fuzz
BUILD="${BUILD_DIR:-$SOURCE/build-fuzz}"
WORK="$BUILD/fuzz"
mkdir -p "$WORK"
echo "building the fuzz targets in $BUILD (log: $WORK/build.log)"
if ! { CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DGAME_FUZZ=ON -DGAME_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
       cmake --build "$BUILD" -j"${FUZZ_BUILD_JOBS:-6}" --target data $(printf 'fuzz_%s ' "${TARGETS[@]}"); } \
     >"$WORK/build.log" 2>&1; then
  tail -30 "$WORK/build.log"
  exit 1
fi

DATA="$BUILD"
# The entries write every input to a file: in memory where there is room.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

# Seeds: the generated files of each kind (large pictures left out).
seed() {
  local target="$1" dir="$WORK/seeds/$1"
  rm -rf "$dir" && mkdir -p "$dir"
  case "$target" in
    tga) find "$DATA/tex" -name '*.tga' -size -270k -exec cp {} "$dir" \; ;;
    properties) cp "$DATA/init.props" "$dir" ;;
    model) find "$DATA/mods" -iname '*.pff' ! -name 'ani*' -exec sh -c 'cp "$1" "$2/$(echo "$1" | tr / _)"' _ {} "$dir" \; ;;
    animation) find "$DATA/mods" -name 'ani*.pff' -exec sh -c 'cp "$1" "$2/$(echo "$1" | tr / _)"' _ {} "$dir" \; ;;
    waypoints) cp "$DATA/Levels/Level_1.wpf" "$dir" ;;
    items) cp "$DATA/itemdata/items.itm" "$dir" ;;
    shadowmap) head -c 4096 "$DATA/terrain/shadowtest.sdm" >"$dir/exact.sdm"
               head -c 5000 "$DATA/terrain/shadowtest.sdm" >"$dir/long.sdm" ;;
    nvprogram) cp "$DATA"/programs/*.nv "$dir" ;;
  esac
}

fuzz_one() {
  local target="$1"
  local corpus="$WORK/corpus/$target" findings="$WORK/findings/$target/"
  local regressions="$SOURCE/tests/fuzz/regressions/$target"
  mkdir -p "$corpus" "$findings" "$WORK/logs"
  seed "$target"
  local args=(-max_total_time="$SECONDS_PER_TARGET" -runs="$RUNS" -timeout=30 -report_slow_units=5
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings")
  [ -f "$SOURCE/tests/fuzz/$target.dict" ] && args+=(-dict="$SOURCE/tests/fuzz/$target.dict")
  case "$target" in tga|model) args+=(-max_len=270000) ;; esac
  # New inputs go to the first folder (the working corpus); the others only seed.
  args+=("$corpus" "$WORK/seeds/$target")
  [ -d "$regressions" ] && args+=("$regressions")
  ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}" \
    "$BUILD/fuzz/fuzz_$target" "${args[@]}" >"$WORK/logs/$target.log" 2>&1 || true
}

running=0
for target in "${TARGETS[@]}"; do
  if [ "$running" -ge "$PARALLEL" ]; then wait -n || true; running=$((running - 1)); fi
  echo "fuzzing $target ($SECONDS_PER_TARGET s or $RUNS runs)"
  fuzz_one "$target" &
  running=$((running + 1))
done
wait

status=0
printf '%-11s %10s %8s %9s %s\n' target runs seconds findings log
for target in "${TARGETS[@]}"; do
  log="$WORK/logs/$target.log"
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1 || true)
  secs=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | grep -o 'in [0-9]*' | grep -o '[0-9]*' | tail -1 || true)
  found=$(find "$WORK/findings/$target" -type f | wc -l)
  grep -q 'ERROR: \|runtime error' "$log" && [ "$found" -eq 0 ] && found=1
  [ "$found" -gt 0 ] && status=1
  printf '%-11s %10s %8s %9s %s\n' "$target" "${runs:-?}" "${secs:-?}" "$found" "$log"
done
exit $status
