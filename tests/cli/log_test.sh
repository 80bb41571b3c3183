# varlo-cli log: replays through the window's recording rules.
source "$(dirname "$0")/lib.sh"

# frame FRAME...: the serial bytes of frames "A...D" (LF, 12 data bytes, CR).
frames() {
  for f in "$@"; do
    printf '\n'
    for ((i = 1; i < 13; i++)); do
      printf "\\x$(printf '%x' $((0x30 + 16#${f:i:1})))"
    done
    printf '\r'
  done
}

CRLF=$'\r'
frames A100100B00080D A100100B00080D A200200B00080D A000000310000D >"$WORK/four"
"$CLI" log --decimal-sep . --start 12:00:00 --period 600 --chart "$WORK/four" >"$WORK/out" 2>"$WORK/err"
equal "log exit status" 0 $?
printf 'No\tTime\tDC/AC\tValue\tUnit\tAUTO\r\n1\t12:00:00\tDC\t00.100\tV\tPass\r\n2\t12:00:00\tDC\t00.100\tV\tPass\r\n3\t12:00:01\tDC\t002.00\tV\tPass\r\n4\t12:00:01\tOhm\t0L\t*\tFail\r\n' >"$WORK/expected"
same "rows of a replay" "$WORK/expected" "$WORK/out"
equal "summary" "4 frames decoded, 0 rejected, 0 dropped; 4 rows; 0 over limit, 0 sampling, 0 repeats; 0 beeps" "$(sed -n 1p "$WORK/err")"
equal "chart line" "chart points=4 page=1 pages=1 window=1..100 active=0" "$(sed -n 2p "$WORK/err")"

# The same replay gives the same output every time.
"$CLI" log --decimal-sep . --start 12:00:00 --period 600 --chart "$WORK/four" >"$WORK/out2" 2>/dev/null
same "replays are repeatable" "$WORK/out" "$WORK/out2"

# Without "Repeat" a steady reading is one row; the chart still gets every point.
frames A100100B00080D A100100B00080D A100100B00080D >"$WORK/steady"
"$CLI" log --decimal-sep . --no-repeat --chart "$WORK/steady" >"$WORK/out" 2>"$WORK/err"
equal "repeat rows" 2 "$(wc -l <"$WORK/out")"
contains "repeat summary" "1 rows; 0 over limit, 0 sampling, 2 repeats" "$WORK/err"
contains "repeat chart" "chart points=3 " "$WORK/err"

# Sampling every 2 s at the meter's pace: a row, then 2 ticks must pass.
for i in 1 2 3 4 5 6 7 8 9 10; do frames A100100B00080D; done >"$WORK/ten"
"$CLI" log --decimal-sep . --sample 2 "$WORK/ten" >"$WORK/out" 2>"$WORK/err"
# frames at 0, .5, ... 4.5 s; ticks at 1, 2, 3, 4 s: rows at 0 s, 2 s (after
# the ticks at 1 and 2), and 4 s.
equal "sampled rows" "$(printf '1\t00:00:00\n2\t00:00:02\n3\t00:00:04')" "$(tail -n +2 "$WORK/out" | cut -f1,2)"
contains "sampling summary" "3 rows; 0 over limit, 7 sampling" "$WORK/err"

# The record limit admits exactly its rows.
for i in $(seq 1 1003); do printf '\n100100;00080\r'; done >"$WORK/many"
"$CLI" log --decimal-sep . --limit 1000 --chart "$WORK/many" >"$WORK/out" 2>"$WORK/err"
equal "limit rows" 1001 "$(wc -l <"$WORK/out")"
contains "limit summary" "1000 rows; 3 over limit" "$WORK/err"
contains "limit chart" "chart points=1000 page=10 pages=10 window=901..1000 active=0" "$WORK/err"

# Without "Continue Record" a change of mode restarts the chart with a
# placeholder at X 0; the line series is the active one with --line.
"$CLI" log --decimal-sep . --no-continue --line --chart "$WORK/four" >/dev/null 2>"$WORK/err"
contains "new chart" "chart points=2 page=1 pages=1 window=1..100 active=1" "$WORK/err"

# Judge limits, alarm limits and the recall clock.
frames A112345B00080D A100500B00080D >"$WORK/two"
"$CLI" log --decimal-sep . --hi 10 --lo -1.5 --alarm-high 12000 "$WORK/two" >"$WORK/out" 2>"$WORK/err"
equal "judged" "$(printf 'Fail\nPass')" "$(tail -n +2 "$WORK/out" | cut -f6 | tr -d '\r')"
contains "beeps" "; 1 beeps" "$WORK/err"
"$CLI" log --decimal-sep . --recall 23:59:59 --interval 1 "$WORK/two" >"$WORK/out" 2>/dev/null
equal "recall stamps" "$(printf '00:00:00\n00:00:01')" "$(tail -n +2 "$WORK/out" | cut -f2)"

