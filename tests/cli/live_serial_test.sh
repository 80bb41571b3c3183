# varlo-cli dump --port: the simulator on a pseudo-terminal, read live.
source "$(dirname "$0")/lib.sh"

# start_sim ARGS...: starts the simulator on a new terminal; sets SIM_PID
# and PORT. Each run prints into a file of its own: the redirect truncates
# its file only in the child, so a reused file could still show the
# previous run's terminal when it is first read.
sims=0
start_sim() {
  sims=$((sims + 1))
  local out="$WORK/sim.$sims.out"
  "$CLI" sim "$@" >"$out" 2>"$WORK/sim.err" &
  SIM_PID=$!
  PORT=""
  for _ in $(seq 200); do
    # A whole line: the path is printed with its line end in one write.
    if [[ $(wc -l <"$out" 2>/dev/null || echo 0) -ge 1 ]]; then
      PORT=$(head -1 "$out")
      [[ -c "$PORT" ]] && return
    fi
    sleep 0.05
  done
  fail "sim printed no terminal"
}

# The live stream decodes to the lines of the same stream from a file.
"$CLI" sim --raw --rate 0 --count 200 --scenario random --seed 5 2>/dev/null >"$WORK/raw.bin"
"$CLI" dump --decimal-sep . "$WORK/raw.bin" >"$WORK/expected" 2>/dev/null
start_sim --rate line --count 200 --scenario random --seed 5
timeout 20 "$CLI" dump --port "$PORT" --count 200 --decimal-sep . --capture "$WORK/cap.bin" \
  >"$WORK/live" 2>"$WORK/live.err"
equal "live dump exit status" 0 $?
wait $SIM_PID
same "live dump lines" "$WORK/expected" "$WORK/live"
equal "live dump summary" "200 frames decoded, 0 rejected, 0 dropped" "$(cat "$WORK/live.err")"
same "capture holds every received byte" "$WORK/raw.bin" "$WORK/cap.bin"
"$CLI" dump --decimal-sep . "$WORK/cap.bin" >"$WORK/replayed" 2>/dev/null
same "a capture dumps like the live run" "$WORK/expected" "$WORK/replayed"

# A live log records the rows a replay of the same stream records; only the
# time column differs (the real clock).
"$CLI" log --decimal-sep . "$WORK/raw.bin" 2>/dev/null | cut -f1,3- >"$WORK/log.expected"
start_sim --rate line --count 200 --scenario random --seed 5
timeout 20 "$CLI" log --port "$PORT" --count 200 --decimal-sep . >"$WORK/log.live" 2>"$WORK/log.err"
equal "live log exit status" 0 $?
wait $SIM_PID
cut -f1,3- "$WORK/log.live" >"$WORK/log.cut"
same "live log rows" "$WORK/log.expected" "$WORK/log.cut"
contains "live log summary" "200 frames decoded, 0 rejected, 0 dropped; 200 rows" "$WORK/log.err"
checks=$((checks + 1))
grep -qvE $'^([0-9]+\t[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\t|No\t)' "$WORK/log.live" && fail "live log time column"
"$CLI" log --port "$PORT" --start 00:00:01 >/dev/null 2>"$WORK/log.usage"
contains "replay clock options refused live" "--start is for recorded input" "$WORK/log.usage"

# COMn through VARLO_COMn; SIGTERM ends the run cleanly with the summary.
start_sim --rate 20
start=$(date +%s%N)
VARLO_COM3="$PORT" "$CLI" dump --port COM3 --decimal-sep . >"$WORK/term" 2>"$WORK/term.err" &
DUMP_PID=$!
# Stopped once ten frames are through (or after 20 s at the latest).
for _ in $(seq 400); do
  [[ $(wc -l <"$WORK/term") -gt 10 ]] && break
  sleep 0.05
done
kill -TERM $DUMP_PID
wait $DUMP_PID
equal "SIGTERM exit status" 0 $?
took_ms=$((($(date +%s%N) - start) / 1000000))
kill -TERM $SIM_PID
wait $SIM_PID
lines=$(($(wc -l <"$WORK/term") - 1))
checks=$((checks + 1))
[[ $lines -ge 10 && $lines -le $((took_ms * 20 / 1000 + 5)) ]] ||
  fail "20 frames/s for $took_ms ms gave $lines lines"
