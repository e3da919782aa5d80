#!/usr/bin/env bash
# The form as WebAssembly: the size of the smallest module holding it (the form, the catalogue
# and the number texts behind a minimal entry point), raw and gzipped, and one keystroke's
# recompute under Node against the native build, ROUNDS rounds alternating, with the ratio of
# the medians. Indicative on a shared machine; nothing fails on a time.
#
# Usage: bench/wasm_bench.sh WASM_BUILD_DIR NATIVE_BUILD_DIR [ROUNDS [KEYSTROKES]]
set -euo pipefail

wasm=$1
native=$2
rounds=${3:-3}
keystrokes=${4:-200000}
node=(node --no-experimental-fetch)

module=$wasm/bench/wasm_entry.wasm
echo "wasm_entry.wasm: $(stat -c %s "$module") bytes, $(gzip -9c "$module" | wc -c) gzipped"
shown=$("${node[@]}" "$wasm/bench/wasm_entry.js" 1.5)
[ "$shown" = 1.5 ] || { echo "wasm_entry: 1.5 m showed as '$shown'" >&2; exit 1; }

declare -A times
for ((round = 0; round < rounds; round++)); do
    for face in native node; do
        if [ "$face" = native ]; then
            out=$("$native/bench/keystroke_loop" "$keystrokes")
        else
            out=$("${node[@]}" "$wasm/bench/keystroke_loop.js" "$keystrokes")
        fi
        while read -r name ns; do
            times[$face.$name]+="$ns "
        done <<<"$out"
    done
done

median() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
for name in Factor Factor_Coma Temperatura; do
    n=$(median "${times[native.$name]}")
    w=$(median "${times[node.$name]}")
    echo "keystroke $name: native $n ns, Node $w ns, ratio $(awk -v a="$w" -v b="$n" 'BEGIN {printf "%.2f", a / b}')"
done
