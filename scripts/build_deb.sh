#!/usr/bin/env bash
# Builds the Debian package from debian/ with dpkg-buildpackage, from the tree as committed:
#   bash scripts/build_deb.sh OUTDIR [SOURCE-DIR]
# SOURCE-DIR is an unpacked source tree (the release's tarball); without it, the commit's
# tracked files (git archive HEAD). Builds in OUTDIR.build/ and leaves the .deb files alone in
# OUTDIR. SOURCE_DATE_EPOCH, where set, dates the files; otherwise dpkg takes the changelog's.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:?usage: build_deb.sh OUTDIR [SOURCE-DIR]}
[[ $out = /* ]] || out=$PWD/$out
source scripts/deps.sh
tarvel_install build package
tarvel_locale es_ES.UTF-8  # the Spanish headings of the manual pages

version=$(dpkg-parsechangelog -l debian/changelog -S Version)
scratch=$out.build
tree=$scratch/conversor-unidades-$version
rm -rf "$scratch" "$out"
mkdir -p "$tree" "$out"
if [ -n "${2:-}" ]; then
    cp -a "$2/." "$tree/"
else
    git archive --format=tar HEAD | tar -x -C "$tree"
fi
dpkg-checkbuilddeps "$tree/debian/control"
(cd "$tree" && dpkg-buildpackage -us -uc -b) >"$scratch/build.log" 2>&1 || {
    tail -n 40 "$scratch/build.log"
    echo "build_deb: dpkg-buildpackage failed (the whole log: $scratch/build.log)" >&2
    exit 1
}
mv "$scratch"/*.deb "$out/"
ls "$out"
