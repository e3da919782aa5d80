#!/usr/bin/env bash
# Builds every face's release file into dist/ from the tree as committed, the same bytes from
# any clone on any day:
#   conversor-unidades_<v>_amd64.deb (and its -dbgsym)  the Linux window and conversor
#   conversor-unidades-<v>-x64.msi                      the Windows installer
#   conversor-unidades-<v>-x64.zip                      the Windows programs, portable
#   conversor-unidades-<v>-web.zip                      the web app's folder
#   conversor-unidades-<v>.tar.gz                       the source (git archive)
#   conversor-unidades-<v>.spdx.json                    the bill of materials
#   winget/                                             the winget manifests of the MSI
#   SHA256SUMS                                          the SHA-256 of every other file
#
# Usage: bash scripts/release.sh
# SOURCE_DATE_EPOCH: the time written into every file; by default the commit's.
# TARVEL_SIGN_PKCS12, TARVEL_SIGN_PASSWORD_FILE (and TARVEL_SIGN_TIMESTAMP_URL): sign the .exe
# files and the MSI with that key (cmake/windows_package.sh). A signed release is no longer the
# reproducible one: its signatures are new each time.
# Builds in build-release/ (emptied first); other build folders are left alone.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "release: the tree has uncommitted changes to tracked files; commit or stash them first" >&2
    exit 1
fi

# The version is written once, in the project's CMakeLists.txt.
version=$(sed -n 's/^project([^)]* VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt" >&2; exit 1; }
name=conversor-unidades
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}

source scripts/deps.sh
tarvel_install build package windows web release
tarvel_locale es_ES.UTF-8  # the Spanish headings of the manual pages

# Whatever the caller's settings, the tools below see the same ones.
export TZ=UTC LC_ALL=C.UTF-8 LANG=C.UTF-8
unset LANGUAGE
umask 022

start=$SECONDS
work=$root/build-release
dist=$root/dist
rm -rf "$work" "$dist"
mkdir -p "$work" "$dist"

# The source, exactly the commit's tracked files; everything below is built from it.
git archive --format=tar --prefix="$name-$version/" HEAD | gzip -n -9 >"$dist/$name-$version.tar.gz"
tar -xzf "$dist/$name-$version.tar.gz" -C "$work"
src=$work/$name-$version
# Paths of this clone written nowhere: the same bytes from a clone anywhere.
prefix_map() { echo "-ffile-prefix-map=$src=. -ffile-prefix-map=$1=."; }

echo "release: Debian package"
bash scripts/build_deb.sh "$work/deb" "$src"
cp "$work/deb"/*.deb "$dist/"

echo "release: Windows programs, ZIP and installer"
cmake -S "$src" -B "$work/windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-x86_64.cmake" -DBUILD_TESTING=OFF -DTARVEL_BENCH=OFF \
    -DCMAKE_C_FLAGS="$(prefix_map "$work/windows")" -DCMAKE_CXX_FLAGS="$(prefix_map "$work/windows")"
cmake --build "$work/windows" --target msi -j2
cp "$work/windows/$name-$version-x64.msi" "$work/windows/$name-$version-x64.zip" "$dist/"

echo "release: web app"
NODE_PATH=/usr/share/nodejs emcmake cmake -S "$src" -B "$work/web" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF -DCMAKE_C_FLAGS="$(prefix_map "$work/web")" \
    -DCMAKE_CXX_FLAGS="$(prefix_map "$work/web")"
NODE_PATH=/usr/share/nodejs cmake --build "$work/web" --target web -j2
cp "$work/web/$name-$version-web.zip" "$dist/"

echo "release: bill of materials and winget manifests"
python3 scripts/sbom.py "$dist" "$version" "$SOURCE_DATE_EPOCH" "$dist/$name-$version.spdx.json"
python3 scripts/winget_manifests.py "$dist/$name-$version-x64.msi" "$dist/winget"

(cd "$dist" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort |
    xargs -d '\n' sha256sum >SHA256SUMS)
(cd "$dist" && sha256sum --quiet -c SHA256SUMS)

echo "release: $version in $((SECONDS - start)) s, from commit $(git rev-parse --short HEAD)" \
    "(SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH)"
(cd "$dist" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | xargs -d '\n' du -b |
    awk '{ printf "release:   %10d  %s\n", $1, $2 }')
