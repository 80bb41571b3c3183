# varlo-cli dump on recorded streams.
source "$(dirname "$0")/lib.sh"

frames="$SRC/tests/decode/data/readings.tsv"
{
  printf 'frame\tvalue\tfunction\tunit\tmode\tcounts\tscaled\tpoint\tlit\tdigits\tbar\n'
  grep -v '^#' "$frames"
} >"$WORK/expected"
n=$(grep -vc '^#' "$frames")

# The sample stream holds exactly the decoder's test frames.
"$CLI" dump --decimal-sep . "$SRC/samples/meter-stream.bin" >"$WORK/out" 2>"$WORK/err"
equal "dump exit status" 0 $?
same "dump of the sample stream" "$WORK/expected" "$WORK/out"
equal "dump summary" "$n frames decoded, 0 rejected, 0 dropped" "$(cat "$WORK/err")"

# One byte per block, and standard input, give the same lines.
"$CLI" dump --chunk 1 --decimal-sep . - <"$SRC/samples/meter-stream.bin" >"$WORK/out1" 2>/dev/null
same "dump --chunk 1 from standard input" "$WORK/expected" "$WORK/out1"

# The same frames as HID reports.
"$CLI" dump --hid-reports --decimal-sep . "$SRC/samples/meter-reports.txt" >"$WORK/outh" 2>"$WORK/errh"
same "dump --hid-reports" "$WORK/expected" "$WORK/outh"
equal "hid summary" "$n frames decoded, 0 rejected, 0 dropped" "$(cat "$WORK/errh")"

# The worked example, with the locale's separator.
printf '\n\x31\x30\x30\x30\x30\x30\x3b\x30\x30\x30\x38\x30\r\n\x30\x30\x31\x32\x33\x34\x3b\x30\x30\x30\x3a\x30\r' >"$WORK/two"
"$CLI" dump "$WORK/two" 2>/dev/null | sed -n 2p >"$WORK/line"
equal "worked example" "$(printf 'A100000B00080D\t00.000\tDC\tV\tMANU\t0\t0\t1\tLcdP1,LcdDc1,LcdManu,LcdV,LCDsend\t(0)|0|0|0|0\t1')" "$(cat "$WORK/line")"
"$CLI" dump --decimal-sep , "$WORK/two" 2>/dev/null | sed -n 3p | cut -f2 >"$WORK/comma"
equal "decimal separator option" "0,1234" "$(cat "$WORK/comma")"

# The separator is exactly one character, of one byte or more.
"$CLI" dump --decimal-sep $'\xd9\xab' "$WORK/two" 2>/dev/null | sed -n 3p | cut -f2 >"$WORK/arabic"
equal "a multi-byte separator" $'0\xd9\xab1234' "$(cat "$WORK/arabic")"
for bad in ",," "ab" $'\xd9' $'\xd9\xab.'; do
  "$CLI" dump --decimal-sep "$bad" "$WORK/two" >/dev/null 2>"$WORK/err"
  equal "separator '$bad' refused" 2 $?
  contains "separator '$bad' named" "option --decimal-sep: '$bad' is not one character" "$WORK/err"
done

# A partial frame at the start is dropped; digits A-F are rejected.
printf '\x35\x35\r\n\x31\x30\x30\x30\x3a\x30\x3b\x30\x30\x30\x38\x30\r\n\x31\x30\x30\x30\x30\x30\x3b\x30\x30\x30\x38\x30\r' >"$WORK/bad"
"$CLI" dump --decimal-sep . "$WORK/bad" >"$WORK/outb" 2>"$WORK/errb"
equal "only the good frame is printed" 2 "$(wc -l <"$WORK/outb")"
equal "bad stream summary" "1 frames decoded, 1 rejected, 1 dropped" "$(tail -1 "$WORK/errb")"

# Malformed report text stops with FILE:LINE: reason and exit status 2.
printf '00 F2 31 30\n\n00 F2 3G\n' >"$WORK/reports"
"$CLI" dump --hid-reports "$WORK/reports" >/dev/null 2>"$WORK/errr"
equal "malformed report exit status" 2 $?
contains "malformed report message" "$WORK/reports:3: '3G' is not a byte of two hexadecimal digits" "$WORK/errr"

# A report line of only the report ID is an empty report.
printf '00 F7 31 30 30 30 30 30 3B\n00 F7 30 30 30 38 30 0D 0A\n00\n' >"$WORK/empty"
"$CLI" dump --hid-reports --decimal-sep . "$WORK/empty" 2>/dev/null | sed -n 2p | cut -f1 >"$WORK/emptyf"
equal "empty report completes the frame" "A100000B00080D" "$(cat "$WORK/emptyf")"

# Missing file and unknown option.
"$CLI" dump "$WORK/nope" >/dev/null 2>"$WORK/errm"
equal "missing file exit status" 2 $?
equal "missing file message" "$WORK/nope: No such file or directory" "$(cat "$WORK/errm")"
"$CLI" dump --frobnicate >/dev/null 2>"$WORK/erru"
equal "unknown option exit status" 2 $?
contains "unknown option usage" "usage: varlo-cli dump" "$WORK/erru"
"$CLI" dump --help >"$WORK/help"
equal "help exit status" 0 $?
contains "dump help" "--hid-reports" "$WORK/help"
"$CLI" --help >"$WORK/help2"
contains "overview lists dump" "dump" "$WORK/help2"

finish
