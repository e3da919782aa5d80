#!/usr/bin/env bash
# Installs what is missing, builds a Release and opens the window.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<'MSG'
There is no display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window has
nowhere to open. To run it on a virtual X server instead:

    sudo apt-get install xvfb xauth     # if they are missing
    xvfb-run -a bash scripts/run.sh

MSG
    exit 1
fi

tarvel_install build run
build=${BUILD_DIR:-build-release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTARVEL_BENCH=OFF
cmake --build "$build" -j2 --target conversor-unidades
exec "$build/src/conversor-unidades"
