#!/usr/bin/env bash
# The whole `varlo-cli dump FILE` command on a file of 1,000,000 frames as
# varied as a real meter's (the simulator's tour and random scenarios), beside
# the in-process figure of bench_decode. Target: at least 1,340,000 frames per
# second for the command (twice the 670,000 measured while the decoder asked
# the system locale for every frame); 1,000,000 in process.
# Usage: bench_dump.sh [BUILD]   (default: $VARLO_BUILD, else build/bench)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${1:-${VARLO_BUILD:-$ROOT/build/bench}}"
CLI="$BUILD/tools/varlo-cli/varlo-cli"
DECODE="$BUILD/bench/decode/bench_decode"
FRAMES=1000000
TARGET=1340000
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

"$CLI" sim --raw --rate 0 --scenario tour --count $((FRAMES / 2)) >"$WORK/tour" 2>/dev/null
"$CLI" sim --raw --rate 0 --scenario random --seed 1 --count $((FRAMES / 2)) >"$WORK/random" 2>/dev/null
cat "$WORK/tour" "$WORK/random" >"$WORK/frames"

# The best of three runs: other work on the machine only ever slows a run.
best_wall=""
best_cpu=""
for run in 1 2 3; do
  TIMEFORMAT='%R %U %S'
  { time "$CLI" dump "$WORK/frames" >/dev/null 2>"$WORK/summary"; } 2>"$WORK/time"
  read -r wall user sys <"$WORK/time"
  cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')
  if [[ -z "$best_wall" ]] || awk -v a="$wall" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then
    best_wall=$wall
  fi
  if [[ -z "$best_cpu" ]] || awk -v a="$cpu" -v b="$best_cpu" 'BEGIN { exit !(a < b) }'; then
    best_cpu=$cpu
  fi
done
decoded=$(cut -d' ' -f1 "$WORK/summary")

if [[ -x "$DECODE" ]]; then
  in_process=$("$DECODE" --benchmark_filter=BM_AssembleAndDecode 2>/dev/null |
    grep -o 'frames_per_s=[0-9.]*[kM]*' | head -1 | cut -d= -f2)
  echo "in process (bench_decode): ${in_process:-?} frames/s, target >= 1000000"
fi
# Judged by CPU time: on a machine shared with other work the wall time
# also counts the time the command waited for a core.
awk -v n="$decoded" -v w="$best_wall" -v c="$best_cpu" -v t="$TARGET" 'BEGIN {
  printf "whole command (varlo-cli dump FILE, %d frames decoded): %.0f frames/s in %.2f s wall, %.0f frames/s per CPU second, target >= %d %s\n", n, n / w, w, n / c, t, (n / c >= t ? "met" : "MISSED")
}'
