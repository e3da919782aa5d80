#!/usr/bin/env python3
"""Writes the release's bill of materials, SPDX 2.3 JSON, from the files in dist/ and what
dpkg says of the Debian packages they were built from.

    sbom.py DIST VERSION EPOCH OUT

One package for each release file, with its SHA-256; the programs inside them; and the Debian
packages each one carries or needs, at the exact version installed on the build machine: the
.deb's dependencies, MinGW-w64's C++ runtime and winpthreads linked into the .exe files, and
emscripten's runtime and C libraries compiled into the web app. Nothing in it is random or
taken from the clock: the same files give the same bytes.
"""
import datetime
import hashlib
import io
import json
import re
import subprocess
import sys
import urllib.parse
import zipfile

NAME = "conversor-unidades"
HOMEPAGE = "https://github.com/conversor-unidades/conversor-unidades"
SUPPLIER = "Organization: Los autores de Conversor de unidades"
LICENSE = "MIT"  # LICENSE at the top of the source

# Debian gives licences as prose; these are the SPDX expressions of the parts we take, by
# Debian source package. What is not here is written NOASSERTION rather than guessed.
LICENSES = {
    "qt6-base": "LGPL-3.0-only OR GPL-2.0-only OR GPL-3.0-only",
    "qt6-translations": "LGPL-3.0-only OR GPL-2.0-only OR GPL-3.0-only",
    "glibc": "LGPL-2.1-or-later",
    "gcc-12": "GPL-3.0-or-later WITH GCC-exception-3.1",
    "gcc-mingw-w64": "GPL-3.0-or-later WITH GCC-exception-3.1",
}

# What the Windows programs and the web app link in, by the file that brings it: each names
# the part, the Debian package that holds that file, and the part's licence.
STATIC_PARTS = {
    "exe": [
        ("libstdc++ (MinGW-w64)", "/usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++.a",
         "GPL-3.0-or-later WITH GCC-exception-3.1"),
        ("libgcc (MinGW-w64)", "/usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc.a",
         "GPL-3.0-or-later WITH GCC-exception-3.1"),
        ("winpthreads", "/usr/x86_64-w64-mingw32/lib/libwinpthread.a", "MIT AND BSD-3-Clause"),
        ("mingw-w64 runtime", "/usr/x86_64-w64-mingw32/lib/libmingw32.a", "ZPL-2.1"),
    ],
    "wasm": [
        ("emscripten runtime", "/usr/share/emscripten/src/preamble.js", "MIT OR NCSA"),
        ("musl libc (emscripten)", "/usr/share/emscripten/system/lib/libc/musl", "MIT"),
        ("libc++ (emscripten)", "/usr/share/emscripten/system/lib/libcxx",
         "Apache-2.0 WITH LLVM-exception"),
        ("libc++abi (emscripten)", "/usr/share/emscripten/system/lib/libcxxabi",
         "Apache-2.0 WITH LLVM-exception"),
    ],
}


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout.strip()


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def spdx_id(text):
    return "SPDXRef-" + re.sub(r"[^A-Za-z0-9.-]+", "-", text).strip("-")


def debian_package(name):
    """Version, source and architecture of an installed Debian package."""
    version, source, arch = run("dpkg-query", "-W", "-f=${Version}\t${source:Package}\t${Architecture}",
                                name).split("\t")
    return version, source or name, arch


def owner(path):
    return run("dpkg-query", "-S", path).split(":")[0].split(",")[0].strip()


def debian_entry(name):
    version, source, arch = debian_package(name)
    purl = "pkg:deb/debian/{}@{}?arch={}&distro=debian-12".format(
        name, urllib.parse.quote(version, safe=""), arch)
    return {
        "SPDXID": spdx_id("deb-" + name),
        "name": name,
        "versionInfo": version,
        "supplier": "Organization: Debian",
        "downloadLocation": "NOASSERTION",
        "filesAnalyzed": False,
        "licenseConcluded": "NOASSERTION",
        "licenseDeclared": LICENSES.get(source, "NOASSERTION"),
        "copyrightText": "NOASSERTION",
        "sourceInfo": "Debian source package " + source,
        "externalRefs": [{"referenceCategory": "PACKAGE-MANAGER", "referenceType": "purl",
                          "referenceLocator": purl}],
    }


