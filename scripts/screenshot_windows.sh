#!/usr/bin/env bash
# Takes a picture of the native Windows window as it opens under Wine, in a comma locale, then
# ends the program as a user does, with the keyboard on "Cerrar", and checks that it ends at
# once with status 0: screenshot_windows.sh conversor-unidades.exe OUT.png
# Runs on the X server in DISPLAY, with the Wine prefix in WINEPREFIX. The windows stage of
# scripts/test.sh sets both, and has Wine show its windows in a Wine desktop, where Wine draws
# their frames as Windows does.
set -euo pipefail
exe=${1:?usage: screenshot_windows.sh conversor-unidades.exe OUT.png}
out=${2:?usage: screenshot_windows.sh conversor-unidades.exe OUT.png}
here=$(cd "$(dirname "$0")/.." && pwd)

LC_ALL=es_ES.UTF-8 bash "$here/cmake/wine_run.sh" /usr/lib/wine/wine64 "$exe" >/dev/null 2>&1 &
app=$!
window=
for _ in $(seq 150); do
    window=$(xdotool search --onlyvisible --name '^Conversor de unidades$' 2>/dev/null | head -n1) &&
        [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || { echo "screenshot: the window did not show" >&2; exit 1; }

# Wait for the first paint to settle: two captures alike.
previous=
for _ in $(seq 50); do
    current=$(import -window "$window" -depth 8 rgb:- 2>/dev/null | md5sum)
    [ "$current" = "$previous" ] && break
    previous=$current
    sleep 0.3
done
# The caret blinks in the first value box, where the focus starts: of the frames of a little
# over one blink, the one that shows it (the darkest), as a user sees the window open, and the
# same picture on every run.
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
best=
least=
for i in $(seq 12); do
    import -window "$window" -strip -define png:exclude-chunks=date,time "$frames/$i.png"
    ink=$(convert "$frames/$i.png" -precision 12 -colorspace Gray \
        -format '%[fx:int(mean*w*h*255)]' info:)
    if [ -z "$best" ] || [ "$ink" -lt "$least" ]; then
        best=$frames/$i.png
        least=$ink
    fi
    sleep 0.1
done
mkdir -p "$(dirname "$out")"
cp "$best" "$out"
echo "Wrote $out"

# The focus starts in the first value box; "Cerrar" is five Tabs on, and the space bar presses
# it. Keys go to the Wine desktop's X window, and Wine hands them to the program.
desktop=$(xdotool search --name 'Wine desktop$' | head -n1)
xdotool windowfocus --sync "${desktop:-$window}" 2>/dev/null || true
xdotool key --delay 100 Tab Tab Tab Tab Tab space
for _ in $(seq 100); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$app" 2>/dev/null; then
    echo "screenshot: the program was still running 10 s after Cerrar was pressed" >&2
    exit 1
fi
status=0
wait "$app" || status=$?
[ "$status" = 0 ] || { echo "screenshot: the program ended with status $status" >&2; exit 1; }
echo "Cerrar, pressed from the keyboard, ended the program with status 0"
