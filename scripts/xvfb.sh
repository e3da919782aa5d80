# shellcheck shell=bash
# A private X server for one script. Xvfb picks a free display itself and writes its number
# once it accepts connections, so parallel runs never collide. Sets xvfb_pid, DISPLAY and
# XDG_RUNTIME_DIR; the caller kills $xvfb_pid when it is done.
#
# Usage: source scripts/xvfb.sh; tarvel_start_xvfb WORK_DIR [SCREEN]   (default 1024x768x24)
# The helpers below it find a test's own window on that server, focus it and keep evidence.
tarvel_start_xvfb() {
    local work=$1 screen=${2:-1024x768x24}
    # -noreset: by default an X server resets itself each time its last client goes, and a
    # client that connects during the reset (the next program of a test, xdotool, import) is
    # refused: "cannot open display", more often on a loaded machine.
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        if ! kill -0 "$xvfb_pid" 2>/dev/null; then
            echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2
            return 1
        fi
        sleep 0.1
    done
    if [ ! -s "$work/display" ]; then
        echo "Xvfb gave no display number" >&2
        return 1
    fi
    export DISPLAY=":$(head -n1 "$work/display")"
    mkdir -p -m 700 "$work/runtime"
    export XDG_RUNTIME_DIR="$work/runtime"
}

# Process PID and all of its descendants, PID first: a launcher script, Wine's loader and a
# browser's wrapper all stand between a test and the process that owns the window.
tarvel_process_tree() {
    local pid
    for pid in "$@"; do
        echo "$pid"
        # shellcheck disable=SC2046  # one word per process id
        tarvel_process_tree $(pgrep -P "$pid" || true)
    done
}

# Every X window with a name, its process and whether it is mapped: what a failure saw.
tarvel_windows() {
    local w
    for w in $(xdotool search --name . 2>/dev/null); do
        printf '%s "%s" pid %s %s\n' "$w" "$(xdotool getwindowname "$w" 2>/dev/null)" \
            "$(xdotool getwindowpid "$w" 2>/dev/null || echo -)" \
            "$(xwininfo -id "$w" 2>/dev/null | awk '/Map State:/ {print $3}')"
    done
}

# Waits up to SECONDS (15) for a mapped window whose name matches NAME and that belongs to
# process PID or to one of its descendants, and prints its id. A window of another program
# with the same name, left by an earlier test, is never taken. Fails saying what it waited for
# and which windows there were. Usage: tarvel_window_of PID NAME [SECONDS]
tarvel_window_of() {
    local pid=$1 name=$2 seconds=${3:-15} end p w
    end=$((SECONDS + seconds))
    while :; do
        for p in $(tarvel_process_tree "$pid"); do
            w=$(xdotool search --all --onlyvisible --pid "$p" --name "$name" 2>/dev/null | head -n1) || true
            [ -n "$w" ] && { echo "$w"; return 0; }
        done
        [ "$SECONDS" -lt "$end" ] || break
        sleep 0.1
    done
    echo "no mapped window named \"$name\" of process $pid or its children within $seconds s;" \
        "windows: $(tarvel_windows | tr '\n' ';')" >&2
    return 1
}

# The top-level X window that holds WINDOW: for a Wine program shown in a Wine desktop, that
# desktop, the window Wine takes the program's keys from.
tarvel_toplevel() {
    local w=$1 parent
    while parent=$(xwininfo -children -id "$w" | awk '/Parent window id:/ {print $4, $5}') &&
        [ -n "$parent" ] && [[ $parent != *"(the"* ]]; do
        w=${parent%% *}
    done
    echo "$((w))"
}

# Gives WINDOW the keyboard and waits up to 5 s until the X server says the focus is in it or
# in a window inside it. Usage: tarvel_focus WINDOW
tarvel_focus() {
    local focus
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    for _ in $(seq 50); do
        focus=$(xdotool getwindowfocus 2>/dev/null) || focus=
        [ -n "$focus" ] && [ "$(tarvel_toplevel "$focus")" = "$(tarvel_toplevel "$1")" ] && return 0
        sleep 0.1
    done
    echo "the keyboard focus is in window ${focus:-none}, not in $1: $(tarvel_windows | tr '\n' ';')" >&2
    return 1
}

# What the screen showed when a test failed, left for a reader on another machine: the root
# window as NAME.png and the windows with their processes as NAME.windows, in TARVEL_EVIDENCE,
# which scripts/test.sh sets (nothing is kept when it is unset). Usage: tarvel_evidence NAME
tarvel_evidence() {
    local dir=${TARVEL_EVIDENCE:-}
    [ -n "$dir" ] && [ -n "${DISPLAY:-}" ] || return 0
    mkdir -p "$dir"
    import -window root "$dir/$1.png" 2>/dev/null || true
    tarvel_windows >"$dir/$1.windows" 2>&1 || true
    echo "evidence: $dir/$1.png and $dir/$1.windows" >&2
}
