# Sourced by the shell benchmarks: bench_figure and bench_ratio write the
# figure lines of BenchFigure.h, with the same number formats and verdicts,
# for scripts/bench to gather into its table:
#
#   FIGURE<TAB>name<TAB>measured<TAB>unit<TAB>target<TAB>met|missed|info<TAB>note
#
# A target is written "<= N", ">= N", "LOW .. HIGH", or "-" for a figure
# shown without one. A measured value that is not a number never meets a
# target.
#
#   bench_figure "frames decoded by the command" "$rate" frames/s ">= 1340000" "best of 3"
#   bench_ratio "command against in process" "$rate" command "$inside" "in process" frames/s -

# bench_figure NAME MEASURED UNIT TARGET [NOTE]
bench_figure() {
  FIGURE_NAME="$1" FIGURE_MEASURED="$2" FIGURE_UNIT="$3" FIGURE_TARGET="$4" \
    FIGURE_NOTE="${5:-}" awk -f /dev/stdin <<'AWK'
function number(text) { return text ~ /^[ ]*[-+]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][-+]?[0-9]+)?[ ]*$/ }
function measured(v,  size, d) {
  size = v < 0 ? -v : v
  d = size >= 1000 ? 0 : size >= 100 ? 1 : size >= 10 ? 2 : size >= 1 ? 3 : \
      size >= 0.1 ? 4 : size >= 0.01 ? 5 : size > 0 ? 6 : 0
  return sprintf("%." d "f", v)
}
function limit(v) { return sprintf("%.10g", v) }
function field(text) { gsub(/[\t\r\n]/, " ", text); return text }
BEGIN {
  target = ENVIRON["FIGURE_TARGET"]
  raw = ENVIRON["FIGURE_MEASURED"]
  ok = number(raw)
  v = raw + 0
  shown = ok ? measured(v) : "nan"
  if (target ~ /^[ ]*<=/) {
    sub(/^[ ]*<=[ ]*/, "", target); high = target + 0
    text = "<= " limit(high); verdict = ok && v <= high ? "met" : "missed"
  } else if (target ~ /^[ ]*>=/) {
    sub(/^[ ]*>=[ ]*/, "", target); low = target + 0
    text = ">= " limit(low); verdict = ok && v >= low ? "met" : "missed"
  } else if (target ~ /\.\./) {
    split(target, ends, /[ ]*\.\.[ ]*/); low = ends[1] + 0; high = ends[2] + 0
    text = limit(low) " .. " limit(high); verdict = ok && v >= low && v <= high ? "met" : "missed"
  } else {
    text = "-"; verdict = "info"
  }
  printf "FIGURE\t%s\t%s\t%s\t%s\t%s\t%s\n", field(ENVIRON["FIGURE_NAME"]), shown, \
    field(ENVIRON["FIGURE_UNIT"]), text, verdict, field(ENVIRON["FIGURE_NOTE"])
}
AWK
}

# bench_ratio NAME TOP TOP_LABEL BOTTOM BOTTOM_LABEL UNIT TARGET [NOTE]: the
# figure is TOP / BOTTOM, both sides in its note, as Ratio of BenchFigure.h.
bench_ratio() {
  local ratio sides
  ratio=$(awk -v a="$2" -v b="$4" 'BEGIN {
    n = "^[ ]*[-+]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][-+]?[0-9]+)?[ ]*$"
    if (a !~ n || b !~ n || b + 0 == 0) print "nan"; else printf "%.17g", a / b }')
  sides="$3 $(bench_measured "$2") $6 / $5 $(bench_measured "$4") $6"
  bench_figure "$1" "$ratio" x "$7" "$sides${8:+; $8}"
}

# bench_measured VALUE: VALUE as the measured column shows it.
bench_measured() {
  bench_figure - "$1" - - | cut -f3
}
