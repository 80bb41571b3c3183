# varlo-cli convert: table files from one format to the other.
source "$(dirname "$0")/lib.sh"

FIXTURE="$SRC/tests/tablefiles/data/windows_table.xls"

# Text to XML and back gives the Windows program's file byte for byte; only
# the text save has a message.
"$CLI" convert "$FIXTURE" "$WORK/t.xml" >"$WORK/out" 2>"$WORK/err"
equal "to XML exit status" 0 $?
equal "to XML is silent" "" "$(cat "$WORK/out" "$WORK/err")"
contains "XML has the rows" "<row>5	14:03:11	NULL	000.0	&amp;  *	Pass	\\N</row>" "$WORK/t.xml"
"$CLI" convert "$WORK/t.xml" "$WORK/back.xls" >"$WORK/out" 2>"$WORK/err"
equal "to text exit status" 0 $?
same "round trip" "$FIXTURE" "$WORK/back.xls"
equal "success message" "save table to specified file: $WORK/back.xls Scuss!" "$(cat "$WORK/err")"
equal "nothing on standard output" "" "$(cat "$WORK/out")"

# ".XML" in capitals is the text table.
"$CLI" convert "$WORK/t.xml" "$WORK/upper.XML" 2>/dev/null
same "upper-case name is text" "$FIXTURE" "$WORK/upper.XML"

# A failed load: status 1, the load message, the old output untouched.
printf 'keep me' >"$WORK/old.txt"
"$CLI" convert "$WORK/missing.txt" "$WORK/old.txt" 2>"$WORK/err"
equal "missing input status" 1 $?
equal "load failure message" "Error: Failed to Load File!" "$(cat "$WORK/err")"
equal "output kept after a failed load" "keep me" "$(cat "$WORK/old.txt")"
printf 'No\r\nnot a number\tx\r\n' >"$WORK/bad.txt"
"$CLI" convert "$WORK/bad.txt" "$WORK/old.txt" 2>"$WORK/err"
equal "bad input status" 1 $?
equal "output kept after a bad input" "keep me" "$(cat "$WORK/old.txt")"

# A failed save: status 1 and the save failure message.
printf 'x' >"$WORK/plain"
for out in "$WORK/plain/t.txt" "$WORK/plain/t.xml"; do
  "$CLI" convert "$FIXTURE" "$out" 2>"$WORK/err"
  equal "save failure status $out" 1 $?
  equal "save failure message $out" "Could not save table to specified file: $out" "$(cat "$WORK/err")"
done

# OUT "-" is standard output: the text table, no file named "-".
(cd "$WORK" && "$CLI" convert "$WORK/t.xml" - >"$WORK/stdout.xls" 2>"$WORK/err")
equal "to standard output exit status" 0 $?
same "to standard output" "$FIXTURE" "$WORK/stdout.xls"
equal "no file named -" "no" "$([[ -e "$WORK/-" ]] && echo yes || echo no)"
"$CLI" convert "$WORK/missing.txt" - >"$WORK/out" 2>"$WORK/err"
equal "failed load to standard output" 1 $?
equal "nothing written after a failed load" "" "$(cat "$WORK/out")"

# Wrong command lines.
"$CLI" convert "$FIXTURE" 2>"$WORK/err"
equal "one argument" 2 $?
contains "usage shown" "usage: varlo-cli convert IN OUT" "$WORK/err"
"$CLI" convert a b c 2>/dev/null
equal "three arguments" 2 $?
"$CLI" convert --bogus "$WORK/out.xls" 2>"$WORK/err"
equal "unknown option" 2 $?
contains "unknown option named" "unknown option --bogus" "$WORK/err"

finish
