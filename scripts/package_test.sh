#!/usr/bin/env bash
# Installs the Debian package with apt on this machine, starts the installed program on a
# private X server and checks that its window maps, then purges it and checks that none of its
# files is left.
#   bash scripts/package_test.sh [PACKAGE.deb]
# Without a .deb it builds one from debian/ (scripts/build_deb.sh, the commit's files). lintian
# checks the package first, as Debian's archive would.
#
# This changes the machine (it installs conversor-unidades and what it depends on), so
# scripts/test.sh runs it only in CI or when asked. It purges the package again at the end
# unless the package was installed before or KEEP_PACKAGE=1.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
tarvel_install build package

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

if [ -n "${1:-}" ]; then
    debs=("$1")
else
    build=${PACKAGE_BUILD_DIR:-build-deb}
    bash scripts/build_deb.sh "$build" >/dev/null
    debs=("$build"/conversor-unidades_*_amd64.deb)
fi
if [ "${#debs[@]}" -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "package: no single .deb: ${debs[*]}"
    exit 1
fi
echo "package: ${debs[0]}"
dpkg-deb --field "${debs[0]}" Package Version Architecture Section Maintainer Depends Recommends
dpkg-deb --contents "${debs[0]}" | awk '{print "package:   " $6}'
lintian --fail-on error,warning --info "${debs[0]}" 2>/dev/null | sed 's/^/package: lintian: /' ||
    { echo "package: FAIL: lintian"; exit 1; }

work=$(mktemp -d)
xvfb_pid=
app_pid=
installed_before=0
dpkg-query -W -f='${Status}' conversor-unidades 2>/dev/null | grep -q "install ok installed" &&
    installed_before=1
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
    if [ "$installed_before" = 0 ] && [ "${KEEP_PACKAGE:-0}" != 1 ]; then
        "${sudo[@]}" apt-get purge -y -qq conversor-unidades >/dev/null 2>&1 || true
    fi
}
trap cleanup EXIT
fail() {
    echo "package: FAIL: $*"
    declare -F tarvel_evidence >/dev/null && tarvel_evidence package
    exit 1
}

# apt reads the file as its own unprivileged user: hand it a copy it can read.
chmod 755 "$work"
cp "${debs[0]}" "$work/"
deb=$work/$(basename "${debs[0]}")
chmod 644 "$deb"
# Without the recommended Wayland plugin, of no use on Xvfb.
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" \
    apt-get install -y -qq --no-install-recommends --reinstall "$deb"
dpkg-query -W -f='package: installed ${Package} ${Version}\n' conversor-unidades

[ "$(command -v conversor-unidades)" = /usr/bin/conversor-unidades ] ||
    fail "conversor-unidades is not /usr/bin/conversor-unidades on PATH"
[ "$(LC_ALL=C conversor 100 C F)" = 212.0 ] || fail "the installed conversor does not convert"
for page in conversor conversor-unidades; do
    [ -f /usr/share/man/man1/$page.1.gz ] || fail "no manual page for $page"
    gzip -dc /usr/share/man/man1/$page.1.gz | grep -q "^\.TH ${page^^} \"1\"" ||
        fail "$page.1.gz is no manual page of $page"
done
files=$(dpkg -L conversor-unidades)
report=$(desktop-file-validate /usr/share/applications/conversor-unidades.desktop 2>&1) &&
    [ -z "$report" ] || fail "the installed desktop entry: $report"

source scripts/xvfb.sh
tarvel_start_xvfb "$work" || fail "no X server"

QT_QPA_PLATFORM=xcb /usr/bin/conversor-unidades >"$work/app.log" 2>&1 &
app_pid=$!
window=$(tarvel_window_of "$app_pid" '^Conversor de unidades$') ||
    fail "no window captioned \"Conversor de unidades\" mapped; the program said: $(cat "$work/app.log")"
eval "$(xdotool getwindowgeometry --shell "$window")"
echo "package: /usr/bin/conversor-unidades mapped window $window, ${WIDTH}x${HEIGHT}"
[ "$WIDTH" = 455 ] && [ "$HEIGHT" = 324 ] || fail "the window is ${WIDTH}x${HEIGHT}, not 455x324"
# The menu entry's StartupWMClass names the window's class, so docks match the two.
wm_class=$(xprop -id "$window" WM_CLASS)
echo "package: $wm_class"
grep -q "StartupWMClass=conversor-unidades$" /usr/share/applications/conversor-unidades.desktop &&
    [[ $wm_class == *'"conversor-unidades"'* ]] ||
    fail "WM_CLASS does not carry the entry's StartupWMClass"

kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=

# Purged, it leaves none of its files (the folders it shares with others stay).
if [ "$installed_before" = 0 ] && [ "${KEEP_PACKAGE:-0}" != 1 ]; then
    "${sudo[@]}" apt-get purge -y -qq conversor-unidades >/dev/null
    left=$(while read -r path; do
        if [ -f "$path" ] || [ -L "$path" ]; then echo "$path"; fi
    done <<<"$files")
    [ -z "$left" ] || fail "left behind after the purge: $(tr '\n' ' ' <<<"$left")"
    dpkg-query -W -f='${Status}' conversor-unidades 2>/dev/null | grep -q "install ok installed" &&
        fail "dpkg still knows conversor-unidades after the purge"
    echo "package: purged, none of its $(grep -c . <<<"$files") paths' files left"
fi
echo "package: PASS"
