#!/usr/bin/env bash
# The benchmarks, on a synthetic project shaped like a large real one (bench/RealShapedProject.cpp:
# forms with controls, classes, modules; routines of every size; long, blank and comment lines in
# the real project's proportions), 375,000 lines unless QUILLON_BENCH_LINES says otherwise:
# loading through the command line, the whole print unsplit and split, with and without parallel
# rendering, and how the print grows from half to full size. Then the narrower benchmarks.
set -euo pipefail
BUILD=${1:-$(dirname "$0")/../build}
LINES=${QUILLON_BENCH_LINES:-375000}
QUILLON="$BUILD/src/app/quillon"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export TEMP="$WORK" APPDATA="$WORK"

# The project, its proportions, and File | Open in process (reading and splitting alone, then
# with the analysis); the half-size project for the growth below.
"$BUILD/bench/quillon_bench_load" --lines "$LINES" --runs 3 --keep "$WORK/full"
"$BUILD/bench/quillon_bench_load" --lines $((LINES / 2)) --runs 0 --keep "$WORK/half" >/dev/null
FULL="$WORK/full/RealShaped.vbp"
HALF="$WORK/half/RealShaped.vbp"
source_lines() { # folder
    find "$1" -maxdepth 1 -type f \( -name '*.frm' -o -name '*.bas' -o -name '*.cls' \) -exec cat {} + | wc -l
}
FULL_LINES=$(source_lines "$WORK/full")
HALF_LINES=$(source_lines "$WORK/half")

now() { date +%s.%N; }
best=""
for run in 1 2 3; do
    start=$(now)
    "$QUILLON" calls "$FULL" >"$WORK/calls.txt"
    t=$(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.6f", b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
done
printf 'load (quillon calls), %d lines, best of 3: %.2f s = %.0f lines per second\n' \
    "$FULL_LINES" "$best" "$(awk -v l="$FULL_LINES" -v t="$best" 'BEGIN { printf "%.0f", l / t }')"

# The indenter over every file, as a build check runs it (nothing is written; the generated
# project is not indented as the rules say, so the status is 1).
best=""
for run in 1 2 3; do
    start=$(now)
    "$QUILLON" indent --check "$FULL" >"$WORK/indent.txt" 2>/dev/null || true
    t=$(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.6f", b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
done
printf 'indent (quillon indent --check), %d lines, %d files to change, best of 3: %.2f s\n' \
    "$FULL_LINES" "$(wc -l <"$WORK/indent.txt")" "$best"

# The spelling check of every literal and comment with the English dictionary (findings are
# expected: the generated comments are not all words), as a build check runs it.
best=""
for run in 1 2 3; do
    start=$(now)
    "$QUILLON" spell "$FULL" --lang en_US >"$WORK/spell.txt" 2>/dev/null || true
    t=$(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.6f", b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
done
printf 'spell (quillon spell --lang en_US), %d lines, %d findings, best of 3: %.2f s\n' \
    "$FULL_LINES" "$(wc -l <"$WORK/spell.txt")" "$best"

# One row of the print table: the whole project to a PDF through quillon_bench_measure (wall
# time, peak memory), its pages and what the run wrote to standard error (notices, progress).
# Every row starts from fresh options and no print history: the half-size project has the
# same name as the full one, and a history of the other's procedures would make the run ask
# about each as moved. Sets SECONDS_TAKEN, empty when the build does not know an option given.
print_row() { # label project lines [print options...]
    local label=$1 project=$2 lines=$3
    shift 3
    local status=0
    rm -rf "$WORK/out.pdf" "$WORK/options"
    mkdir "$WORK/options"
    APPDATA="$WORK/options" "$BUILD/bench/quillon_bench_measure" --stderr "$WORK/err.txt" \
        "$QUILLON" print "$project" -o "$WORK/out.pdf" "$@" >/dev/null 2>"$WORK/measured.txt" || status=$?
    SECONDS_TAKEN=""
    if [ "$status" -eq 2 ] && grep -q 'unknown option --jobs' "$WORK/err.txt"; then
        printf '  %-38s (--jobs not supported by this build)\n' "$label"
        return 0
    fi
    local seconds memory pages
    seconds=$(sed -n 's/^measured: \([0-9.]*\) s wall.*/\1/p' "$WORK/measured.txt")
    memory=$(sed -n 's/.*peak memory \([0-9]*\) MB.*/\1/p' "$WORK/measured.txt")
    pages=$(pdfinfo "$WORK/out.pdf" 2>/dev/null | awk '/^Pages:/ { print $2 }')
    printf '  %-38s %8.2f %9.0f %8d %7s %13d%s\n' "$label" "$seconds" \
        "$(awk -v l="$lines" -v t="$seconds" 'BEGIN { printf "%.0f", l / t }')" "$memory" "${pages:-none}" \
        "$(wc -c <"$WORK/err.txt")" "$([ "$status" -eq 0 ] || echo " (exit $status)")"
    SECONDS_TAKEN=$seconds
}

# The default --jobs is one per core; --jobs 1 renders in one thread.
printf '%-40s %8s %9s %8s %7s %13s\n' "quillon print, $FULL_LINES lines:" "wall s" "lines/s" "peak MB" pages \
    "stderr bytes"
print_row "unsplit, default --jobs" "$FULL" "$FULL_LINES"
full_seconds=$SECONDS_TAKEN
print_row "unsplit, --jobs 1" "$FULL" "$FULL_LINES" --jobs 1
print_row "split (--spool 8000), default --jobs" "$FULL" "$FULL_LINES" --spool 8000
print_row "split (--spool 8000), --jobs 1" "$FULL" "$FULL_LINES" --spool 8000 --jobs 1
print_row "unsplit, half size ($HALF_LINES lines)" "$HALF" "$HALF_LINES"
half_seconds=$SECONDS_TAKEN
if [ -n "$full_seconds" ] && [ -n "$half_seconds" ]; then
    awk -v f="$full_seconds" -v h="$half_seconds" -v fl="$FULL_LINES" -v hl="$HALF_LINES" 'BEGIN {
        printf "growth from half to full size (unsplit): %.2f times the time for %.2f times the lines (linear: about 2.0)\n",
            f / h, fl / hl }'
fi

# The same project as a site (quillon html): wall time and peak memory through the same measure,
# the site's size and its largest page, against the unsplit print above.
rm -rf "$WORK/site" "$WORK/options"
mkdir "$WORK/options"
if APPDATA="$WORK/options" "$BUILD/bench/quillon_bench_measure" --stderr "$WORK/err.txt" \
    "$QUILLON" html "$FULL" -o "$WORK/site" >/dev/null 2>"$WORK/measured.txt"; then
    seconds=$(sed -n 's/^measured: \([0-9.]*\) s wall.*/\1/p' "$WORK/measured.txt")
    memory=$(sed -n 's/.*peak memory \([0-9]*\) MB.*/\1/p' "$WORK/measured.txt")
    printf 'quillon html, %d lines: %.2f s (the print: %s s), peak %d MB, site %d MB in %d pages, largest page %s\n' \
        "$FULL_LINES" "$seconds" "${full_seconds:-?}" "$memory" "$(du -sm "$WORK/site" | cut -f1)" \
        "$(find "$WORK/site" -name '*.html' | wc -l)" "$(sed -n 's/.*the largest page \(.*\)$/\1/p' "$WORK/err.txt")"
else
    printf 'quillon html, %d lines: not supported by this build\n' "$FULL_LINES"
fi

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

# Graphs laid out and drawn as SVG: a routine's neighbourhood and a module graph, with the
# layout settings that make them cheaper.
"$BUILD/bench/quillon_bench_graph"
