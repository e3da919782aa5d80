#!/usr/bin/env bash
# Start-up of the native Windows window under Wine against a bare Win32 window of the same size
# and kinds of controls (bench/bare_window_win32.cpp), on a private Xvfb with a Wine prefix of
# its own: bench/startup.sh's rounds, medians and ratios. Under Wine the figures are indicative
# only: they include Wine's own start.
#
# Usage: bench/startup_windows.sh WINDOWS_BUILD [LINUX_BUILD] [RUNS]
#   WINDOWS_BUILD holds conversor-unidades.exe and the floor (-DTARVEL_BENCH=ON), LINUX_BUILD
#   the start-up probe (bench/map_probe); defaults: build, 10 runs.
set -euo pipefail
cd "$(dirname "$0")/.."
win=${1:?usage: bench/startup_windows.sh WINDOWS_BUILD [LINUX_BUILD] [RUNS]}
lin=${2:-build}
runs=${3:-10}

prefix=$(mktemp -d)
cleanup() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT
# Programs are top-level windows of the X server here (no Wine desktop), so the probe sees each
# one map; the prefix is made on the benchmark's own display, before the first run.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
x86_64-w64-mingw32-objdump -p "$win/src/conversor-unidades.exe" 2>/dev/null |
    awk '/DLL Name/ { dlls = dlls " " $3 } END { print "conversor-unidades.exe imports:" dlls }' || true
echo "conversor-unidades.exe: $(stat -c %s "$win/src/conversor-unidades.exe") bytes"
PREPARE='wineserver -p; /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1' \
    TARGET='' RUNNER=/usr/lib/wine/wine64 FLOOR=$win/bench/bare_window_win32.exe \
    PROGRAM=$win/src/conversor-unidades.exe bash bench/startup.sh "$lin" "$runs"