equal "SIGTERM summary" "$lines frames decoded, 0 rejected, 0 dropped" "$(cat "$WORK/term.err")"
contains "sim ends on SIGTERM with its summary" "frames, corrupted 0 bytes in 0 frames" "$WORK/sim.err"

# --seconds, and a closed output pipe.
start_sim --rate 50
start=$(date +%s%N)
"$CLI" dump --port "$PORT" --seconds 0.5 >/dev/null 2>"$WORK/sec.err"
took_ms=$((($(date +%s%N) - start) / 1000000))
checks=$((checks + 1))
[[ $took_ms -ge 450 && $took_ms -lt 3000 ]] || fail "--seconds 0.5 took $took_ms ms"
contains "--seconds summary" "frames decoded, 0 rejected" "$WORK/sec.err"
timeout 10 "$CLI" dump --port "$PORT" 2>"$WORK/pipe.err" | head -3 >/dev/null
equal "closed pipe ends the run" "0" "${PIPESTATUS[0]}"
contains "closed pipe summary" "frames decoded" "$WORK/pipe.err"
kill -TERM $SIM_PID
wait $SIM_PID

# Ports that cannot be opened say why.
"$CLI" dump --port /dev/varlo-absent >/dev/null 2>"$WORK/absent.err"
equal "absent port exit status" 2 $?
contains "absent port reason" "/dev/varlo-absent: no such device" "$WORK/absent.err"
"$CLI" dump --port /dev/null --hid-reports >/dev/null 2>"$WORK/usage.err"
equal "port with an input is a usage error" 2 $?
"$CLI" dump --count 3 "$WORK/raw.bin" >/dev/null 2>"$WORK/usage2.err"
contains "--count without --port" "--count goes with --port" "$WORK/usage2.err"

# --count stops at exactly N frames, even when one poll brings more.
start_sim --rate line --scenario random --seed 6
timeout 20 "$CLI" dump --port "$PORT" --count 3 --decimal-sep . >"$WORK/three" 2>"$WORK/three.err"
equal "--count 3 exit status" 0 $?
kill $SIM_PID 2>/dev/null; wait $SIM_PID 2>/dev/null
equal "--count 3 lines" 4 "$(wc -l <"$WORK/three")"
equal "--count 3 summary" "3 frames decoded, 0 rejected, 0 dropped" "$(cat "$WORK/three.err")"

# The device goes away (the simulator ends, its terminal closes): the run
# ends naming the device, then the summary, with exit status 1.
for command in dump log; do
  start_sim --rate 50 --count 10
  timeout 20 "$CLI" $command --port "$PORT" --decimal-sep . >"$WORK/gone.out" 2>"$WORK/gone.err"
  equal "$command: device gone exit status" 1 $?
  wait $SIM_PID
  equal "$command: device gone message" "varlo-cli $command: $PORT: device disconnected" \
    "$(head -1 "$WORK/gone.err")"
  equal "$command: then the summary" "10 frames decoded, 0 rejected, 0 dropped" \
    "$(sed -n 2p "$WORK/gone.err" | cut -d';' -f1)"
done

# A capture that cannot be written is told at once and stops; the run reads
# on and ends with a failure status.
start_sim --rate line --scenario random --seed 6
timeout 20 "$CLI" dump --port "$PORT" --count 3 --capture /dev/full --decimal-sep . \
  >"$WORK/full.out" 2>"$WORK/full.err"
equal "unwritable capture exit status" 1 $?
kill $SIM_PID 2>/dev/null; wait $SIM_PID 2>/dev/null
equal "unwritable capture: the frames still come" 4 "$(wc -l <"$WORK/full.out")"
equal "unwritable capture messages" \
  "varlo-cli dump: cannot write /dev/full: No space left on device; the capture stops here
3 frames decoded, 0 rejected, 0 dropped" "$(cat "$WORK/full.err")"

# A port that cannot be opened prints no header and leaves a capture alone.
echo precious >"$WORK/keep.bin"
"$CLI" dump --port "$WORK/no-such-tty" --capture "$WORK/keep.bin" >"$WORK/none.out" 2>/dev/null
equal "no header for a failed open" 0 "$(wc -c <"$WORK/none.out")"
equal "capture kept" "precious" "$(cat "$WORK/keep.bin")"

finish
