#!/usr/bin/env bash
# Every page of a site written by `quillon html` read by tidy, which knows HTML5: any error or
# warning it reports fails the check. Prints each one (page:line:column: message), then the count.
#   check_html.sh SITE-FOLDER
set -euo pipefail
site=${1:-}
if [ $# -ne 1 ] || [ ! -d "$site" ]; then
    echo "usage: check_html.sh SITE-FOLDER" >&2
    exit 2
fi
if ! command -v tidy >/dev/null; then
    echo "check_html.sh: tidy not found; install with ./quillon.sh setup" >&2
    exit 77
fi
pages=$(find "$site" -name '*.html' | wc -l)
# tidy answers 1 for warnings and 2 for errors, which xargs turns into 123: then the report is
# what counts; any other failure is tidy's own.
status=0
report=$(find "$site" -name '*.html' -print0 | sort -z |
    xargs -0 -r -n 32 -P "$(nproc 2>/dev/null || echo 2)" tidy -e -q --gnu-emacs yes 2>&1) || status=$?
if [ "$status" -ne 0 ] && [ "$status" -ne 123 ]; then
    printf '%s\n' "$report"
    echo "check_html.sh: tidy failed (status $status)" >&2
    exit 1
fi
problems=$(printf '%s' "$report" | grep -c . || true)
[ -n "$report" ] && printf '%s\n' "$report"
echo "$pages pages read by tidy, $problems problems"
[ "$problems" -eq 0 ]