# Values the window's boxes would refuse or replace are usage errors.
for bad in "--hi abc" "--hi -" "--lo 1,5" "--sample -1" "--sample x" "--alarm-high 1.5" \
           "--limit 2000" "--recall 24:00:00" "--start 7" "--period -3" "--interval 2"; do
  "$CLI" log --decimal-sep . $bad "$WORK/two" >/dev/null 2>"$WORK/err"
  equal "usage error for $bad" 2 $?
  contains "usage error names ${bad%% *}" "${bad%% *}" "$WORK/err"
done

# -o FILE: the table goes to the file, nothing to standard output.
"$CLI" log --decimal-sep . --start 12:00:00 --period 600 "$WORK/four" >"$WORK/stdout" 2>/dev/null
"$CLI" log --decimal-sep . --start 12:00:00 --period 600 -o "$WORK/table.xls" "$WORK/four" >"$WORK/out" 2>"$WORK/err"
equal "-o exit status" 0 $?
equal "-o prints nothing" 0 "$(wc -c <"$WORK/out")"
same "-o text table" "$WORK/stdout" "$WORK/table.xls"
contains "-o success message" "save table to specified file: $WORK/table.xls Scuss!" "$WORK/err"
"$CLI" log --decimal-sep . -o "$WORK/table.xml" "$WORK/four" >/dev/null 2>&1
contains "-o .xml writes XML" "<?xml" "$WORK/table.xml"
"$CLI" convert "$WORK/table.xml" "$WORK/back.xls" >/dev/null 2>&1
equal "XML holds the same rows" "$(cut -f3- "$WORK/stdout")" "$(cut -f3- "$WORK/back.xls")"
"$CLI" log --decimal-sep . -o "$WORK/table.xls.XML" "$WORK/four" >/dev/null 2>&1
equal "only .xml gives XML" "No" "$(head -c 2 "$WORK/table.xls.XML")"
touch "$WORK/plain"
"$CLI" log --decimal-sep . -o "$WORK/plain/table.xls" "$WORK/four" >/dev/null 2>"$WORK/err"
equal "-o failure exit status" 1 $?
contains "-o failure message" "Could not save table to specified file: $WORK/plain/table.xls" "$WORK/err"

# -o - is standard output, as without -o; no file named "-" appears.
(cd "$WORK" && "$CLI" log --decimal-sep . --start 12:00:00 --period 600 -o - "$WORK/four" >"$WORK/dash" 2>"$WORK/err")
equal "-o - exit status" 0 $?
same "-o - writes the table to standard output" "$WORK/stdout" "$WORK/dash"
equal "-o - makes no file" "no" "$([[ -e "$WORK/-" ]] && echo yes || echo no)"
if grep -q "save table" "$WORK/err"; then fail "-o - claims a save"; fi

# A run whose input cannot be read leaves the table file as it was and tells
# of no save: a folder, a bad report line after good ones.
mkdir "$WORK/folder"
printf '00 F7 31 30 30 31 30 30 3B\n00 F7 30 30 30 38 30 0D 0A\n00\n00 F2 3G\n' >"$WORK/badreports"
for input in "$WORK/folder" "--hid-reports $WORK/badreports"; do
  printf 'keep me' >"$WORK/kept.xls"
  "$CLI" log --decimal-sep . -o "$WORK/kept.xls" $input >/dev/null 2>"$WORK/err"
  equal "unreadable input exit status ($input)" 2 $?
  equal "table file kept ($input)" "keep me" "$(cat "$WORK/kept.xls")"
  if grep -q "save table" "$WORK/err"; then fail "a failed run claims a save ($input)"; fi
done
contains "bad report line named" "$WORK/badreports:4:" "$WORK/err"

# A refused value is quoted whole, not as far as the box took it.
"$CLI" log --decimal-sep . --alarm-high 1-2 "$WORK/two" >/dev/null 2>"$WORK/err"
equal "alarm text refused" 2 $?
contains "whole value quoted" "option --alarm-high: '1-2' is not a valid integer value" "$WORK/err"

# A failed judgement conversion cannot be set up from the command line; a
# missing input is an error of its own.
"$CLI" log "$WORK/none" >/dev/null 2>"$WORK/err"
equal "missing input" 2 $?

finish
