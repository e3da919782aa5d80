#!/usr/bin/env bash
# The release as a user and a distribution would check it: release_test.sh [WORK-DIR]
#
# Builds the release of the committed HEAD twice, in two fresh clones at different paths,
# minutes apart, under different time zones, locales and umasks, and compares every file of
# the two dist/ folders byte for byte; for a file that differs it prints diffoscope's summary
# (for the MSI, the difference of the two databases dumped by msidump). Then, on the first
# build's own files: the checksums, the source tarball against the commit, the bill of
# materials against the files, lintian on the .deb, the
# MSI's round trip under Wine, and the .deb installed, started and purged. Last, the release
# built again with a throwaway code-signing key: the signatures of both programs (in the ZIP
# and in the MSI) and of the MSI verify against that certificate and not against another.
#
# Prints one line per check and ends with
#   release: N files, identical in two builds, lintian clean, signatures verified (M checks)
# or "release: FAIL: reason", exit 1. Uncommitted changes are not in what it builds.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:-$root/build-release-test}
[[ $work = /* ]] || work=$PWD/$work
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
checks=0
fail() { echo "release: FAIL: $*"; exit 1; }
pass() { checks=$((checks + 1)); echo "release: ok: $*"; }

rm -rf "$work" && mkdir -p "$work" || fail "cannot make $work"
version=$(sed -n 's/^project([^)]* VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
name=conversor-unidades

# build CLONE-PATH LOG [VAR=VALUE...]: a fresh clone of HEAD at that path, released there.
build() {
    local clone=$1 log=$2
    shift 2
    git clone -q --no-hardlinks "$root" "$clone" || fail "git clone into $clone failed"
    (cd "$clone" && env "$@" bash scripts/release.sh) >"$log" 2>&1 ||
        fail "scripts/release.sh in $clone failed: $(tail -n 15 "$log")"
    grep '^release: ' "$log"
}

a=$work/a/$name
b=$work/elsewhere/b/another-name
start=$SECONDS
(umask 022 && build "$a" "$work/a.log" TZ=UTC LANG=C.UTF-8 LC_ALL=C.UTF-8) || exit 1
first=$((SECONDS - start))
(umask 002 && build "$b" "$work/b.log" TZ=America/Santiago LANG=es_ES.UTF-8 LC_ALL=es_ES.UTF-8) ||
    exit 1
echo "release: built in $first s, then $((SECONDS - start - first)) s"

# Every file, in both builds, the same bytes.
files=$(cd "$a/dist" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$files" = "$(cd "$b/dist" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)" ] ||
    fail "the two builds wrote different files: $(diff <(cd "$a/dist" && find . -type f | sort) \
        <(cd "$b/dist" && find . -type f | sort) | tr '\n' ' ')"
differ=()
for file in $files; do
    cmp -s "$a/dist/$file" "$b/dist/$file" || differ+=("$file")
done
for file in "${differ[@]}"; do
    echo "release: $file differs between the two builds:"
    if [[ $file = *.msi ]]; then
        for side in a b; do
            mkdir -p "$work/msidump/$side"
            dir=$a && [ "$side" = b ] && dir=$b
            (cd "$work/msidump/$side" && msidump -s -t "$dir/dist/$file" >/dev/null 2>&1)
        done
        diff -r "$work/msidump/a" "$work/msidump/b" | head -n 40
    else
        diffoscope --text - --max-report-size 20000 "$a/dist/$file" "$b/dist/$file" 2>/dev/null |
            head -n 60
    fi
done
[ "${#differ[@]}" = 0 ] || fail "${#differ[@]} of $(wc -w <<<"$files") files differ: ${differ[*]}"
count=$(wc -w <<<"$files")
pass "$count files identical in two builds"
dist=$a/dist

# The checksums cover every other file, and hold.
listed=$(cut -d' ' -f3- "$dist/SHA256SUMS" | LC_ALL=C sort)
[ "$listed" = "$(grep -v '^SHA256SUMS$' <<<"$files")" ] || fail "SHA256SUMS does not list every other file"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "sha256sum -c SHA256SUMS failed"
pass "sha256sum -c SHA256SUMS"

# The source tarball is the commit's tracked files under one folder, and nothing else.
diff <(tar -tzf "$dist/$name-$version.tar.gz" | grep -v '/$' | LC_ALL=C sort) \
    <(git -C "$root" ls-tree -r --name-only HEAD | sed "s|^|$name-$version/|" | LC_ALL=C sort) \
    >"$work/tarball.diff" || fail "the tarball is not the commit: $(head -5 "$work/tarball.diff" | tr '\n' ' ')"
pass "the source tarball holds exactly the commit's files"

# A tree with uncommitted changes is not released: one line says so.
echo "# changed" >>"$b/README.md"
out=$(cd "$b" && bash scripts/release.sh 2>&1) && fail "a release was made from a changed tree"
[ "$(wc -l <<<"$out")" = 1 ] && [[ $out == *uncommitted* ]] || fail "a changed tree was refused with: $out"
git -C "$b" checkout -q -- README.md
pass "a tree with uncommitted changes is refused"

# The bill of materials names every released file with its hash, and is SPDX 2.3.
python3 - "$dist" "$name-$version.spdx.json" <<'EOF' || fail "the bill of materials does not match the files"
import json, sys, datetime, os
dist, sbom = sys.argv[1:]
doc = json.load(open(os.path.join(dist, sbom)))
assert doc["spdxVersion"] == "SPDX-2.3" and doc["dataLicense"] == "CC0-1.0", "not SPDX 2.3"
epoch = int(os.environ["SOURCE_DATE_EPOCH"])
created = datetime.datetime.fromtimestamp(epoch, datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
assert doc["creationInfo"]["created"] == created, "created is not SOURCE_DATE_EPOCH"
hashes = {p["packageFileName"]: p["checksums"][0]["checksumValue"]
          for p in doc["packages"] if "packageFileName" in p and "downloadLocation" in p
          and p["downloadLocation"] != "NOASSERTION"}
ids = {p["SPDXID"] for p in doc["packages"]}
described = {r["relatedSpdxElement"] for r in doc["relationships"] if r["relationshipType"] == "DESCRIBES"}
for line in open(os.path.join(dist, "SHA256SUMS")):
    digest, file = line.split()
    if file == sbom or file.startswith("winget/"):
        continue
    assert hashes.get(file) == digest, f"{file}: {hashes.get(file)} in the SBOM, {digest} in SHA256SUMS"
for r in doc["relationships"]:
    assert r["spdxElementId"] in ids | {"SPDXRef-DOCUMENT"} and r["relatedSpdxElement"] in ids, r
kinds = {(r["spdxElementId"], r["relationshipType"]) for r in doc["relationships"]}
for needed in ("SPDXRef-conversor-unidades.exe", "SPDXRef-conversor.exe", "SPDXRef-conversor-unidades.wasm"):
    assert (needed, "STATIC_LINK") in kinds, f"{needed} links nothing in"
assert all(p.get("versionInfo") for p in doc["packages"]), "a package without a version"
assert len(described) == len(hashes), "a released file is not described"
EOF
pass "the bill of materials names every file with its SHA-256"

# lintian, as Debian's archive would run it.
lintian --fail-on error,warning --info "$dist/${name}_${version}_amd64.deb" >"$work/lintian.log" 2>"$work/lintian.err" ||
    fail "lintian: $(cat "$work/lintian.log" "$work/lintian.err")"
sed 's/^/release: lintian: /' "$work/lintian.log"
pass "lintian --fail-on error,warning"

# The installer and the package, as users get them.
cmp -s "$dist/$name-$version-x64.msi" "$a/build-release/windows/$name-$version-x64.msi" ||
    fail "the released MSI is not the one built"
bash "$root/tests/windows/msi_roundtrip.sh" "$a/build-release/windows" || fail "the MSI's round trip under Wine"
pass "the MSI installed, upgraded, refused as a downgrade and removed under Wine"
bash "$root/scripts/package_test.sh" "$dist/${name}_${version}_amd64.deb" || fail "the .deb's install test"
pass "the .deb installed, started and purged"

# Signed with a throwaway code-signing certificate, and checked against it and another.
keys=$work/keys
mkdir -p "$keys"
for who in ours other; do
    openssl req -x509 -newkey rsa:3072 -nodes -days 2 -keyout "$keys/$who.key" -out "$keys/$who.pem" \
        -subj "/CN=Conversor de unidades ($who, test)" -addext "keyUsage=critical,digitalSignature" \
        -addext "extendedKeyUsage=codeSigning" 2>/dev/null || fail "openssl could not make a certificate"
done
head -c 24 /dev/urandom | base64 >"$keys/password"
openssl pkcs12 -export -inkey "$keys/ours.key" -in "$keys/ours.pem" -out "$keys/ours.p12" \
    -passout "file:$keys/password" || fail "openssl could not make the PKCS#12 file"
(cd "$b" && TARVEL_SIGN_PKCS12=$keys/ours.p12 TARVEL_SIGN_PASSWORD_FILE=$keys/password \
    bash scripts/release.sh) >"$work/signed.log" 2>&1 || fail "the signed release: $(tail -n 15 "$work/signed.log")"
signed=$work/signed
mkdir -p "$signed/zip" "$signed/msi"
(cd "$signed/zip" && python3 -m zipfile -e "$b/dist/$name-$version-x64.zip" .) || fail "cannot unpack the signed ZIP"
msiextract -C "$signed/msi" "$b/dist/$name-$version-x64.msi" >/dev/null || fail "cannot unpack the signed MSI"
verify() { osslsigncode verify -CAfile "$keys/$1.pem" -in "$2" >"$work/verify.log" 2>&1; }
targets=("$b/dist/$name-$version-x64.msi")
while IFS= read -r exe; do targets+=("$exe"); done < <(find "$signed" -name '*.exe' | LC_ALL=C sort)
[ "${#targets[@]}" = 5 ] || fail "the signed release holds ${#targets[@]} files to check, not 5"
for file in "${targets[@]}"; do
    verify ours "$file" && grep -q "Signature verification: ok" "$work/verify.log" ||
        fail "${file#"$work/"}: not signed by the release's key: $(tail -n 5 "$work/verify.log")"
    verify other "$file" && fail "${file#"$work/"} verifies against a certificate that did not sign it"
done
pass "the MSI and both programs in the ZIP and in the MSI are signed, by that key only"
# Taking the signature off gives back the unsigned program, byte for byte.
osslsigncode remove-signature -in "$signed/zip/$name-$version-x64/conversor.exe" \
    -out "$work/unsigned.exe" >/dev/null || fail "osslsigncode remove-signature failed"
cmp -s "$work/unsigned.exe" "$a/build-release/windows/msi/$name-$version-x64/conversor.exe" ||
    fail "a signed program less its signature is not the unsigned one"
pass "a signed program less its signature is the reproducible one"

echo "release: $count files, identical in two builds, lintian clean, signatures verified ($checks checks)"
