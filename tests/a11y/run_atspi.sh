#!/usr/bin/env bash
# The real program as a screen reader reaches it: its own X server, a private D-Bus session
# with the accessibility bus, Qt's AT-SPI bridge switched on, and atspi_test.py talking to
# it. The program must end with status 0 once the test presses "Cerrar".
#
# With --orca, Orca itself listens instead (Debian 12's Orca 43, speaking Spanish into its
# debug log, with no speech server) and orca_test.py checks what it says as keys are typed.
#
# With --orca-web, the same Orca listens to the web app instead: the built web folder served
# on this machine and opened in Debian's Chromium (its Spanish interface, a new profile, on the
# same display, with its renderer's accessibility on), and orca_web_test.py drives it, with
# the window-less form (web_replay) saying what must be heard.
#
# The program runs in the locale given (LC_ALL), es_ES.UTF-8 by default.
#
# Usage: run_atspi.sh [--orca] path/to/conversor-unidades [LOCALE]
#        run_atspi.sh --orca-web WEB-FOLDER path/to/web_replay
set -euo pipefail

orca=0
case "${1:-}" in
--orca) orca=1; shift ;;
--orca-web) orca=web; shift ;;
esac
program=${1:?usage: run_atspi.sh [--orca] path/to/conversor-unidades [LOCALE] | --orca-web WEB-FOLDER WEB_REPLAY}
lang=${2:-es_ES.UTF-8}
replay=
here=$(cd "$(dirname "$0")" && pwd)

source "$here/../../scripts/xvfb.sh"
fail() {
    echo "a11y: FAIL: $*"
    tarvel_evidence "a11y-${orca/0/window}-$lang"
    exit 1
}

# The system python: a python3 that stands first on PATH (pyenv, a venv) lacks pyatspi.
python=/usr/bin/python3
launcher=/usr/libexec/at-spi-bus-launcher
for tool in Xvfb xdotool dbus-run-session dbus-send "$python" "$launcher"; do
    command -v "$tool" >/dev/null ||
        fail "$tool is missing (source scripts/deps.sh; tarvel_install test)"
done
"$python" -c 'import pyatspi' 2>/dev/null || fail "pyatspi is missing for $python (python3-pyatspi)"
if [ "$orca" != 0 ]; then
    [ -x /usr/bin/orca ] || fail "orca is missing (source scripts/deps.sh; tarvel_install test)"
fi
if [ "$orca" = web ]; then
    [ -f "$program/index.html" ] || fail "no built web app in $program"
    replay=${2:-}
    [ -x "$replay" ] || fail "no web_replay at \"$replay\""
    replay=$(cd "$(dirname "$replay")" && pwd)/$(basename "$replay")
    lang=es_ES.UTF-8
    [ -x /usr/bin/chromium ] || fail "chromium is missing (source scripts/deps.sh; tarvel_install web)"
    program=$(cd "$program" && pwd)
fi

