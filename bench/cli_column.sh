#!/usr/bin/env bash
# A column of figures through `conversor - m pie` against awk dividing by 0.3048 on the same
# file, both from a file on standard input to /dev/null, alternating, in the C locale. Prints
# each median and the ratio; the goal is a ratio of at most 0.5. Nothing fails on a time, only
# on a conversor that does not turn every line into one line.
#
# Usage: bench/cli_column.sh BUILD_DIR [LINES=1000000] [ROUNDS=5]
set -euo pipefail

build=${1:?usage: cli_column.sh BUILD_DIR [LINES] [ROUNDS]}
lines=${2:-1000000}
rounds=${3:-5}
conversor=$build/src/cli/conversor
[ -x "$conversor" ] || { echo "cli_column: no $conversor" >&2; exit 1; }
awk=$(command -v mawk || command -v awk)
export LC_ALL=C

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Figures as a schedule holds them: up to five integer digits and three decimals.
"$awk" -v n="$lines" 'BEGIN { srand(11); for (i = 0; i < n; i++) printf "%.3f\n", rand() * 20000 }' \
    >"$work/column"

produced=$("$conversor" - m pie <"$work/column" | wc -l)
[ "$produced" -eq "$lines" ] || {
    echo "cli_column: $lines lines in, $produced out" >&2
    exit 1
}

seconds() {  # runs "$@" < column > /dev/null, prints the wall time in seconds
    local start end
    start=$(date +%s%N)
    "$@" <"$work/column" >/dev/null
    end=$(date +%s%N)
    echo "$(((end - start) / 1000000))" | awk '{ printf "%.3f\n", $1 / 1000 }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

: >"$work/awk.times"
: >"$work/conversor.times"
for ((i = 0; i < rounds; i++)); do
    seconds "$awk" '{printf "%.4f\n", $1/0.3048}' >>"$work/awk.times"
    seconds "$conversor" - m pie >>"$work/conversor.times"
done
a=$(median <"$work/awk.times")
c=$(median <"$work/conversor.times")
echo "cli_column: $lines lines, median of $rounds: $(basename "$awk") $a s, conversor $c s," \
    "ratio $(awk -v a="$a" -v c="$c" 'BEGIN { printf "%.2f", (a > 0 ? c / a : 0) }') (goal: at most 0.50)"
