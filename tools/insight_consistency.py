#!/usr/bin/env python3
"""Checks that `quillon unused`, `quillon metrics` and `quillon insight` agree with the call index
(`quillon calls`) and the routine dump (`quillon routines`) of real projects.

    tools/insight_consistency.py QUILLON PROJECT.vbp...

For each project: the metrics list the index's routines in its order, their fan-in, fan-out and
API calls are the index's counts and their line counts the routine dump's; no unused routine is
called from outside the unused set, none is the start-up routine or an event handler, no unused
Declare is called, the totals add up, and the insight report prints the same totals. Prints one
line per project and exits 1 when something disagrees.
"""
import subprocess
import sys
from collections import defaultdict


def run(quillon, *args):
    done = subprocess.run([quillon, *args], capture_output=True, text=True, check=True)
    return [line.split('\t') for line in done.stdout.splitlines()]


def check(quillon, vbp):
    problems = []
    keys, calls, callers, apis, events, startup, declared = [], defaultdict(set), defaultdict(set), defaultdict(set), set(), '', {}
    for f in run(quillon, 'calls', vbp):
        if f[0] == 'ROUTINE':
            keys.append(f[1])
        elif f[0] == 'CALLS':
            calls[f[1]].add(f[2])
        elif f[0] == 'CALLEDBY':
            callers[f[1]].add(f[2])
        elif f[0] == 'API':
            apis[f[1]].add(f[2].upper())
        elif f[0] == 'EVENT':
            events.add(f[1])
        elif f[0] == 'STARTUP':
            startup = f[1] if len(f) > 1 else ''
        elif f[0] == 'DECLARE':
            declared[f[1].upper()] = f[2].split('|')
    lines = {}  # key -> (code, comments, blanks) of the first routine with that key
    for f in run(quillon, 'routines', vbp):
        if len(f) < 11 or f[1] == 'MEMBER':
            continue
        key = f[10].strip().upper() + '|' + f[2].strip().upper()
        lines.setdefault(key, (int(f[8]), int(f[6]), int(f[7])))
    metrics = run(quillon, 'metrics', vbp)
    header, rows = metrics[0], metrics[1:]
    column = {name: i for i, name in enumerate(header)}
    if [r[0] for r in rows] != keys:
        problems.append('metrics do not list the index routines in its order')
    for r in rows:
        key = r[0]
        want = {'fanIn': len(callers[key]), 'fanOut': len(calls[key]), 'apiCalls': len(apis[key])}
        if key in lines:
            want.update(dict(zip(('code', 'comments', 'blanks'), lines[key])))
        else:
            problems.append(f'{key}: not in the routine dump')
        for name, value in want.items():
            if int(r[column[name]]) != value:
                problems.append(f'{key}: {name} {r[column[name]]}, the dumps say {value}')
        if int(r[column['complexity']]) != int(r[column['decisions']]) + 1:
            problems.append(f'{key}: complexity is not decisions + 1')
    unused, unused_api, total = [], [], None
    for f in run(quillon, 'unused', vbp):
        if f[0] == 'UNUSED':
            unused.append(f)
        elif f[0] == 'UNUSEDAPI':
            unused_api.append(f[1])
        elif f[0] == 'TOTAL':
            total = [int(x) for x in f[1:]]
    unused_keys = {f[1] for f in unused}
    for key in unused_keys:
        outside = callers[key] - unused_keys
        if outside:
            problems.append(f'{key}: unused, yet called by {sorted(outside)}')
        if key == startup or key in events:
            problems.append(f'{key}: a root listed as unused')
    called_apis = set().union(*apis.values()) if apis else set()
    for name in unused_api:
        if name.upper() in called_apis:
            problems.append(f'{name}: unused declaration that is called')
    procedures = [r for r in rows if r[column['kind']] != 'Declarations']
    expected_total = [len(unused), sum(int(f[4]) for f in unused), len(procedures),
                      sum(int(r[column['code']]) for r in procedures)]
    if total != expected_total:
        problems.append(f'TOTAL {total}, the lines add up to {expected_total}')
    report = subprocess.run([quillon, 'insight', vbp, '--text'], capture_output=True, text=True, check=True).stdout
    summary = f'Unused procedures: {expected_total[0]:,} of {expected_total[2]:,} '
    if summary not in report:
        problems.append('the insight report does not give the totals of unused')
    print(f'{vbp}: {len(keys)} routines, {sum(len(c) for c in calls.values())} calls, {len(unused)} unused '
          f'({expected_total[1]} of {expected_total[3]} code lines), {len(unused_api)} unused declarations: '
          + ('agree' if not problems else f'{len(problems)} disagreements'))
    for p in problems[:20]:
        print('   ', p)
    return not problems


def main():
    if len(sys.argv) < 3:
        print(__doc__.strip().split('\n\n')[1], file=sys.stderr)
        return 2
    results = [check(sys.argv[1], vbp) for vbp in sys.argv[2:]]
    return 0 if all(results) else 1


if __name__ == '__main__':
    sys.exit(main())