def main():
    dist, version, epoch, out = sys.argv[1:5]
    created = datetime.datetime.fromtimestamp(int(epoch), datetime.timezone.utc)
    packages, relationships, ids, released = [], [], set(), []

    def add(package):
        if package["SPDXID"] not in ids:
            ids.add(package["SPDXID"])
            packages.append(package)
        return package["SPDXID"]

    def relate(a, kind, b):
        relationships.append({"spdxElementId": a, "relationshipType": kind, "relatedSpdxElement": b})

    def artifact(file_name, purpose, comment, data=None):
        if data is None:
            with open(f"{dist}/{file_name}", "rb") as f:
                data = f.read()
            released.append(spdx_id(file_name))
        return add({
            "SPDXID": spdx_id(file_name),
            "name": file_name,
            "versionInfo": version,
            "packageFileName": file_name,
            "supplier": SUPPLIER,
            "downloadLocation": f"{HOMEPAGE}/releases/download/v{version}/{file_name}"
            if purpose != "FILE" else "NOASSERTION",
            "homepage": HOMEPAGE,
            "filesAnalyzed": False,
            "checksums": [{"algorithm": "SHA256", "checksumValue": sha256(data)}],
            "licenseConcluded": LICENSE,
            "licenseDeclared": LICENSE,
            "copyrightText": "Copyright (c) Los autores de Conversor de unidades",
            "primaryPackagePurpose": purpose if purpose != "FILE" else "APPLICATION",
            "comment": comment,
        })

    def static_parts(kind, program_id):
        for part, path, licence in STATIC_PARTS[kind]:
            deb = owner(path)
            entry = debian_entry(deb)
            entry["SPDXID"] = spdx_id(f"{deb}-{part}")
            entry["name"] = part
            entry["licenseDeclared"] = licence
            entry["comment"] = f"compiled in from {path} of the Debian package {deb}"
            relate(program_id, "STATIC_LINK", add(entry))

    source = artifact(f"{NAME}-{version}.tar.gz", "SOURCE",
                      "the source: the commit's tracked files (git archive)")

    deb_name = f"{NAME}_{version}_amd64.deb"
    deb = artifact(deb_name, "INSTALL", "the Linux window and conversor, for Debian 12 and later")
    relate(deb, "GENERATED_FROM", source)
    depends = run("dpkg-deb", "--field", f"{dist}/{deb_name}", "Depends")
    for clause in depends.split(","):
        name = clause.split("|")[0].strip().split(" ")[0]
        relate(deb, "DEPENDS_ON", add(debian_entry(name)))
    dbgsym_name = f"{NAME}-dbgsym_{version}_amd64.deb"
    try:
        dbgsym = artifact(dbgsym_name, "OTHER", "debugging symbols of the .deb's programs")
        relate(dbgsym, "DEPENDS_ON", deb)
        relate(dbgsym, "GENERATED_FROM", source)
    except FileNotFoundError:
        pass

    windows = f"{NAME}-{version}-x64"
    msi = artifact(f"{windows}.msi", "INSTALL", "the Windows installer (per machine, 64-bit)")
    zip_ = artifact(f"{windows}.zip", "ARCHIVE", "the Windows programs, portable")
    with zipfile.ZipFile(f"{dist}/{windows}.zip") as archive:
        for program in ("conversor-unidades.exe", "conversor.exe"):
            data = archive.read(f"{windows}/{program}")
            exe = artifact(program, "FILE", "64-bit Windows program, C and C++ runtimes linked in",
                           data)
            relate(zip_, "CONTAINS", exe)
            relate(msi, "CONTAINS", exe)
            relate(exe, "GENERATED_FROM", source)
            static_parts("exe", exe)

    web_name = f"{NAME}-{version}-web.zip"
    web = artifact(web_name, "ARCHIVE", "the web app's folder, for any static host")
    relate(web, "GENERATED_FROM", source)
    with zipfile.ZipFile(f"{dist}/{web_name}") as archive:
        module = artifact("conversor-unidades.wasm", "FILE", "the web app's WebAssembly module",
                          archive.read("conversor-unidades.wasm"))
    relate(web, "CONTAINS", module)
    static_parts("wasm", module)

    relationships[:0] = [{"spdxElementId": "SPDXRef-DOCUMENT", "relationshipType": "DESCRIBES",
                          "relatedSpdxElement": p} for p in released]
    digest = sha256("".join(p["checksums"][0]["checksumValue"]
                            for p in packages if "checksums" in p).encode())
    document = {
        "spdxVersion": "SPDX-2.3",
        "dataLicense": "CC0-1.0",
        "SPDXID": "SPDXRef-DOCUMENT",
        "name": f"{NAME}-{version}",
        # Unique to these files, and the same each time they are built.
        "documentNamespace": f"{HOMEPAGE}/releases/{version}/spdx/{digest}",
        "creationInfo": {
            "created": created.strftime("%Y-%m-%dT%H:%M:%SZ"),
            "creators": [SUPPLIER, "Tool: conversor-unidades-sbom-" + version],
        },
        "packages": packages,
        "relationships": relationships,
    }
    with io.open(out, "w", encoding="utf-8", newline="\n") as f:
        json.dump(document, f, ensure_ascii=False, indent=2, sort_keys=True)
        f.write("\n")


if __name__ == "__main__":
    main()
