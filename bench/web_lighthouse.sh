#!/bin/bash
# Lighthouse's mobile scores for a page of the web face:
#   bench/web_lighthouse.sh URL [RUNS]
# performance, accessibility and best practices, each run on a new profile; with several runs
# each score's median closes the output. A benchmark: a low score fails nothing, only a
# Lighthouse that could not run does. Needs `npm ci` in tests/web first.
set -euo pipefail

url=${1:?usage: bench/web_lighthouse.sh URL [RUNS]}
runs=${2:-1}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
lighthouse=$root/tests/web/node_modules/lighthouse/cli/index.js
[[ -f $lighthouse ]] || { echo "lighthouse is missing: run npm ci in $root/tests/web" >&2; exit 2; }

export CHROME_PATH=${CHROME_PATH:-/usr/bin/chromium}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for ((i = 1; i <= runs; i++)); do
    # Without these flags Chromium keeps reaching for a network that is not there. Lighthouse's
    # launcher gives every run a new empty profile of its own and removes it afterwards.
    flags="--headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
    flags+=" --disable-background-networking --disable-component-update --disable-sync"
    if ! node "$lighthouse" "$url" --quiet --no-enable-error-reporting --form-factor=mobile \
            --only-categories=performance,accessibility,best-practices \
            --chrome-flags="$flags" --output=json --output-path="$work/run$i.json" \
            2>"$work/run$i.err"; then
        echo "lighthouse could not run:" >&2
        tail -20 "$work/run$i.err" >&2
        exit 1
    fi
done

python3 - "$runs" "$work" <<'EOF'
import json, statistics, sys
runs, work = int(sys.argv[1]), sys.argv[2]
names = ['performance', 'accessibility', 'best-practices']
scores = {n: [] for n in names}
for i in range(1, runs + 1):
    report = json.load(open(f'{work}/run{i}.json'))
    if report.get('runtimeError'):
        sys.exit(f"lighthouse could not load the page: {report['runtimeError']['message']}")
    for n in names:
        score = report['categories'][n]['score']
        if score is None:
            sys.exit(f'lighthouse gave no {n} score')
        scores[n].append(round(score * 100))
    # What keeps a score under 100, so a run says what to look at.
    for n in names:
        for ref in report['categories'][n]['auditRefs']:
            audit = report['audits'][ref['id']]
            if ref['weight'] and audit['score'] is not None and audit['score'] < 1:
                shown = audit.get('displayValue', '')
                print(f"run {i}: {n}: {audit['id']} scored {audit['score']:.2f} {shown}".rstrip())
                for item in (audit.get('details') or {}).get('items', [])[:3]:
                    where = (item.get('sourceLocation') or {}).get('url') or item.get('url') \
                        or (item.get('node') or {}).get('snippet') or ''
                    print(f"    {item.get('description', '')} {where}".rstrip())
    metrics = [report['audits'][m].get('displayValue', '?') for m in
               ('first-contentful-paint', 'largest-contentful-paint', 'total-blocking-time',
                'cumulative-layout-shift')]
    print(f'run {i}: FCP {metrics[0]}, LCP {metrics[1]}, TBT {metrics[2]}, CLS {metrics[3]} (simulated slow 4G)')
    print(f'run {i}: ' + ', '.join(f'{n} {scores[n][-1]}' for n in names))
print('lighthouse ' + report['lighthouseVersion'] + ', mobile, median of ' + str(runs) + ': '
      + ', '.join(f'{n} {statistics.median(scores[n]):g}' for n in names))
EOF
