#!/usr/bin/env bash
# Long-play soak of the real program: `game` runs headless on the fixed frame
# clock through a generated script of play, repeated in a loop of 600 frames:
# the castle menu (M, a balloon, healing, an offer bought), the equipment menu
# (E, an item worn, a point spent), pause (P), the target and follow cameras
# (2, 1), every F-key toggle (F3 ... F9, each twice), held fire, a burst of
# speed with the nose raised, turns, strafing both ways, dropping gold (space)
# and a visit to the main menu (Escape, Enter). Each loop ends with the dragon
# turned about, so the next one flies the same moves the other way: the
# dragon stays by the castle (M opens the castle menu only within 40 units;
# it keeps within about 15 units of its start, at its height).
#
# Resident memory (VmRSS of /proc/<pid>/status) is sampled into rss.csv
# (seconds since start, kB). The run passes when
#   - the program exits with code 0 (the frame limit closes its window);
#   - "Log.txt" holds no error line: a line with one of the failure words the
#     game and its loaders write (ERROR_WORDS below: "Fehler",
#     "fehlgeschlagen", "failed", "cannot", "not loaded", "refused",
#     "skipped", "missing", ...);
#   - standard error holds no sanitizer report;
#   - memory levels off: the resident size at the end (mean of the last
#     samples) lies at most --max-growth MB (default 8) above the resident
#     size half-way through the run. --no-memory-check leaves this out (under
#     AddressSanitizer, whose quarantine keeps freed memory on purpose).
#
# Everything happens in a scratch folder (the build's data folders linked
# in, an init.props of its own), so the build folder's files stay untouched.
#
#   bench/soak.sh [--build DIR] [--program game|game_nv] [--frames N]
#                 [--size WxH] [--out DIR] [--interval SECONDS]
#                 [--max-growth MB] [--no-memory-check]
#
# --build defaults to build/ beside this script's folder, --frames to 30000,
# --size to the generated init.props' (1024x768), --out to a fresh folder
# under ${TMPDIR:-/tmp}, --interval to 5 seconds.
# The folder is kept; its rss.csv, Log.txt, stderr.txt and input.script tell
# what happened. A build with GAME_SANITIZE=ON checks for leaks at exit with
# tests/lsan.supp (the GL driver's own modules).
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build"
program=game
frames=30000
out=""
interval=5
maxGrowthMb=8
memoryCheck=1
size=""

while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="$(cd "$2" && pwd)"; shift 2 ;;
    --program) program="$2"; shift 2 ;;
    --frames) frames="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    --interval) interval="$2"; shift 2 ;;
    --max-growth) maxGrowthMb="$2"; shift 2 ;;
    --no-memory-check) memoryCheck=0; shift ;;
    --size) size="$2"; shift 2 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "soak: unknown argument '$1'" >&2; exit 2 ;;
  esac
done

[ -x "$build/$program" ] || { echo "soak: no program '$build/$program' (build first)" >&2; exit 2; }
if [ -z "$out" ]; then
  out="$(mktemp -d "${TMPDIR:-/tmp}/soak-XXXXXX")"
else
  mkdir -p "$out"
  out="$(cd "$out" && pwd)"
fi

# ---------------------------------------------------------- the folder ----

for folder in tex mods programs terrain Levels itemdata sound; do
  [ -e "$build/$folder" ] && ln -sfn "$build/$folder" "$out/$folder"
done
# The generated settings without the start screens: the main menu then shows
# from about frame 360, and the game runs from about frame 480.
sed 's/^STARTUP=.*/STARTUP=OFF/' "$build/init.props" > "$out/init.props"
if [ -n "$size" ]; then
  sed -i "s/^RESX=.*/RESX=${size%x*}/; s/^RESY=.*/RESY=${size#*x}/" "$out/init.props"
fi
rm -f "$out/Log.txt" "$out/rss.csv"

# ---------------------------------------------------------- the script ----

