#!/usr/bin/env python3
"""Checks a winget manifest set against winget's JSON schemas and the MSI it names.

Rows: each manifest file against the schema of its ManifestType; one set (one version, one
installer, one default locale, identifier and version alike in every file); the installer's
SHA-256, ProductCode and UpgradeCode against the MSI beside it, and its URL naming that MSI.
Prints each failure, then `winget: N passed, M failed`.

Usage: check_winget.py WINGET_DIR MSI [--schemas DIR]
       check_winget.py --self-test MSI [--schemas DIR]
The schemas default to winget's own, kept beside this script (winget-schemas/1.12.0/).
"""
import importlib.util
import re
import shutil
import sys
import tempfile
from pathlib import Path

import jsonschema
import yaml

REPO = Path(__file__).resolve().parents[2]
SCHEMAS = Path(__file__).resolve().parent / "winget-schemas" / "1.12.0"
SCHEMA_FILE = {"version": "version", "installer": "installer",
               "defaultLocale": "defaultLocale", "locale": "locale"}

loader_spec = importlib.util.spec_from_file_location("winget_manifests",
                                                     REPO / "scripts" / "winget_manifests.py")
writer = importlib.util.module_from_spec(loader_spec)
loader_spec.loader.exec_module(writer)


def load(path):
    # BaseLoader keeps every scalar a string, as winget reads "1.00": never the number 1.0.
    with open(path, encoding="utf-8") as f:
        return yaml.load(f, Loader=yaml.BaseLoader)


def rows(folder, msi, schemas):
    """(name, [errors]) for every check of the set in folder against msi."""
    folder, msi = Path(folder), Path(msi)
    result = []
    docs = {}
    for path in sorted(folder.glob("*.yaml")):
        errors = []
        try:
            doc = load(path)
            kind = doc.get("ManifestType") if isinstance(doc, dict) else None
            if kind not in SCHEMA_FILE:
                errors.append(f"ManifestType {kind!r} is none of {sorted(SCHEMA_FILE)}")
            else:
                schema = yaml.safe_load((schemas / f"manifest.{SCHEMA_FILE[kind]}.1.12.0.json")
                                        .read_text(encoding="utf-8"))
                validator = jsonschema.Draft7Validator(schema)
                for error in sorted(validator.iter_errors(doc), key=str):
                    where = "/".join(str(p) for p in error.absolute_path) or "(top)"
                    errors.append(f"{where}: {error.message}")
                docs[path.name] = doc
        except yaml.YAMLError as error:
            errors.append(f"not YAML: {error}")
        result.append((path.name, errors))

    kinds = {}
    for name, doc in docs.items():
        kinds.setdefault(doc["ManifestType"], []).append(name)
    errors = []
    for kind in ("version", "installer", "defaultLocale"):
        if len(kinds.get(kind, [])) != 1:
            errors.append(f"{len(kinds.get(kind, []))} {kind} manifests, not one")
    for key in ("PackageIdentifier", "PackageVersion"):
        values = {doc.get(key) for doc in docs.values()}
        if len(values) != 1 or None in values:
            errors.append(f"{key} differs or is missing: {sorted(map(str, values))}")
    version = next((docs[n] for n in kinds.get("version", [])), {})
    default = next((docs[n] for n in kinds.get("defaultLocale", [])), {})
    if version.get("DefaultLocale") != default.get("PackageLocale"):
        errors.append(f"DefaultLocale {version.get('DefaultLocale')} but the default locale "
                      f"manifest is {default.get('PackageLocale')}")
    result.append(("one set", errors))

    installer = next((docs[n] for n in kinds.get("installer", [])), {})
    entries = installer.get("Installers") or [{}]
    props = writer.msi_properties(msi)
    want = {"InstallerSha256": writer.sha256(msi), "ProductCode": props["ProductCode"]}
    for key, value in want.items():
        errors = []
        # Each installer's own value, else the manifest's; the manifest's is checked too,
        # since winget falls back on it for an installer that lacks one.
        found = [entry.get(key, installer.get(key)) for entry in entries]
        if key in installer:
            found.append(installer[key])
        if key == "ProductCode":
            found += [e.get("ProductCode") for e in installer.get("AppsAndFeaturesEntries", [])]
        for got in found:
            if str(got).upper() != value.upper():
                errors.append(f"{key} {got} but {msi.name} has {value}")
        result.append((f"{key} is the MSI's", errors))
    errors = []
    for entry in installer.get("AppsAndFeaturesEntries") or [{}]:
        if entry.get("UpgradeCode", "").upper() != props["UpgradeCode"].upper():
            errors.append(f"UpgradeCode {entry.get('UpgradeCode')} but {msi.name} has "
                          f"{props['UpgradeCode']}")
    for entry in entries:
        if not str(entry.get("InstallerUrl", "")).endswith("/" + msi.name):
            errors.append(f"InstallerUrl {entry.get('InstallerUrl')} does not name {msi.name}")
    if installer.get("PackageVersion") != props["ProductVersion"]:
        errors.append(f"PackageVersion {installer.get('PackageVersion')} but {msi.name} is "
                      f"{props['ProductVersion']}")
    result.append(("UpgradeCode, URL and version are the MSI's", errors))
    return result