if [ "${1:-}" != --inside-session ]; then
    work=$(mktemp -d)
    xvfb_pid=
    cleanup() {
        [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
        wait 2>/dev/null || true
        rm -rf "$work"
    }
    trap cleanup EXIT

    tarvel_start_xvfb "$work" || fail "no X server"
    echo "a11y: Xvfb on $DISPLAY"

    # A fresh session bus of our own; it goes away with everything on it when we return.
    status=0
    dbus-run-session -- bash "$0" --inside-session "$program" "$work" "$orca" "$lang" "$replay" || status=$?
    exit "$status"
fi

# ---- Inside the private session bus --------------------------------------------------------
program=$2
work=$3
orca=$4
lang=$5
replay=$6
launcher_pid=
app_pid=
orca_pid=
server_pid=
cleanup_session() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
    # Orca ignores SIGTERM.
    [ -n "$orca_pid" ] && kill -KILL "$orca_pid" 2>/dev/null || true
    [ -n "$launcher_pid" ] && kill "$launcher_pid" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup_session EXIT

"$launcher" --launch-immediately >"$work/launcher.log" 2>&1 &
launcher_pid=$!
for _ in $(seq 100); do
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        >/dev/null 2>&1 && break
    kill -0 "$launcher_pid" 2>/dev/null ||
        fail "the accessibility bus did not start: $(cat "$work/launcher.log")"
    sleep 0.1
done

if [ "$orca" != 0 ]; then
    # Orca buffers its debug log; a copy of its launcher writes it line by line, so that each
    # utterance can be waited for as it comes. No speech server is started, and its settings
    # are its defaults, in a folder of its own.
    sed 's/open(args.debug_file, .w.)/open(args.debug_file, "w", buffering=1)/' /usr/bin/orca \
        >"$work/orca"
    grep -q 'buffering=1' "$work/orca" || fail "Orca's launcher no longer opens its log as expected"
    mkdir -p "$work/orca-settings"
    LANG=es_ES.UTF-8 LC_ALL=es_ES.UTF-8 SPEECHD_CMD=/bin/false \
        "$python" "$work/orca" -u "$work/orca-settings" --debug-file "$work/orca.log" \
        >"$work/orca.out" 2>&1 &
    orca_pid=$!
    for _ in $(seq 200); do
        grep -q "SPEECH OUTPUT" "$work/orca.log" 2>/dev/null && break
        kill -0 "$orca_pid" 2>/dev/null || fail "Orca did not start: $(cat "$work/orca.out")"
        sleep 0.1
    done
    grep -q "SPEECH OUTPUT" "$work/orca.log" || fail "Orca said nothing in 20 s"
fi

if [ "$orca" = web ]; then
    port=$("$python" -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    bash "$here/../../scripts/serve_web.sh" "$program" "$port" >"$work/server.log" 2>&1 &
    server_pid=$!
    for _ in $(seq 100); do
        "$python" -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.2).close()" \
            2>/dev/null && break
        kill -0 "$server_pid" 2>/dev/null || fail "the web server did not start: $(cat "$work/server.log")"
        sleep 0.1
    done
    # A window of the browser's own size at the screen's corner, as there is no window manager
    # to place it; nothing of the browser's own reaches the network or asks a first-run question.
    LANG=es_ES.UTF-8 LC_ALL=es_ES.UTF-8 LANGUAGE=es /usr/bin/chromium --no-sandbox --disable-gpu \
        --force-renderer-accessibility --user-data-dir="$work/profile" --lang=es --no-first-run \
        --no-default-browser-check --disable-background-networking --disable-component-update \
        --disable-sync --disable-features=Translate,MediaRouter --password-store=basic \
        --window-position=0,0 --window-size=1024,768 "http://127.0.0.1:$port/" \
        >"$work/chromium.log" 2>&1 &
    app_pid=$!
    window=$(tarvel_window_of "$app_pid" '^Conversor de unidades' 60) ||
        fail "no browser window titled \"Conversor de unidades\"; the browser said: $(grep -v 'dbus/' "$work/chromium.log" | tail -n 5)"
    tarvel_focus "$window" || fail "the browser window did not take the keyboard"
    "$python" "$here/orca_web_test.py" "$work/orca.log" "$program" "$replay" || fail "see above"
    exit
fi

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LC_ALL=$lang QT_QPA_PLATFORM=xcb "$program" \
    >"$work/app.log" 2>&1 &
app_pid=$!

# No window manager here: give the window the keyboard as one would when it maps.
window=$(tarvel_window_of "$app_pid" '^Conversor de unidades$') ||
    fail "no window captioned \"Conversor de unidades\" mapped"
tarvel_focus "$window" || fail "the window did not take the keyboard"

if [ "$orca" = 1 ]; then
    "$python" "$here/orca_test.py" "$work/orca.log" ||
        fail "see above"
    exit 0
fi

"$python" "$here/atspi_test.py" "$lang" "$app_pid" || fail "see above; the program said: $(cat "$work/app.log")"

for _ in $(seq 50); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "the program was still running 5 s after Cerrar was pressed"
status=0
wait "$app_pid" || status=$?
app_pid=
[ "$status" = 0 ] || fail "the program ended with status $status"
echo "a11y: Cerrar, pressed through AT-SPI, ended the program with status 0"
