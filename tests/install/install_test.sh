#!/usr/bin/env bash
# What `cmake --install` puts in place, installed into a scratch prefix: the program, the
# command-line conversor and its manual page, its menu entry, its software-centre record, its icons and its licence, each checked where it
# lands, and the whole tree checked by AppStream as a software centre would read it.
#
# Usage: install_test.sh path/to/build-directory
set -euo pipefail

build=${1:?usage: install_test.sh path/to/build-directory}
id=io.github.conversor_unidades.conversor_unidades
fail() {
    echo "install: FAIL: $*"
    exit 1
}
for tool in desktop-file-validate appstreamcli file; do
    command -v "$tool" >/dev/null ||
        fail "$tool is missing (source scripts/deps.sh; tarvel_install test)"
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

cmake --install "$build" --prefix "$root/usr" >"$root/install.log" ||
    fail "$(cat "$root/install.log")"
echo "install: into $root/usr:"
(cd "$root" && find usr -type f | sort | sed 's/^/install:   /')

[ -x "$root/usr/bin/conversor-unidades" ] || fail "no executable usr/bin/conversor-unidades"
[ -x "$root/usr/bin/conversor" ] || fail "no executable usr/bin/conversor"
figure=$(LC_ALL=C "$root/usr/bin/conversor" 1 pie m) || fail "the installed conversor failed"
[ "$figure" = 0.3048 ] || fail "the installed conversor turned 1 pie into $figure m"
man=$root/usr/share/man/man1/conversor.1.gz
[ -f "$man" ] || fail "no manual page usr/share/man/man1/conversor.1.gz"
gzip -dc "$man" | grep -q '^\.TH CONVERSOR "1"' || fail "conversor.1.gz is no manual page"

entry=$root/usr/share/applications/conversor-unidades.desktop
[ -f "$entry" ] || fail "no desktop entry"
report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate: $report"
value() { sed -n "s/^$1=//p" "$entry"; }
[ -x "$root/usr/bin/$(value Exec)" ] || fail "Exec=$(value Exec) is not the installed program"
icon=$(value Icon)

for size in 32 64 128 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
    [ -f "$png" ] || fail "no ${size}x${size} icon named $icon"
    file -b "$png" | grep -q "^PNG image data, $size x $size," ||
        fail "the ${size}x${size} icon is $(file -b "$png")"
done

[ -f "$root/usr/share/metainfo/$id.metainfo.xml" ] || fail "no metainfo $id.metainfo.xml"
# Checks the record against the tree too: the desktop entry it launches and its icon.
appstreamcli validate-tree --no-net --pedantic "$root" >"$root/tree.log" 2>&1 ||
    fail "appstreamcli validate-tree: $(cat "$root/tree.log")"
grep -q "Validation was successful\.$" "$root/tree.log" ||
    fail "appstreamcli validate-tree: $(cat "$root/tree.log")"

cmp -s "$root/usr/share/doc/conversor-unidades/copyright" "$(dirname "$0")/../../LICENSE" ||
    fail "usr/share/doc/conversor-unidades/copyright is not the licence"

echo "install: conversor and its manual page, the entry, the metainfo, four icons and the licence are in place and valid"