def check(folder, msi, schemas, quiet=False):
    passed = failed = 0
    for name, errors in rows(folder, msi, schemas):
        if errors:
            failed += 1
            if not quiet:
                for error in errors:
                    print(f"FAIL {name}: {error}")
        else:
            passed += 1
    return passed, failed


# Self-test: each row plants one fault in a fresh set written from the MSI; every one must be
# refused. (file suffix, text in it, replacement)
INSTALLER = ".installer.yaml"
VERSION = f"{writer.IDENTIFIER}.yaml"


def wrong_sha(text):
    # One hex digit changed: still a well-formed SHA-256, so only the MSI can refuse it.
    key = "InstallerSha256: \""
    i = text.index(key) + len(key)
    return text[:i] + ("0" if text[i] != "0" else "1") + text[i + 1:]


SELF_TEST = [
    ("a wrong SHA-256", INSTALLER, wrong_sha),
    ("a manifest missing PackageVersion", VERSION,
     lambda t: "".join(l for l in t.splitlines(True) if not l.startswith("PackageVersion:"))),
    ("another ProductCode", INSTALLER,
     lambda t: re.sub(r'ProductCode: "\{[^}]*\}"',
                      'ProductCode: "{00000000-0000-0000-0000-000000000001}"', t, count=1)),
    ("another UpgradeCode", INSTALLER, lambda t: t.replace("UpgradeCode: \"{B", "UpgradeCode: \"{C")),
    ("an installer type winget lacks", INSTALLER,
     lambda t: t.replace("InstallerType: \"msi\"", "InstallerType: \"setup\"")),
    ("a version file with another version", VERSION,
     lambda t: t.replace("PackageVersion: \"", "PackageVersion: \"9", 1)),
    ("a locale without its Publisher", f"{writer.IDENTIFIER}.locale.es-ES.yaml",
     lambda t: "".join(l for l in t.splitlines(True) if not l.startswith("Publisher:"))),
]


def write_set(msi, folder):
    folder.mkdir(parents=True)
    for name, text in writer.manifests(msi).items():
        (folder / name).write_text(text, encoding="utf-8", newline="\n")


def self_test(msi, schemas):
    passed = failed = 0
    with tempfile.TemporaryDirectory() as tmp:
        tmp = Path(tmp)
        # Beside a copy of the MSI, as in dist/.
        shutil.copy(msi, tmp / Path(msi).name)
        msi = tmp / Path(msi).name
        write_set(msi, tmp / "clean")
        write_set(msi, tmp / "again")
        same = all((tmp / "clean" / f.name).read_bytes() == f.read_bytes()
                   for f in (tmp / "again").iterdir())
        ok, bad = check(tmp / "clean", msi, schemas)
        for name, good in [("the written set validates", bad == 0 and ok > 0),
                           ("writing it twice gives the same bytes", same)]:
            passed += good
            failed += not good
            if not good:
                print(f"FAIL {name}")
        for i, (name, suffix, plant) in enumerate(SELF_TEST):
            folder = tmp / str(i)
            write_set(msi, folder)
            target = next(f for f in folder.iterdir() if f.name.endswith(suffix))
            before = target.read_text(encoding="utf-8")
            after = plant(before)
            if after == before:
                raise SystemExit(f"self-test: planting {name} changed nothing; update the row")
            target.write_text(after, encoding="utf-8")
            _, bad = check(folder, msi, schemas, quiet=True)
            if bad:
                passed += 1
            else:
                failed += 1
                print(f"FAIL planted {name}: not refused")
    return passed, failed


def main(argv):
    schemas = SCHEMAS
    if "--schemas" in argv:
        i = argv.index("--schemas")
        schemas = Path(argv[i + 1])
        argv = argv[:i] + argv[i + 2:]
    if not schemas.is_dir():
        print(f"check_winget: no schemas in {schemas}", file=sys.stderr)
        return 2
    if len(argv) == 2 and argv[0] == "--self-test":
        passed, failed = self_test(Path(argv[1]), schemas)
        print(f"winget self-test: {passed} passed, {failed} failed")
    elif len(argv) == 2:
        passed, failed = check(Path(argv[0]), Path(argv[1]), schemas)
        print(f"winget: {passed} passed, {failed} failed")
    else:
        print("\n".join(__doc__.strip().splitlines()[7:9]), file=sys.stderr)
        return 2
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
