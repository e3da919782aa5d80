#!/usr/bin/env bash
# The real program built with AddressSanitizer and UBSan, on a private X server: brought into
# one state after another (just started, text typed, another category, a message showing, a
# unit list open, keys still arriving) and then ended with "Cerrar" or with the window's close
# button. Every run must end at once with status 0 and without a sanitizer report.
#
# Usage: shutdown_asan.sh path/to/conversor-unidades path/to/send_close
set -euo pipefail

program=${1:?usage: shutdown_asan.sh path/to/conversor-unidades path/to/send_close}
send_close=${2:?usage: shutdown_asan.sh path/to/conversor-unidades path/to/send_close}
for tool in Xvfb xdotool import md5sum nm; do
    command -v "$tool" >/dev/null || { echo "shutdown: $tool is missing (source scripts/deps.sh; tarvel_install test)"; exit 1; }
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
    echo "shutdown: FAIL: $*"
    declare -F tarvel_evidence >/dev/null && tarvel_evidence shutdown
    [ -s "$work/app.log" ] && { echo "shutdown: the program said:"; cat "$work/app.log"; }
    exit 1
}

# GCC links the sanitizer runtime as a library, clang into the program; either way the
# program's dynamic symbols name its entry.
[[ "$(nm -D "$program")" == *" __asan_init"* ]] || fail "$program is not built with AddressSanitizer (configure with -DTARVEL_SANITIZE=ON)"

source "$(dirname "$0")/../../scripts/xvfb.sh"
tarvel_start_xvfb "$work" || fail "no X server"

# Any report ends the program at once with a status of its own, and is kept in the log.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}halt_on_error=1:exitcode=86"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}halt_on_error=1:print_stacktrace=1"

window=
# Pixels of one area of the window, once two captures agree (no repaint half done).
pixels() {
    local previous= current
    for _ in $(seq 50); do
        current=$(import -window "$window" -crop "$1" +repage -depth 8 rgb:- | md5sum)
        [ "$current" = "$previous" ] && { echo "$current"; return; }
        previous=$current
        sleep 0.1
    done
    fail "the window never stopped repainting"
}

# The places of the controls in the window's client area.
click_ua() { xdotool mousemove --window "$window" 68 228 click 1; }
click_ub() { xdotool mousemove --window "$window" 284 228 click 1; }
label1_area=133x17+192+300

state_started() { :; }
state_typed() {
    click_ua
    xdotool key --delay 20 End
    xdotool type --delay 20 "25.5"
}
state_category() {
    xdotool mousemove --window "$window" 360 6 click 1
    xdotool key --delay 20 Down Down Down
}
state_message() {
    local before
    before=$(pixels "$label1_area")
    click_ua
    xdotool key --delay 20 End BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace
    [ "$(pixels "$label1_area")" != "$before" ] || fail "emptying UA showed no message"
}
# The list's popup is a window of its own: open once it maps beside the main window.
state_list_open() {
    xdotool mousemove --window "$window" 156 228 click 1
    for _ in $(seq 50); do
        [ "$(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | grep -c .)" -gt 1 ] && return
        sleep 0.1
    done
    fail "list_open: the unit list's popup did not map within 5 s"
}
# Keys still queued when the close comes: no waiting between them and the close.
state_typing() {
    click_ub
    xdotool type --delay 0 "1234567890.5"
}

close_cerrar() { xdotool mousemove --window "$window" 226 260 click 1; }
close_button() { "$send_close" "$window" || fail "could not press the close button"; }

runs=0
run() {
    local state=$1 how=$2 locale=$3 status=0
    LC_ALL=$locale QT_QPA_PLATFORM=xcb "$program" >"$work/app.log" 2>&1 &
    app_pid=$!
    window=$(tarvel_window_of "$app_pid" '^Conversor de unidades$' 30) || fail "$state: no window mapped"
    tarvel_focus "$window" || fail "$state: the window did not take the keyboard"
    "state_$state"
    "close_$how"
    # "At once" with room for a loaded machine: the process must be gone within 5 s.
    for _ in $(seq 50); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$app_pid" 2>/dev/null && fail "$state, $how: still running 5 s after the close"
    wait "$app_pid" || status=$?
    app_pid=
    [ "$status" = 0 ] || fail "$state, $how: ended with status $status"
    if grep -qE "ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: .*Sanitizer" "$work/app.log"; then
        fail "$state, $how: a sanitizer report"
    fi
    runs=$((runs + 1))
    echo "shutdown: $state ($locale), $how: ended with status 0, no report"
}

run started cerrar C.UTF-8
run started button es_ES.UTF-8
run typed cerrar es_ES.UTF-8
run typed button C.UTF-8
run category cerrar C.UTF-8
run category button es_ES.UTF-8
run message cerrar es_ES.UTF-8
run message button C.UTF-8
run list_open button C.UTF-8
run typing button es_ES.UTF-8
run typing cerrar C.UTF-8
echo "shutdown: $runs runs, all ended at once with status 0"
