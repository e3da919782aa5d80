#!/usr/bin/env bash
# Takes a picture of the native Windows window as it opens under Wine, in a comma locale, then
# ends the program as a user does, with the keyboard on "Cerrar", and checks that it ends at
# once with status 0: screenshot_windows.sh conversor-unidades.exe OUT.png
# Runs on an X server and in a Wine prefix of its own, made here, and has Wine show its windows
# in a Wine desktop, where Wine draws their frames as Windows does. Nothing of it outlives it.
set -euo pipefail
exe=${1:?usage: screenshot_windows.sh conversor-unidades.exe OUT.png}
out=${2:?usage: screenshot_windows.sh conversor-unidades.exe OUT.png}
here=$(cd "$(dirname "$0")/.." && pwd)
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")

work=$(mktemp -d)
xvfb_pid=
app=
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    WINEPREFIX=$work/wineprefix wineserver -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "screenshot: $*" >&2
    tarvel_evidence screenshot-windows
    exit 1
}

source "$here/scripts/xvfb.sh"
tarvel_start_xvfb "$work" || exit 1
# The prefix and its Wine server before the program: started by the program, Wine's
# background services would hold this script's output open.
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
wine() { bash "$here/cmake/wine_run.sh" /usr/lib/wine/wine64 "$@" </dev/null >>"$work/wine.log" 2>&1; }
wine wineboot --init || fail "wineboot could not make a prefix: $(tail -n 5 "$work/wine.log")"
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f
# Wine's own fonts (fonts-wine): Marlett draws the buttons of the title bar, Tahoma its title.
# Debian 12's Wine 8 looks for them in "/usr/share/wine/../fonts", a path its win32u was built
# with and that Wine refuses, so it never reads /usr/share/wine/fonts: the font folder Wine
# also reads from the registry names it.
[ -f /usr/share/wine/fonts/marlett.ttf ] ||
    fail "Wine's fonts are missing (fonts-wine: source scripts/deps.sh; tarvel_install windows)"
wine reg add 'HKCU\Software\Wine\Fonts' /v Path /d 'Z:\usr\share\wine\fonts' /f
# The desktop wineboot started has no such setting: a new session, whose first program starts
# the Wine desktop as set.
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p </dev/null >/dev/null 2>&1

LC_ALL=es_ES.UTF-8 bash "$here/cmake/wine_run.sh" /usr/lib/wine/wine64 "$exe" >"$work/app.log" 2>&1 &
app=$!
window=$(tarvel_window_of "$app" '^Conversor de unidades$' 30) || fail "the window did not show"

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
frames=$work/frames
mkdir -p "$frames"
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

# Wine takes the program's keys from the X window of the Wine desktop that holds the program's
# window: that one, found through the window tree, never one by its name.
desktop=$(tarvel_toplevel "$window")
tarvel_focus "$desktop" || fail "the focus is not in the program: the Wine desktop $desktop holding its window $window did not take it"
# The focus starts in the first value box. Two Tabs take it to the first unit list, which then
# shows its pick highlighted: a picture unlike every frame above, caret on or off. Unless that
# is seen, the keys reach some other window, and the rest would go there too.
xdotool key --delay 100 Tab Tab
moved=0
end=$((SECONDS + 5))
while [ "$SECONDS" -lt "$end" ]; do
    import -window "$window" -strip "$work/after.png"
    moved=1
    for frame in "$frames"/*.png; do
        changed=$(compare -metric AE "$frame" "$work/after.png" null: 2>&1 || true)
        [ "${changed%% *}" -gt 200 ] 2>/dev/null || { moved=0; break; }
    done
    [ "$moved" = 1 ] && break
    sleep 0.1
done
[ "$moved" = 1 ] || fail "the focus is not in the program: two Tabs sent to the Wine desktop $desktop left its window $window as it was for 5 s"
# "Cerrar" is three Tabs on, and the space bar presses it.
xdotool key --delay 100 Tab Tab Tab space
for _ in $(seq 100); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app" 2>/dev/null && fail "the program was still running 10 s after Cerrar was pressed"
status=0
wait "$app" || status=$?
app=
[ "$status" = 0 ] || fail "the program ended with status $status: $(tail -n 5 "$work/app.log")"
echo "Cerrar, pressed from the keyboard, ended the program with status 0"