# Menu buttons in window pixels: the menus lay out a 640 x 480 sheet over the
# window, so the sheet's points are scaled by the window's size.
resx="$(sed -n 's/^RESX=\([0-9]*\).*/\1/p' "$out/init.props")"
resy="$(sed -n 's/^RESY=\([0-9]*\).*/\1/p' "$out/init.props")"
resx="${resx:-1024}"
resy="${resy:-768}"
at() { echo "$(( $1 * resx / 640 )) $(( $2 * resy / 480 ))"; }

# The mouse turns the dragon by 0.005 rad a pixel away from the centre
# (200, 200), where the game puts the cursor back. Speeding up presses the
# dragon down; raising the nose by 30 pixels while it coasts afterwards keeps
# its height. 2 x 314 pixels turn it about.
climb=30

loop() {
  local o="$1"
  cat <<EOF
# loop from frame $o
$(( o + 0 )) key C
$(( o + 5 )) key M
$(( o + 25 )) lclick $(at 200 385)
$(( o + 40 )) lclick $(at 200 415)
$(( o + 55 )) ldblclick $(at 150 75)
$(( o + 70 )) lclick $(at 150 75)
$(( o + 85 )) key ESCAPE
$(( o + 100 )) key E
$(( o + 120 )) ldblclick $(at 450 75)
$(( o + 135 )) lclick $(at 330 355)
$(( o + 155 )) key ESCAPE
$(( o + 170 )) key P
$(( o + 200 )) key P
$(( o + 210 )) key 2
EOF
  local f k=215
  for f in F3 F4 F5 F6 F7 F8 F9; do
    echo "$(( o + k )) key $f"
    echo "$(( o + k + 10 )) key $f"
    k=$(( k + 15 ))
  done
  cat <<EOF
$(( o + 260 )) key 1
$(( o + 320 )) ldown 200 200
$(( o + 325 )) mousemove 200 $(( 200 - climb ))
$(( o + 330 )) keydown UP
$(( o + 350 )) keyup UP
$(( o + 380 )) mousemove 300 200
$(( o + 390 )) keydown LEFT
$(( o + 420 )) keyup LEFT
$(( o + 420 )) keydown RIGHT
$(( o + 450 )) keyup RIGHT
$(( o + 455 )) mousemove 100 200
$(( o + 480 )) lup 200 200
$(( o + 485 )) key SPACE
$(( o + 490 )) mousemove 200 $(( 200 + climb ))
$(( o + 495 )) mousemove 514 200
$(( o + 497 )) mousemove 514 200
$(( o + 500 )) key ESCAPE
$(( o + 540 )) key RETURN
EOF
}

{
  echo "360 key RETURN"
  for (( o = 500; o + 600 <= frames; o += 600 )); do loop "$o"; done
} > "$out/input.script"

# ------------------------------------------------------------- the run ----

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
export GAME_TEST_SCRIPT="$out/input.script" GAME_TEST_FRAME_MS=20 GAME_TEST_FRAMES="$frames"
# Under the sanitizers: the leak check at exit as the tests run it (see
# tests/CMakeLists.txt).
export ASAN_OPTIONS="${ASAN_OPTIONS:-intercept_tls_get_addr=0}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$here/tests/lsan.supp:print_suppressions=0}"

echo "soak: $frames frames of '$build/$program' in $out"
start=$(date +%s.%N)
elapsed() { awk -v s="$start" -v n="$(date +%s.%N)" 'BEGIN { printf "%.1f", n - s }'; }
(cd "$out" && exec "$build/$program" > stdout.txt 2> stderr.txt) &
pid=$!
echo "seconds,rss_kb" > "$out/rss.csv"
while sleep "$interval" && kill -0 "$pid" 2>/dev/null; do
  rss="$(sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\).*/\1/p' "/proc/$pid/status" 2>/dev/null || true)"
  [ -n "$rss" ] && echo "$(elapsed),$rss" >> "$out/rss.csv"
done
set +e
wait "$pid"
code=$?
set -e
wall="$(elapsed)"

# ----------------------------------------------------------- the checks ----

failed=0
printf 'soak: exit code %d after %.0f s\n' "$code" "$wall"
[ "$code" -eq 0 ] || failed=1

