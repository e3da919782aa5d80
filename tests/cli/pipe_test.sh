#!/usr/bin/env bash
# The real conversor on pipes: the locale from the environment, the exit status, a result
# written before the input ends (a terminal sees each one at once), and a reader that goes
# away early. The table in cli_test.cpp covers everything else in process.
#
# Usage: pipe_test.sh path/to/conversor
set -euo pipefail
conversor=${1:?usage: pipe_test.sh path/to/conversor}
fail() {
    echo "cli_pipe: FAIL: $*"
    exit 1
}
locale -a | grep -qx es_ES.utf8 ||
    fail "es_ES.UTF-8 is missing (source scripts/deps.sh; tarvel_locale es_ES.UTF-8)"
err=$(mktemp)
trap 'rm -f "$err"' EXIT

status=0
out=$(printf '1,5\r\n-40\nx\n' | LC_ALL= LC_NUMERIC=es_ES.UTF-8 LANG=C "$conversor" - m cm 2>"$err") ||
    status=$?
[ "$out" = $'150,0\n-4000,0' ] || fail "column in es_ES.UTF-8 gave: $out"
[ "$status" = 1 ] || fail "exit status $status after a line that is no number"
[ "$(cat "$err")" = "conversor: línea 3: Valores no numéricos" ] || fail "stderr: $(cat "$err")"

coproc CONVERSOR { LC_ALL=C "$conversor" - m cm; }
# Bash forgets the coprocess's variables once it has ended, which may be before it is waited for.
pid=$CONVERSOR_PID
echo 2 >&"${CONVERSOR[1]}"
read -t 10 -r line <&"${CONVERSOR[0]}" || fail "no result while the input stays open"
[ "$line" = 200.0 ] || fail "the first result was: $line"
exec {CONVERSOR[1]}>&-
wait "$pid" || fail "exit status $? after a good column"

first=$(timeout 20 bash -c "yes 1 | '$conversor' - m cm | head -n 1") ||
    fail "conversor did not stop when its reader went away"
[ "$first" = 100.0 ] || fail "an endless column began with: $first"
echo "cli_pipe: PASS"
