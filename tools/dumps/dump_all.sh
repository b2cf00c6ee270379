#!/usr/bin/env bash
# dump_all.sh QUILLON OUTDIR [PROJECT.vbp ...]
# Runs every text dump of the command line on each project (the bundled example and the
# project beside this script when none is named) and on each source file and form they hold,
# with private APPDATA/TEMP folders, writing NAME.out (stdout and exit status) and NAME.err.
# Two binaries agree when `diff -r` finds nothing between their OUTDIRs: the check a
# refactoring must pass, since the dump formats are read by other programs.
set -u
here=$(cd "$(dirname "$0")" && pwd)
bin=$(realpath "$1"); out=$2; shift 2
[ $# -gt 0 ] || set -- "$here/../../examples/inventory/Inventory.vbp" "$here/tricky/Tricky.vbp"
rm -rf "$out"; mkdir -p "$out"
env_dir=${DUMP_ENV:-/tmp/quillon-dumps-env}
rm -rf "$env_dir"; mkdir -p "$env_dir/app" "$env_dir/tmp" "$env_dir/rt"; chmod 700 "$env_dir" "$env_dir/rt"
export APPDATA=$env_dir/app TEMP=$env_dir/tmp XDG_RUNTIME_DIR=$env_dir/rt QT_QPA_PLATFORM=offscreen
runs=0
dump() { local tag=$1; shift; runs=$((runs + 1)); "$bin" "$@" >"$out/$tag.out" 2>"$out/$tag.err"; echo "rc=$?" >>"$out/$tag.out"; }
for project in "$@"; do
    project=$(realpath "$project")
    p=$(basename "$project" .vbp)
    dump "$p.files" files "$project"
    for mode in none small all; do dump "$p.routines.$mode" routines "$project" --aggregate "$mode"; done
    dump "$p.symbols" symbols "$project"
    dump "$p.calls" calls "$project"
    dump "$p.report" report "$project"
    dump "$p.report.tab8" report "$project" --tab-width 8
    dump "$p.toc" toc "$project" --text
    dump "$p.list" print "$project" --list --deps --brackets
    while IFS= read -r -d '' file; do
        f=$p.$(basename "$file")
        dump "$f.routines" routines "$file"
        dump "$f.brackets" brackets "$file"
        dump "$f.highlight" highlight "$file" --project "$project"
        case "${file,,}" in *.frm | *.ctl | *.pag | *.dob) dump "$f.layout" layout "$file" ;; esac
    done < <(find "$(dirname "$project")" -type f \( -iname '*.bas' -o -iname '*.cls' -o -iname '*.frm' -o -iname '*.ctl' -o -iname '*.pag' -o -iname '*.dob' -o -iname '*.dsr' \) -print0 | sort -z)
done
rm -rf "$env_dir"
echo "$runs dumps in $out"
