#!/usr/bin/env bash
# Start-up of the converter against the toolkit's floor (bench/bare_window), on a private Xvfb:
# time from exec to the first mapped top-level window, and resident memory once settled.
# One warm-up run of each, then RUNS rounds in which each runs once, the order turning every
# round; prints every run, the medians and the ratios to the floor.
#
# Usage: bench/startup.sh [BUILD_DIR] [RUNS]      (defaults: build, 10)
#   PROGRAM=path/to/conversor-unidades   overrides the converter binary;
#   BASELINE=path/to/conversor-unidades  adds another build (an earlier version, say) to the
#                                        same rounds, for a before-and-after comparison;
#   FLOOR=path/to/bare_window            overrides the floor;
#   RUNNER=command                       runs every program through it (Wine, say);
#   PREPARE='commands'                   run once the display is up (a Wine prefix, say);
#   TARGET=''                            leaves out the targets, which are the Qt window's.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
runs=${2:-10}
probe=$build/bench/map_probe
floor=${FLOOR:-$build/bench/bare_window}
runner=()
[ -n "${RUNNER:-}" ] && read -r -a runner <<<"$RUNNER"
program=${PROGRAM:-$build/src/conversor-unidades}
names=(floor converter)
binaries=("$floor" "$program")
if [ -n "${BASELINE:-}" ]; then
    names+=(baseline)
    binaries+=("$BASELINE")
fi
for f in "$probe" "${binaries[@]}"; do
    [ -x "$f" ] || { echo "missing $f: build with -DTARVEL_BENCH=ON first" >&2; exit 2; }
done

# A display of our own, chosen by the server, so nothing else draws or competes on it.
work=$(mktemp -d)
xvfb_pid=
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
source scripts/xvfb.sh
tarvel_start_xvfb "$work" 1280x1024x24 || exit 2
if [ -n "${PREPARE:-}" ]; then
    eval "$PREPARE"
fi
export QT_QPA_PLATFORM=xcb
unset QT_QPA_PLATFORMTHEME SESSION_MANAGER

measure() {  # name binary -> appends "map_ns cpu_ns rss_kb" to $work/name
    local line
    line=$("$probe" "${runner[@]}" "$2") || { echo "run of $1 failed" >&2; exit 1; }
    echo "$line" | awk '{ for (i = 1; i <= NF; ++i) sub(/^[a-z_]+=/, "", $i); print }' >>"$work/$1"
    tail -n1 "$work/$1" | awk -v n="$1" '{
        printf "%-10s map %7.2f ms  cpu %7.2f ms  rss %6d kB\n", n, $1 / 1e6, $2 / 1e6, $3 }'
}

echo "display $DISPLAY, $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2-)"
echo "warm-up"
for f in "${binaries[@]}"; do
    "$probe" "${runner[@]}" "$f" >/dev/null
done
count=${#names[@]}
for i in $(seq 0 $((runs - 1))); do
    # Each round starts with the next one, so none always follows the same other.
    for j in $(seq 0 $((count - 1))); do
        k=$(((i + j) % count))
        measure "${names[k]}" "${binaries[k]}"
    done
done

median() {  # file column
    sort -n -k"$2","$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END {
        print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
echo
row() {  # label scale decimals column target
    local line
    line=$(printf '%-28s' "$1")
    for name in "${names[@]}"; do
        line+=$(awk -v v="$(median "$work/$name" "$4")" -v s="$2" -v d="$3" \
            'BEGIN { printf " %10.*f", d, v / s }')
    done
    for name in "${names[@]:1}"; do
        line+=$(awk -v v="$(median "$work/$name" "$4")" -v f="$(median "$work/floor" "$4")" \
            'BEGIN { printf "  %7.3f", v / f }')
    done
    echo "$line   $5"
}
header=$(printf '%-28s' "$runs runs each, medians")
for name in "${names[@]}"; do header+=$(printf ' %10s' "$name"); done
for name in "${names[@]:1}"; do header+=$(printf '  %7s' "${name:0:1}/floor"); done
echo "$header   target"
target=${TARGET-<= 1.10}
row "map time (ms)" 1e6 2 1 "$target"
row "CPU time to map (ms)" 1e6 2 2 ""
row "settled RSS (kB)" 1 0 3 "$target"
