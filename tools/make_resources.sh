#!/bin/sh
# Rebuilds the artwork generator and regenerates resources/.
# The generated files are committed; run this only after changing the drawing
# code, and review the new images before committing them.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-tools"

if ! fc-list 2>/dev/null | grep -q "Liberation Sans"; then
    echo "make_resources.sh: falta la fuente Liberation Sans (apt-get install fonts-liberation)" >&2
    exit 1
fi

cmake -S "$root/tools/make_resources" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j2
# No display is needed; the offscreen platform still provides fonts.
QT_QPA_PLATFORM=offscreen "$build/make_resources" "$root/resources"
