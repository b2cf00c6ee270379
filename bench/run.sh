#!/usr/bin/env bash
# Times loading a synthetic project of about 300,000 lines in 400 files: in process
# (open, read, split) and through the command line ("quillon routines").
set -euo pipefail
BUILD=${1:-$(dirname "$0")/../build}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
"$BUILD/bench/quillon_bench_load" --lines 300000 --files 400 --runs 5 --keep "$WORK/project"
LINES=$(cat "$WORK"/project/*.bas "$WORK"/project/*.cls | wc -l)
best=""
for run in 1 2 3 4 5; do
    start=$(date +%s.%N)
    TEMP="$WORK" "$BUILD/src/app/quillon" routines "$WORK/project/Synthetic.vbp" >"$WORK/out.txt"
    end=$(date +%s.%N)
    t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
done
ROUTINES=$(wc -l <"$WORK/out.txt")
printf 'quillon routines: %d lines, %d routine lines out, best of 5: %.3f s = %.0f lines per second\n' \
    "$LINES" "$ROUTINES" "$best" "$(awk -v l="$LINES" -v t="$best" 'BEGIN { printf "%.0f", l / t }')"

# The main job end to end: document the whole synthetic project to a PDF (loading, queue,
# highlighting, page frames, writing), with wall time and peak memory.
echo "quillon print (whole project, built-in PDF writer):"
TEMP="$WORK" APPDATA="$WORK" "$BUILD/bench/quillon_bench_measure" \
    "$BUILD/src/app/quillon" print "$WORK/project/Synthetic.vbp" -o "$WORK/out.pdf" 2>&1 >/dev/null | grep measured
printf '  %d source lines, %s\n' "$LINES" "$(pdfinfo "$WORK/out.pdf" 2>/dev/null | grep Pages | tr -s ' ')"

echo "quillon print, split into parts of 8,000 lines and combined with qpdf:"
TEMP="$WORK" APPDATA="$WORK" "$BUILD/bench/quillon_bench_measure" \
    "$BUILD/src/app/quillon" print "$WORK/project/Synthetic.vbp" --spool 8000 -o "$WORK/split.pdf" 2>&1 >/dev/null | grep measured
printf '  %s\n' "$(pdfinfo "$WORK/split.pdf" 2>/dev/null | grep Pages | tr -s ' ')"

# The line printer alone on the PDF writer.
"$BUILD/bench/quillon_bench_print"

# Highlighting one very long line and indexing a large table of contents list.
"$BUILD/bench/quillon_bench_print_scale"

# Form images: thousands of stacked controls, a caption line of megabytes, thousands of callouts.
"$BUILD/bench/quillon_bench_formimage"

# Hostile inputs: one line of a hundred thousand calls, a form of thousands of stacked controls.
"$BUILD/bench/quillon_bench_hostile"

# Reading and analysing at scale: megabyte lines, long continuations, deep nesting, wide call graphs.
"$BUILD/bench/quillon_bench_analysis_scale"
