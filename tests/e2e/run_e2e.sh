#!/usr/bin/env bash
# The real program on a private X server: the window maps with its caption, keys typed into
# UA change UB, and "Cerrar" ends the process with status 0.
#
# The program prints nothing and has no test hooks, so what it shows is read back as
# pixels: the UB box is captured after each input and the captures are compared.
#
# Usage: run_e2e.sh path/to/conversor-unidades VERSION
set -euo pipefail

program=${1:?usage: run_e2e.sh path/to/conversor-unidades VERSION}
version=${2:?usage: run_e2e.sh path/to/conversor-unidades VERSION}
for tool in Xvfb xdotool import md5sum; do
    command -v "$tool" >/dev/null || { echo "e2e: $tool is missing (source scripts/deps.sh; tarvel_install test)"; exit 1; }
done

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

fail() {
    echo "e2e: FAIL: $*"
    declare -F tarvel_evidence >/dev/null && tarvel_evidence e2e
    exit 1
}

# The command line is answered before any display is opened. Each row: the exit status, the
# whole of standard output and of standard error (a * stands for any text), the arguments.
cli() {
    local status=$1 out=$2 err=$3
    shift 3
    local got=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@" \
        >"$work/out" 2>"$work/err" || got=$?
    [ "$got" = "$status" ] || fail "$* ended with status $got, not $status: $(cat "$work/err")"
    # shellcheck disable=SC2053  # the expected texts are patterns
    [[ $(cat "$work/out") == $out ]] || fail "$* wrote to standard output: $(cat "$work/out")"
    # shellcheck disable=SC2053
    [[ $(cat "$work/err") == $err ]] || fail "$* wrote to standard error: $(cat "$work/err")"
}
hint="Pruebe «conversor-unidades --help» para más información."
cli 0 "conversor-unidades (Conversor de unidades) $version" "" --version
cli 0 "conversor-unidades (Conversor de unidades) $version" "" -style Fusion -v
cli 0 "Uso: conversor-unidades *-h, --help *-v, --version *-platform*" "" --help
cli 2 "" "conversor-unidades: opción o argumento no reconocido: «--frobnicate»"$'\n'"$hint" \
    --frobnicate
cli 2 "" "conversor-unidades: *«extra»"$'\n'"$hint" -platform=xcb extra
echo "e2e: --version, --help and a wrong option answered without a display"

source "$(dirname "$0")/../../scripts/xvfb.sh"
tarvel_start_xvfb "$work" || fail "no X server"
echo "e2e: Xvfb on $DISPLAY"

# A comma desktop: the full stop typed must come out as the comma. Qt's own options reach Qt.
LC_ALL=es_ES.UTF-8 "$program" -platform xcb -style=Fusion >"$work/app.log" 2>&1 &
app_pid=$!

window=$(tarvel_window_of "$app_pid" '^Conversor de unidades$') ||
    fail "no window captioned \"Conversor de unidades\" mapped"
echo "e2e: window $window mapped: \"$(xdotool getwindowname "$window")\""
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" = 455 ] && [ "$HEIGHT" = 324 ] || fail "client area ${WIDTH}x${HEIGHT}, not 455x324"

# No window manager here: give the window the keyboard ourselves. UA has the focus in it.
tarvel_focus "$window" || fail "the window did not take the keyboard"

# UB's box, as pixels. Waits until two captures agree, so that no repaint is half done.
ub() {
    local previous= current
    for _ in $(seq 50); do
        current=$(import -window "$window" -crop 81x24+244+216 +repage -depth 8 rgb:- | md5sum)
        [ "$current" = "$previous" ] && { echo "$current"; return; }
        previous=$current
        sleep 0.1
    done
    fail "UB never stopped changing"
}

# Empties UA with Backspace (which passes the key filter) and types new keys into it.
retype() {
    xdotool key --delay 30 End BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace
    xdotool type --delay 30 "$1"
}

start=$(ub)
retype "25"
twenty_five=$(ub)
[ "$twenty_five" != "$start" ] || fail "typing 25 into UA left UB as it was"
retype "2.5"
full_stop=$(ub)
retype "2,5"
comma=$(ub)
retype "2x-5"
refused=$(ub)
retype "5"
five=$(ub)
# On X11 Delete carries the text DEL, yet it must edit rather than be refused.
retype "25"
xdotool key --delay 30 Home Delete
deleted=$(ub)
[ "$full_stop" != "$twenty_five" ] || fail "the full stop did not type the decimal separator"
[ "$full_stop" = "$comma" ] || fail "the full stop and the comma typed different things"
[ "$refused" = "$twenty_five" ] || fail "letters or the minus sign got into UA"
[ "$five" != "$twenty_five" ] || fail "typing 5 looked like typing 25"
[ "$deleted" = "$five" ] || fail "Home and Delete did not turn 25 into 5"
echo "e2e: UB follows UA; the full stop and the comma both type the separator; x and - are refused; Delete edits"

# Cerrar spans (4, 248) to (449, 273).
xdotool mousemove --window "$window" 226 260 click 1
for _ in $(seq 50); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "the program was still running 5 s after Cerrar"
status=0
wait "$app_pid" || status=$?
app_pid=
[ "$status" = 0 ] || fail "the program ended with status $status"
[ ! -s "$work/app.log" ] || echo "e2e: the program said: $(cat "$work/app.log")"
echo "e2e: Cerrar ended the program with status 0"
