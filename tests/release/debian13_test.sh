#!/usr/bin/env bash
# The Debian 12 package and the source on Debian 13 (trixie), in a chroot that mmdebstrap
# makes from deb.debian.org:
#   bash tests/release/debian13_test.sh PACKAGE.deb WORK-DIR [--package-only]
#
# The package: apt installs it, taking Qt from trixie (libqt6core6 from libqt6core6t64); its
# conversor prints what the same package's conversor prints on this machine; its window maps
# on an X server of this machine, whose socket is bound into the chroot, with the size it has
# here, and is pictured in WORK-DIR; purged, it leaves none of its files. The source (the
# commit's files): the README's run command installs what trixie lacks, builds and opens the
# window; then conversor and the window-less tests are built, and the tests pass in C.UTF-8
# and in es_ES.UTF-8.
#
# The bare chroot is kept in WORK-DIR/cache (made again after 30 days), and so are the
# packages apt downloads. Runs as root. One line per check, then
#   deb-debian13: N passed, M failed
# and status 1 on a failure, after which TARVEL_EVIDENCE, if set, holds the screen, the
# windows and the chroot's logs.
set -uo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
deb=${1:?usage: debian13_test.sh PACKAGE.deb WORK-DIR [--package-only]}
work=${2:?usage: debian13_test.sh PACKAGE.deb WORK-DIR [--package-only]}
source_build=1
[ "${3:-}" = --package-only ] && source_build=0
[ "$(id -u)" = 0 ] || exec sudo --preserve-env=TARVEL_EVIDENCE bash "$0" "$@"
[[ $deb = /* ]] || deb=$PWD/$deb
mkdir -p "$work" && work=$(cd "$work" && pwd)
# One run at a time in a work folder: another's clean-up would end this one's processes.
exec 9>"$work/lock"
flock -n 9 || { printf "FAIL another run of this test is using %s\ndeb-debian13: 0 passed, 1 failed\n" "$work"; exit 1; }
source "$repo/scripts/deps.sh"
source "$repo/scripts/xvfb.sh"

mirror=http://deb.debian.org/debian
mm=(mmdebstrap --quiet --mode=root --variant=apt --format=tar trixie)
cache=$work/cache
tarball=$cache/trixie-$(echo "${mm[*]} $mirror" | sha256sum | cut -c1-12).tar
root=$work/root
logs=$work/logs
reference=$work/debian12
name='^Conversor de unidades$'
passed=0
failed=0
stopped=
xvfb_pid=

pass() { passed=$((passed + 1)); echo "ok   $*"; }
fail() {
    failed=$((failed + 1))
    echo "FAIL $*"
    [ -n "${TARVEL_EVIDENCE:-}" ] || return 0
    tarvel_evidence deb-debian13
    mkdir -p "$TARVEL_EVIDENCE/deb-debian13" && cp -r "$logs/." "$TARVEL_EVIDENCE/deb-debian13/"
}
# A failure the later checks cannot go on from.
stop() {
    stopped=1
    fail "$@"
    exit 1
}
# A log's first errors (a compiler's, apt's), or else its last lines, on one line.
why() { { grep -m 3 -E '(^|: )(error|E):' "$1" || tail -n 8 "$1"; } | tr '\n' ' '; }
# What is mounted at or below the chroot's root, deepest first.
mounts() { awk -v r="$root" '$2 == r || index($2, r "/") == 1 {print $2}' /proc/self/mounts | sort -r; }
cleanup() {
    local status=$? p m
    # Whatever still runs with the chroot as its root is this script's: a window, a build, apt.
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && kill "${p#/proc/}" 2>/dev/null
    done
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    for m in $(mounts); do umount "$m" 2>/dev/null || umount -l "$m"; done
    m=$(mounts)
    [ -z "$m" ] || fail "still mounted: $m"
    [ "$status" = 0 ] || [ -n "$stopped" ] || fail "the test ended early, status $status"
    [ -d "$root" ] && echo "     disk: $(du -sh "$cache" | cut -f1) in the cache," \
        "$(du -sh --one-file-system "$root" | cut -f1) in the chroot"
    # The chroot is big; the one of a failed run stays for a look.
    [ "$failed" = 0 ] && [ -z "$m" ] && rm -rf --one-file-system "$root" "$reference"
    echo "deb-debian13: $passed passed, $failed failed"
    [ "$failed" = 0 ] || exit 1
}
trap cleanup EXIT
trap 'exit 130' INT TERM
tarvel_install build debian13 >"$work/install-host.log" 2>&1 ||
    stop "cannot install what the test needs here: $(tail -n 3 "$work/install-host.log")"
# A command in the chroot with a clean environment: "${in_root[@]}" [NAME=VALUE...] COMMAND...
# Each program execs the next, so a process started in the background keeps its pid.
in_root=(chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
    DEBIAN_FRONTEND=noninteractive)
# Ends the process PID of a check, and the processes under it.
end() {
    # shellcheck disable=SC2046  # one word per process id
    kill $(tarvel_process_tree "$1") 2>/dev/null
    wait "$1" 2>/dev/null
}

[ -f "$deb" ] || stop "no package $deb"
[ -z "$(mounts)" ] || stop "something is mounted in $root from an earlier run: $(mounts)"
rm -rf --one-file-system "$root" "$reference" "$logs" && mkdir -p "$root" "$logs" "$cache/archives" ||
    stop "cannot make $root"

# The bare chroot: Essential packages and apt, nothing else. Made again when a month old, so
# that it stays close to what trixie installs today.
start=$SECONDS
how="reused from $tarball"
if [ ! -f "$tarball" ] || [ -n "$(find "$tarball" -mtime +30)" ]; then
    how="made by mmdebstrap"
    rm -f "$cache"/trixie-*.tar
    "${mm[@]}" "$tarball.part" "$mirror" >"$logs/mmdebstrap.log" 2>&1 && mv "$tarball.part" "$tarball" ||
        stop "mmdebstrap: $(tail -n 5 "$logs/mmdebstrap.log")"
fi
tar --numeric-owner -C "$root" -xf "$tarball" && cp -L /etc/resolv.conf "$root/etc/resolv.conf" ||
    stop "cannot unpack $tarball"
tarvel_start_xvfb "$work" || stop "no X server"
mkdir -p "$root/tmp/.X11-unix" "$root/tmp/runtime" && chmod 700 "$root/tmp/runtime"
{ mount -t proc proc "$root/proc" && mount -t tmpfs -o mode=1777 shm "$root/dev/shm" &&
    mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts" &&
    mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix" &&
    mount --bind "$cache/archives" "$root/var/cache/apt/archives"; } ||
    stop "cannot mount in $root (a container needs to be privileged for this test)"
"${in_root[@]}" apt-get update -q >"$logs/apt-update.log" 2>&1 ||
    stop "apt-get update in the chroot: $(tail -n 5 "$logs/apt-update.log")"
pass "Debian $(cat "$root/etc/debian_version") chroot $how, apt's lists fetched ($((SECONDS - start)) s)"

# The Debian 12 build's own conversor and window, unpacked here: what Debian 13 must match.
dpkg-deb -x "$deb" "$reference" || stop "cannot unpack $deb"
# conversor's invocations: a conversion, the temperature offset, a named quantity, a column on
# standard input with a line that is no number, and a unit of another quantity.
invocations=("1 m cm" "100 C F" "--magnitud Fuerza 10 lb N" "- CFM l/s" "1 m kg")
# Standard output, standard error and the exit status of COMMAND... on the same input.
conversor_prints() {
    local status=0 out
    out=$(printf '2500\n1.5\nx\n' | "$@" 2>"$logs/conversor.stderr") || status=$?
    printf '%s\n[stderr] %s\n[status %s]' "$out" "$(cat "$logs/conversor.stderr")" "$status"
}
# Usage: same_conversor WHICH COMMAND...  (COMMAND runs conversor; each invocation is added)
same_conversor() {
    local which=$1 args expected got
    shift
    for args in "${invocations[@]}"; do
        # shellcheck disable=SC2086  # each invocation is split into its words
        expected=$(LC_ALL=C.UTF-8 conversor_prints "$reference/usr/bin/conversor" $args)
        # shellcheck disable=SC2086
        got=$(conversor_prints "$@" $args)
        # A conversor that says nothing and succeeds would match one that does the same.
        if [ "$got" = "$expected" ] && [ "$expected" != $'\n[stderr] \n[status 0]' ]; then
            pass "$which conversor $args: $(grep -m 1 . <<<"$got")"
        else
            fail "$which conversor $args: printed \"${got//$'\n'/ | }\", Debian 12's \"${expected//$'\n'/ | }\""
        fi
    done
}
# Waits for the window of process PID, checks its size against the Debian 12 build's and
# pictures it once it is drawn. Usage: window_check WHAT PID PICTURE LOG (the program's output)
reference_size=
window_check() {
    local what=$1 pid=$2 picture=$3 log=$4 window colours=0 start=$SECONDS until=$((SECONDS + 15))
    if ! window=$(tarvel_window_of "$pid" "$name" 30 2>&1); then
        fail "$what: $window; the program said: $(grep . "$log" | tail -n 3 | tr '\n' ' ')"
        return 1
    fi
    eval "$(xdotool getwindowgeometry --shell "$window")"
    if [ -z "$reference_size" ]; then
        QT_QPA_PLATFORM=xcb "$reference/usr/bin/conversor-unidades" >"$logs/debian12-window.log" 2>&1 &
        local ref_pid=$! ref
        ref=$(tarvel_window_of "$ref_pid" "$name" 30) &&
            reference_size=$(xdotool getwindowgeometry --shell "$ref" | grep -E '^(WIDTH|HEIGHT)=' | tr '\n' ' ')
        end "$ref_pid"
    fi
    # A window mapped before its first paint shows one flat colour.
    while [ "$colours" -le 8 ] && [ "$SECONDS" -lt "$until" ]; do
        import -window "$window" "$picture" 2>/dev/null && colours=$(identify -format %k "$picture")
        [ "$colours" -le 8 ] && sleep 0.2
    done
    if [ "WIDTH=$WIDTH HEIGHT=$HEIGHT " != "$reference_size" ]; then
        fail "$what: window $window is ${WIDTH}x$HEIGHT, Debian 12's build here: ${reference_size:-no window}"
    elif [ "$colours" -le 8 ]; then
        fail "$what: window $window still shows $colours colours after 15 s: nothing drawn ($picture)"
    else
        pass "$what: window $window mapped, ${WIDTH}x$HEIGHT as on Debian 12," \
            "$colours colours in $picture ($((SECONDS - start)) s)"
    fi
}

# The package, installed as a user would, less the recommended Wayland plugin: the Depends
# alone must bring a working window.
start=$SECONDS
cp "$deb" "$root/tmp/" && chmod 644 "$root/tmp/$(basename "$deb")"
if "${in_root[@]}" apt-get install -y -q --no-install-recommends "/tmp/$(basename "$deb")" \
    >"$logs/install.log" 2>&1 &&
    "${in_root[@]}" dpkg-query -W -f='${Status}' conversor-unidades | grep -q "install ok installed"; then
    # Which installed package gives each Qt library the package depends on, by name or by
    # Provides (trixie's 64-bit time_t libqt6core6t64).
    installed=$("${in_root[@]}" dpkg-query -W -f='${db:Status-Abbrev}|${Package}|${Version}|${Provides}\n' | grep '^ii')
    qt=() bad=()
    for lib in $(dpkg-deb -f "$deb" Depends | grep -o 'libqt6[a-z]*6'); do
        by=$(awk -F'|' -v l="$lib" '$2 == l { print l " " $3; exit }
            $4 ~ "(^|, )" l "( |,|$)" { print l " from " $2 " " $3; exit }' <<<"$installed")
        [ -n "$by" ] && qt+=("$by") || bad+=("$lib")
    done
    [ "${#bad[@]}" = 0 ] && [ "${#qt[@]}" -gt 0 ] &&
        pass "apt-get install ./$(basename "$deb"): $(printf '%s, ' "${qt[@]}" | sed 's/, $//') ($((SECONDS - start)) s)" ||
        fail "apt-get install: no installed package gives ${bad[*]:-any Qt library: none in Depends}"
    same_conversor "the installed" "${in_root[@]}" LC_ALL=C.UTF-8 /usr/bin/conversor
    files=$("${in_root[@]}" dpkg -L conversor-unidades | grep -vx '/\.')
    "${in_root[@]}" DISPLAY="$DISPLAY" XDG_RUNTIME_DIR=/tmp/runtime QT_QPA_PLATFORM=xcb \
        /usr/bin/conversor-unidades >"$logs/window.log" 2>&1 &
    pid=$!
    window_check "the installed /usr/bin/conversor-unidades" "$pid" "$work/window-package.png" "$logs/window.log"
    end "$pid"

    # Purged, none of its files is left, nor any of its folders that no other package owns.
    start=$SECONDS
    "${in_root[@]}" apt-get purge -y -q conversor-unidades >"$logs/purge.log" 2>&1 ||
        fail "apt-get purge: $(tail -n 3 "$logs/purge.log")"
    left=()
    while read -r path; do
        if [ -L "$root$path" ] || [ -f "$root$path" ]; then
            left+=("$path")
        elif [ -d "$root$path" ] && ! "${in_root[@]}" dpkg-query -S "$path" >/dev/null 2>&1; then
            left+=("$path/")
        fi
    done <<<"$files"
    if "${in_root[@]}" dpkg-query -W -f='${Status}' conversor-unidades 2>/dev/null | grep -q .; then
        fail "dpkg still knows conversor-unidades after the purge"
    elif [ "${#left[@]}" != 0 ]; then
        fail "apt-get purge left ${#left[@]} of its $(grep -c . <<<"$files") paths: ${left[*]}"
    else
        pass "apt-get purge: none of its $(grep -c . <<<"$files") paths left ($((SECONDS - start)) s)"
    fi
else
    fail "apt-get install ./$(basename "$deb"): $(grep -E '^E:|Depends:' "$logs/install.log" | head -n 5 | tr '\n' ' ')"
fi

[ "$source_build" = 1 ] || exit 0
# The source, as the README has it on a fresh machine: its run command installs what is
# missing, builds the window and opens it.
start=$SECONDS
mkdir -p "$root/root/src" && git -C "$repo" archive HEAD | tar -x -C "$root/root/src" ||
    stop "cannot put the commit's files in the chroot"
missing() {
    local pkg n=0
    for pkg in "${tarvel_packages_build[@]}" "${tarvel_packages_run[@]}"; do
        "${in_root[@]}" dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            n=$((n + 1))
    done
    echo "$n"
}
before=$(missing)
"${in_root[@]}" DISPLAY="$DISPLAY" XDG_RUNTIME_DIR=/tmp/runtime bash /root/src/scripts/run.sh \
    >"$logs/run.log" 2>&1 &
pid=$!
# run.sh ends by becoming the program it built; until then apt and the build take minutes.
program=$root/root/src/build-release/src/conversor-unidades
bound=${TARVEL_DEBIAN13_BUILD_SECONDS:-1800}
while kill -0 "$pid" 2>/dev/null && [ "$(readlink "/proc/$pid/exe")" != "$program" ] &&
    [ "$((SECONDS - start))" -lt "$bound" ]; do
    sleep 1
done
if [ "$(readlink "/proc/$pid/exe")" != "$program" ]; then
    kill -0 "$pid" 2>/dev/null && what="still running after $bound s" || what="ended"
    stop "bash scripts/run.sh $what without starting the window: $(why "$logs/run.log")"
fi
after=$(missing)
[ "$before" -gt 0 ] && [ "$after" = 0 ] &&
    pass "bash scripts/run.sh installed the $before missing packages and built the window ($((SECONDS - start)) s)" ||
    fail "bash scripts/run.sh: $before of the packages it needs missing before, $after after"
window_check "the window run.sh built" "$pid" "$work/window-source.png" "$logs/run.log"
end "$pid"

# conversor and the window-less tests, built as scripts/test.sh builds them, in a tree
# without the window.
start=$SECONDS
"${in_root[@]}" bash -c 'cd /root/src && source scripts/deps.sh && tarvel_install windowless &&
    tarvel_locale es_ES.UTF-8 && cmake -S . -B build-windowless -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARVEL_WINDOW=OFF -DTARVEL_BENCH=OFF && cmake --build build-windowless -j2' \
    >"$logs/windowless-build.log" 2>&1 ||
    stop "the window-less build: $(why "$logs/windowless-build.log")"
pass "conversor and the window-less tests built ($((SECONDS - start)) s)"
same_conversor "the built" "${in_root[@]}" LC_ALL=C.UTF-8 /root/src/build-windowless/src/cli/conversor
for lang in C.UTF-8 es_ES.UTF-8; do
    start=$SECONDS
    "${in_root[@]}" LC_ALL=$lang ctest --test-dir /root/src/build-windowless -L windowless -j2 \
        --output-on-failure >"$logs/ctest-$lang.log" 2>&1
    status=$?
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$logs/ctest-$lang.log")
    [ "$status" = 0 ] && [[ $line == "100% tests passed"* ]] &&
        pass "ctest -L windowless, LC_ALL=$lang: $line ($((SECONDS - start)) s)" ||
        fail "ctest -L windowless, LC_ALL=$lang: ${line:-no summary}, status $status"
done
