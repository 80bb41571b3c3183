# varlo-cli sim, read back through varlo-cli dump.
source "$(dirname "$0")/lib.sh"

# A clean stream decodes to exactly the frames sent, the first included.
"$CLI" sim --raw --rate 0 --count 120 >"$WORK/tour.bin" 2>"$WORK/err"
equal "sim exit status" 0 $?
equal "sim summary" "sent 120 frames, corrupted 0 bytes in 0 frames" "$(cat "$WORK/err")"
"$CLI" dump --decimal-sep . "$WORK/tour.bin" >"$WORK/tour.out" 2>"$WORK/tour.err"
equal "tour decodes whole" "120 frames decoded, 0 rejected, 0 dropped" "$(cat "$WORK/tour.err")"

for scenario in sweep steady random; do
  "$CLI" sim --raw --rate 0 --count 300 --scenario $scenario --seed 4 2>/dev/null |
    "$CLI" dump --decimal-sep . >/dev/null 2>"$WORK/$scenario.err"
  equal "$scenario decodes whole" "300 frames decoded, 0 rejected, 0 dropped" "$(cat "$WORK/$scenario.err")"
done

# The same stream as HID reports.
"$CLI" sim --reports --rate 0 --count 120 --seed 8 2>/dev/null >"$WORK/tour.txt"
"$CLI" dump --hid-reports --decimal-sep . "$WORK/tour.txt" >"$WORK/tourh.out" 2>"$WORK/tourh.err"
same "reports decode to the same lines" "$WORK/tour.out" "$WORK/tourh.out"
"$CLI" sim --reports --rate 0 --count 120 --seed 8 2>/dev/null >"$WORK/tour2.txt"
same "a seed repeats the report split" "$WORK/tour.txt" "$WORK/tour2.txt"

# A replayed capture gives the same readings.
"$CLI" sim --raw --rate 0 --replay "$WORK/tour.bin" >"$WORK/replay.bin" 2>"$WORK/replay.err"
same "replay sends the capture" "$WORK/tour.bin" "$WORK/replay.bin"
equal "replay steps" "sent 120 frames, corrupted 0 bytes in 0 frames" "$(cat "$WORK/replay.err")"

# Noise: the summary counts what the log lists.
"$CLI" sim --raw --rate 0 --count 1000 --scenario random --seed 2 --noise 0.01 \
  --noise-log "$WORK/noise.log" >"$WORK/noisy.bin" 2>"$WORK/noisy.err"
k=$(wc -l <"$WORK/noise.log")
j=$(cut -d' ' -f2 "$WORK/noise.log" | sort -u | wc -l)
equal "noise summary" "sent 1000 frames, corrupted $k bytes in $j frames" "$(cat "$WORK/noisy.err")"
checks=$((checks + 1))
[[ $k -gt 50 ]] || fail "noise corrupted only $k bytes"
checks=$((checks + 1))
grep -qvE '^frame [0-9]+ offset ([0-9]|1[0-3]) (flip|drop|insert)$' "$WORK/noise.log" &&
  fail "noise log lines: $(grep -vE '^frame [0-9]+ offset ([0-9]|1[0-3]) (flip|drop|insert)$' "$WORK/noise.log" | head -3)"

# Closed output: a clean end with the summary.
"$CLI" sim --raw --rate 0 2>"$WORK/pipe.err" | head -c 100 >/dev/null
contains "closed pipe ends the run" "frames, corrupted 0 bytes in 0 frames" "$WORK/pipe.err"

# A reader that opens the terminal, takes nothing and goes: one SIGTERM ends
# the run cleanly, with its summary.
"$CLI" sim --rate 0 >"$WORK/pty.out" 2>"$WORK/pty.err" &
sim=$!
for _ in $(seq 200); do [[ -s "$WORK/pty.out" ]] && break; sleep 0.05; done
pty=$(head -1 "$WORK/pty.out")
sleep 1 <"$pty"
kill -TERM $sim
for _ in $(seq 200); do kill -0 $sim 2>/dev/null || break; sleep 0.05; done
if kill -0 $sim 2>/dev/null; then
  fail "one SIGTERM did not end a run waiting to write"
  kill -KILL $sim
fi
wait $sim
equal "stopped run exit status" 0 $?
contains "stopped run summary" "frames, corrupted 0 bytes in 0 frames" "$WORK/pty.err"

# Usage errors.
"$CLI" sim --rate fast >/dev/null 2>"$WORK/usage.err"
equal "bad rate exit status" 2 $?
contains "bad rate says why" "--rate must be" "$WORK/usage.err"
"$CLI" sim --replay "$WORK/absent.bin" --raw >/dev/null 2>"$WORK/absent.err"
equal "missing replay exit status" 2 $?
contains "missing replay named" "$WORK/absent.bin" "$WORK/absent.err"

finish
