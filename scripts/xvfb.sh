# shellcheck shell=bash
# A private X server for one script. Xvfb picks a free display itself and writes its number
# once it accepts connections, so parallel runs never collide. Sets xvfb_pid, DISPLAY and
# XDG_RUNTIME_DIR; the caller kills $xvfb_pid when it is done.
#
# Usage: source scripts/xvfb.sh; tarvel_start_xvfb WORK_DIR [SCREEN]   (default 1024x768x24)
tarvel_start_xvfb() {
    local work=$1 screen=${2:-1024x768x24}
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
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
