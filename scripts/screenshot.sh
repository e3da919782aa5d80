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

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"

LC_ALL=es_ES.UTF-8 QT_QPA_PLATFORM=xcb "$build/src/conversor-unidades" &
app_pid=$!
window=$(timeout 15 xdotool search --sync --onlyvisible --name '^Conversor de unidades$' | head -n1)

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
