#!/usr/bin/env bash
# figure_table.sh [FILE]: the table of every benchmark's figures, from the
# records scripts/bench gathers while it runs them (standard input when no
# FILE), one a line, tab-separated:
#
#   BENCHMARK  FIGURE  name  measured  unit  target  met|missed|info  note
#   BENCHMARK  EXIT    status
#
# Prints the figures in aligned columns, a row for each benchmark that
# failed (a non-zero exit status: it crashed, could not measure, or timed
# out, 124 as timeout(1) reports it) or
# reported no figure, and a last line counting them. Exits 1 when a
# benchmark failed; a missed figure does not change the exit status.
set -euo pipefail
awk -F'\t' '
function grow(column, text) { if (length(text) > width[column]) width[column] = length(text) }
function row(b, name, value, unit, target, verdict, note) {
  ++rows
  cell[rows, 1] = b; cell[rows, 2] = name; cell[rows, 3] = value
  cell[rows, 4] = unit; cell[rows, 5] = target; cell[rows, 6] = verdict; cell[rows, 7] = note
  for (c = 1; c <= 6; ++c) grow(c, cell[rows, c])
}
function exited(status) {
  if (status == 124) return "timed out"
  if (status > 128) return "crashed: killed by signal " (status - 128)
  return "failed: exit status " status
}
BEGIN {
  row("benchmark", "figure", "measured", "unit", "target", "verdict", "note")
}
$2 == "FIGURE" {
  row($1, $3, $4, $5, $6, $7, $8)
  ++figures[$1]; ++count[$7]; ++total
  if ($7 == "missed") missedNames = missedNames (missedNames == "" ? "" : ", ") $1 ": " $3
  next
}
$2 == "EXIT" {
  ++benchmarks
  if ($3 != 0) {
    row($1, "(the benchmark)", "", "", "", "FAILED", exited($3))
    ++failed; failedNames = failedNames (failedNames == "" ? "" : ", ") $1
  } else if (!($1 in figures)) {
    row($1, "(the benchmark)", "", "", "", "-", "reported no figure")
  }
  next
}
{ printf "figure_table.sh: not a record: %s\n", $0 > "/dev/stderr" }
END {
  for (r = 1; r <= rows; ++r) {
    text = sprintf("%-*s  %-*s  %*s  %-*s  %-*s  %-*s  %s", width[1], cell[r, 1], width[2], \
      cell[r, 2], width[3], cell[r, 3], width[4], cell[r, 4], width[5], cell[r, 5], width[6], \
      cell[r, 6], cell[r, 7])
    sub(/ +$/, "", text)
    print text
    if (r == 1) {
      line = ""
      for (c = 1; c <= 6; ++c) { dash = sprintf("%*s", width[c], ""); gsub(/ /, "-", dash); line = line dash "  " }
      print line "----"
    }
  }
  printf "%d figure%s: %d met, %d missed, %d without a target; %d benchmark%s, %d failed\n", \
    total, total == 1 ? "" : "s", count["met"], count["missed"], count["info"], benchmarks, \
    benchmarks == 1 ? "" : "s", failed
  if (missedNames != "") print "missed: " missedNames
  if (failedNames != "") print "failed: " failedNames
  exit (failed > 0 ? 1 : 0)
}' "${1:--}"
