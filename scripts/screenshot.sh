#!/usr/bin/env bash
# Writes docs/screenshot.png: the window as it opens, on a private X server, in a comma locale.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
tarvel_install build shot

build=${BUILD_DIR:-build-release}
[ -f "$build/CMakeCache.txt" ] ||
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTARVEL_BENCH=OFF
cmake --build "$build" -j2 --target conversor-unidades

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

source scripts/xvfb.sh
tarvel_start_xvfb "$work" || exit 1

LC_ALL=es_ES.UTF-8 QT_QPA_PLATFORM=xcb "$build/src/conversor-unidades" &
app_pid=$!
window=$(tarvel_window_of "$app_pid" '^Conversor de unidades$')

# Wait for the first paint to settle: two captures alike.
previous=
for _ in $(seq 50); do
    current=$(import -window "$window" -depth 8 rgb:- | md5sum)
    [ "$current" = "$previous" ] && break
    previous=$current
    sleep 0.2
done

mkdir -p docs
import -window "$window" -strip -define png:exclude-chunks=date,time docs/screenshot.png
echo "Wrote docs/screenshot.png"