# An error line is one with a word of failure as the game and its loaders
# write them: the German texts ("Fehler beim ...", "... fehlgeschlagen",
# "Kein routing item", "Verdacht auf Zyklus") and the lines that name a
# file or part and the cause ("... cannot be opened; mesh missing", "...,
# file refused", "Particle array full (4096): new particles are refused").
ERROR_WORDS='Fehler|FEHLER|fehler|fehlgeschlagen|Kein routing item|Verdacht auf Zyklus|[Ff]ailed|cannot|not loaded|refused|skipped|missing|dropped|left out|cut short|unreadable|nothing (to upload|uploaded)|no room|no free|does not|not (added|filed|kept|started)|outside|unknown|lacks|draws (nothing|without)|unshaded|instead of|ancestor|expected|beyond|too large|has no|not a number|more than|distinct bones|no (castle|balloon kind|key field|current way point|world|GL buffer)|stays? where|makes no'
errors="$(grep -aE "$ERROR_WORDS" "$out/Log.txt" 2>/dev/null | sort | uniq -c | sort -rn || true)"
if [ ! -s "$out/Log.txt" ]; then
  echo "soak: no Log.txt written"
  failed=1
elif [ -n "$errors" ]; then
  echo "soak: error lines in Log.txt (count, line):"
  echo "$errors" | head -20 || true
  failed=1
else
  echo "soak: no error line in Log.txt ($(wc -l < "$out/Log.txt") lines)"
fi

if grep -aqE 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' "$out/stderr.txt"; then
  echo "soak: sanitizer report on standard error:"
  grep -aE -A12 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' "$out/stderr.txt" | head -60 || true
  failed=1
elif [ -s "$out/stderr.txt" ]; then
  echo "soak: standard error (not counted as a failure):"
  sort "$out/stderr.txt" | uniq -c | sort -rn | head -10 || true
fi

# Resident size (MB) at the first sample, a quarter of the way, half-way
# and at the end (each the mean of up to five samples around that time), the
# peak, and the times of those samples.
memory="$(awk -F, -v wall="$wall" '
  BEGIN { n = 0 }
  NR == 1 { next }
  { t[n] = $1; r[n] = $2; ++n }
  function nearest(at,   i, best) {
    best = 0
    for (i = 0; i < n; ++i) if ((t[i] - at) ^ 2 < (t[best] - at) ^ 2) best = i
    return best
  }
  function around(i,   s, c, k) {
    s = 0; c = 0
    for (k = i - 2; k <= i + 2; ++k) if (k >= 0 && k < n) { s += r[k]; ++c }
    return s / c / 1024
  }
  END {
    if (n < 5) { print "none"; exit }
    peak = 0
    for (i = 0; i < n; ++i) if (r[i] > peak) peak = r[i]
    q = nearest(wall / 4); h = nearest(wall / 2)
    printf "%.1f %.0f %.1f %.0f %.1f %.0f %.1f %.0f %.1f\n", r[0] / 1024, t[0], around(q), t[q], around(h), t[h],
      around(n - 1), t[n - 1], peak / 1024
  }' "$out/rss.csv")"
if [ "$memory" = "none" ]; then
  echo "soak: too few memory samples for a figure"
  [ "$memoryCheck" -eq 1 ] && failed=1
else
  read -r first firstAt quarter quarterAt half halfAt last lastAt peak <<< "$memory"
  growth="$(awk -v a="$last" -v b="$half" 'BEGIN { printf "%.1f", a - b }')"
  echo "soak: resident MB: $first at ${firstAt} s, $quarter at ${quarterAt} s, $half at ${halfAt} s," \
       "$last at ${lastAt} s (peak $peak); ${growth} MB over the second half"
  if [ "$memoryCheck" -eq 1 ] && awk -v g="$growth" -v m="$maxGrowthMb" 'BEGIN { exit !(g > m) }'; then
    echo "soak: memory grew by $growth MB over the second half (at most $maxGrowthMb allowed)"
    failed=1
  fi
fi

if [ "$failed" -ne 0 ]; then
  echo "soak: FAILED (files in $out)"
  exit 1
fi
echo "soak: passed (files in $out)"
