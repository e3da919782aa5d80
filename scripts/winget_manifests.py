#!/usr/bin/env python3
"""Writes the winget manifest set (schema 1.12.0) for a built MSI.

Usage: winget_manifests.py MSI OUTDIR

The version, the ProductCode, the UpgradeCode, the publisher and the SHA-256 are read from the
MSI itself (msiinfo, from msitools), the licence and copyright from LICENSE, so the manifests
can only name the installer they sit beside. The files hold no date and nothing that varies
from one run to the next: the same MSI always gives the same bytes. Only the standard library
is used, so the release needs nothing more than msitools to write them.
"""
import hashlib
import json
import subprocess
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
IDENTIFIER = "ConversorUnidades.ConversorDeUnidades"
MANIFEST_VERSION = "1.12.0"
TAGS = ["calefaccion", "climatizacion", "conversor", "hvac", "ingenieria", "unidades"]

DESCRIPTIONS = {
    "es-ES": (
        "Conversor de unidades para ingenieros de climatización, calefacción y ventilación.",
        "Un pequeño conversor de unidades para ingenieros de climatización, calefacción y "
        "ventilación. Elija una de catorce magnitudes, desde la longitud, la presión y la "
        "temperatura hasta el calor específico, el coeficiente de transmisión de calor y el "
        "caudal, elija una unidad para cada una de las dos casillas y escriba en cualquiera de "
        "ellas: la otra muestra al instante la misma cantidad en su unidad. Incluye la orden "
        "conversor para la línea de órdenes.",
    ),
    "en-US": (
        "Unit converter for heating, ventilation and air-conditioning engineers, in Spanish.",
        "A small unit converter for heating, ventilation and air-conditioning engineers, with a "
        "Spanish user interface. Pick one of fourteen quantities, from length, pressure and "
        "temperature to specific heat, heat-transfer coefficient and flow, pick a unit for each "
        "of the two value boxes and type into either one: the other box shows the same quantity "
        "in its own unit at once. Includes the command conversor for the command line.",
    ),
}


def msi_properties(msi):
    """The MSI's Property table as a dict (msiinfo writes it tab-separated, CRLF)."""
    out = subprocess.run(["msiinfo", "export", str(msi), "Property"], check=True,
                         capture_output=True, text=True).stdout
    props = {}
    for line in out.replace("\r\n", "\n").split("\n")[3:]:  # names, types, table name
        if "\t" in line:
            name, value = line.split("\t", 1)
            props[name] = value
    return props


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest().upper()


def scalar(value):
    # A JSON string is a YAML double-quoted scalar, so nothing is read back as a number or a
    # date ("1.00" stays a string).
    return json.dumps(value, ensure_ascii=False)


def emit(value, indent=0):
    """A small, fixed YAML emitter: mappings in the order given, lists of scalars or mappings."""
    pad = " " * indent
    lines = []
    for key, item in value.items():
        if isinstance(item, dict):
            lines.append(f"{pad}{key}:")
            lines += emit(item, indent + 2)
        elif isinstance(item, list):
            lines.append(f"{pad}{key}:")
            for element in item:
                if isinstance(element, dict):
                    inner = emit(element, indent + 4)
                    lines.append(f"{pad}  - {inner[0].lstrip()}")
                    lines += inner[1:]
                else:
                    lines.append(f"{pad}  - {scalar(element)}")
        else:
            lines.append(f"{pad}{key}: {scalar(item)}")
    return lines


def document(kind, body):
    schema = f"https://aka.ms/winget-manifest.{kind.lower()}.{MANIFEST_VERSION}.schema.json"
    return "\n".join([f"# yaml-language-server: $schema={schema}", ""]
                     + emit({**body, "ManifestType": kind, "ManifestVersion": MANIFEST_VERSION})
                     + [""])


def manifests(msi):
    """{file name: text} of the whole set for the MSI."""
    props = msi_properties(msi)
    version = props["ProductVersion"]
    publisher = props["Manufacturer"]
    name = props["ProductName"]
    # The project's address as the installer gives it to Apps and features.
    homepage = props["ARPURLINFOABOUT"]
    licence = (REPO / "LICENSE").read_text(encoding="utf-8").splitlines()
    license_name = licence[0].removesuffix(" License").strip()
    copyright_line = next(l for l in licence if l.startswith("Copyright")).strip()
    head = {"PackageIdentifier": IDENTIFIER, "PackageVersion": version}
    release = f"{homepage}/releases/tag/v{version}"

    files = {
        f"{IDENTIFIER}.yaml": document("version", {**head, "DefaultLocale": "es-ES"}),
        f"{IDENTIFIER}.installer.yaml": document("installer", {
            **head,
            "InstallerLocale": "es-ES",
            "InstallerType": "msi",
            "Scope": "machine",
            "UpgradeBehavior": "install",
            "ElevationRequirement": "elevatesSelf",
            "ProductCode": props["ProductCode"],
            "AppsAndFeaturesEntries": [{
                "DisplayName": name,
                "Publisher": publisher,
                "DisplayVersion": version,
                "ProductCode": props["ProductCode"],
                "UpgradeCode": props["UpgradeCode"],
            }],
            "Installers": [{
                "Architecture": "x64",
                "InstallerUrl": f"{homepage}/releases/download/v{version}/{Path(msi).name}",
                "InstallerSha256": sha256(msi),
                "ProductCode": props["ProductCode"],
            }],
        }),
    }
    for locale, (short, description) in DESCRIPTIONS.items():
        kind = "defaultLocale" if locale == "es-ES" else "locale"
        files[f"{IDENTIFIER}.locale.{locale}.yaml"] = document(kind, {
            **head,
            "PackageLocale": locale,
            "Publisher": publisher,
            "PublisherUrl": homepage,
            "PublisherSupportUrl": f"{homepage}/issues",
            "Author": publisher,
            "PackageName": name,
            "PackageUrl": homepage,
            "License": license_name,
            "LicenseUrl": f"{homepage}/blob/v{version}/LICENSE",
            "Copyright": copyright_line,
            "ShortDescription": short,
            "Description": description,
            **({"Moniker": "conversor"} if kind == "defaultLocale" else {}),
            "Tags": TAGS,
            "ReleaseNotesUrl": release,
        })
    return files


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    msi, outdir = Path(argv[0]), Path(argv[1])
    outdir.mkdir(parents=True, exist_ok=True)
    for name, text in sorted(manifests(msi).items()):
        (outdir / name).write_text(text, encoding="utf-8", newline="\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
