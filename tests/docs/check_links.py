#!/usr/bin/env python3
"""Checks the project's Markdown and the version it names.

Rows: each Markdown file (README.md, CHANGELOG.md, docs/*.md) whose relative links all name
an existing file and whose #anchors all name a heading there, by GitHub's slugs; then the
version and date that CMakeLists.txt, CHANGELOG.md, debian/changelog (when present) and the
AppStream record must agree on. Prints each failure, then `docs: N passed, M failed`.

Usage: check_links.py [--root DIR]      check a tree (default: this repository)
       check_links.py --self-test       plant faults in copies and expect each refused
"""
import email.utils
import re
import shutil
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "scripts"))
import release_notes  # noqa: E402  the workflow's own reader of CHANGELOG.md
METAINFO = "resources/io.github.conversor_unidades.conversor_unidades.metainfo.xml.in"

FENCE = re.compile(r"^\s*(```|~~~)")
HEADING = re.compile(r"^(#{1,6})\s+(.*?)\s*#*\s*$")
# [text](target) and ![alt](target); the target ends at a blank or the closing parenthesis.
INLINE_LINK = re.compile(r"!?\[(?:[^\]\[]|\[[^\]]*\])*\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
REFERENCE = re.compile(r"^\s{0,3}\[[^\]]+\]:\s*<?(\S+?)>?(?:\s+.*)?$")
HTML_LINK = re.compile(r"<(?:a|img)\s[^>]*?\b(?:href|src)=\"([^\"]+)\"")
HTML_ID = re.compile(r"<a\s+(?:name|id)=\"([^\"]+)\"")
CODE_SPAN = re.compile(r"(`+)(.+?)\1")


def slug(text):
    """GitHub's anchor for a heading: the rendered text in lower case, punctuation other than
    hyphens and underscores dropped, each space a hyphen."""
    text = CODE_SPAN.sub(lambda m: m.group(2), text)
    text = re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r"\1", text)  # a link's text only
    text = re.sub(r"<[^>]+>", "", text)
    text = re.sub(r"(\*\*|__|\*|_)(\S.*?\S|\S)\1", r"\2", text)
    text = text.strip().lower()
    text = "".join(c for c in text if c.isalnum() or c in " -_")
    return text.replace(" ", "-")


def prose_lines(path, blank_code=True):
    """(line number, text) of every line outside fenced code, its code spans blanked unless
    asked to keep them (a heading's slug keeps their text)."""
    fenced = False
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        if FENCE.match(line):
            fenced = not fenced
            continue
        if not fenced:
            yield number, CODE_SPAN.sub(lambda m: " " * len(m.group(0)), line) if blank_code else line


def anchors(path, cache={}):
    if path not in cache:
        seen = {}
        found = set()
        for _, line in prose_lines(path, blank_code=False):
            found.update(HTML_ID.findall(line))
            m = HEADING.match(line)
            if not m:
                continue
            base = slug(m.group(2))
            count = seen.get(base, 0)
            seen[base] = count + 1
            found.add(base if count == 0 else f"{base}-{count}")
        cache[path] = found
    return cache[path]


def link_errors(root, path):
    errors = []
    for number, line in prose_lines(path):
        targets = INLINE_LINK.findall(line) + HTML_LINK.findall(line)
        m = REFERENCE.match(line)
        if m:
            targets.append(m.group(1))
        for target in targets:
            if re.match(r"^[a-z][a-z0-9+.-]*:", target, re.I) or target.startswith("//"):
                continue  # another site: not checked here, the check needs no network
            file_part, _, anchor = target.partition("#")
            where = (path.parent / file_part).resolve() if file_part else path.resolve()
            if root.resolve() not in [where, *where.parents]:
                errors.append(f"{path.relative_to(root)}:{number}: {target}: outside the repository")
            elif not where.exists():
                errors.append(f"{path.relative_to(root)}:{number}: {target}: no such file")
            elif anchor and where.suffix == ".md" and anchor not in anchors(where):
                errors.append(f"{path.relative_to(root)}:{number}: {target}: no heading "
                              f"#{anchor} in {where.relative_to(root.resolve())}")
    return errors


def markdown_files(root):
    files = [root / "README.md", root / "CHANGELOG.md"]
    files += sorted((root / "docs").glob("*.md"))
    return [f for f in files if f.exists()]


def versions(root):
    """{source: (version, date or None)} for every place the release's version is written."""
    found = {}
    cmake = (root / "CMakeLists.txt").read_text(encoding="utf-8")
    m = re.search(r"project\([^)]*\bVERSION\s+([0-9][0-9.]*)", cmake)
    found["CMakeLists.txt"] = (m.group(1) if m else None, None)

    changelog = root / "CHANGELOG.md"
    entry = (None, None)
    if changelog.exists():
        for _, line in prose_lines(changelog):
            m = re.match(r"^##\s+\[?([0-9][^\]\s]*)\]?\s+-\s+(\d{4}-\d{2}-\d{2})\s*$", line)
            if m:
                entry = (m.group(1), m.group(2))
                break
    found["CHANGELOG.md"] = entry

    debian = root / "debian" / "changelog"
    if debian.exists():
        text = debian.read_text(encoding="utf-8")
        m = re.match(r"^\S+ \(([^)]+)\)", text)
        t = re.search(r"^ -- .+?>  (.+)$", text, re.M)
        date = None
        if t:
            try:
                date = email.utils.parsedate_to_datetime(t.group(1)).date().isoformat()
            except (TypeError, ValueError):
                date = None
        found["debian/changelog"] = (m.group(1) if m else None, date)

    metainfo = root / METAINFO
    if metainfo.exists():
        text = metainfo.read_text(encoding="utf-8")
        # The record is configured by CMake: its version is CMake's unless written out.
        text = text.replace("@PROJECT_VERSION@", found["CMakeLists.txt"][0] or "")
        release = ET.fromstring(text).find("releases/release")  # newest first, as AppStream orders
        found["metainfo <releases>"] = ((release.get("version"), release.get("date"))
                                        if release is not None else (None, None))
    return found


def version_rows(root):
    """(name, error or None) for each place that must agree with CMake's version and the
    changelog's date."""
    found = versions(root)
    cmake_version = found["CMakeLists.txt"][0]
    date = found["CHANGELOG.md"][1]
    rows = [("CMakeLists.txt has a version",
             None if cmake_version else "CMakeLists.txt: no project(... VERSION ...)")]
    for source, (version, when) in found.items():
        if source == "CMakeLists.txt":
            continue
        error = None
        if version != cmake_version:
            error = f"{source}: version {version} but CMakeLists.txt has {cmake_version}"
        elif when != date or when is None:
            error = f"{source}: date {when} but CHANGELOG.md's {version} has {date}"
        rows.append((f"{source} agrees", error))
    changelog = root / "CHANGELOG.md"
    body = release_notes.notes(changelog.read_text(encoding="utf-8"), cmake_version or "") \
        if changelog.exists() else None
    rows.append(("CHANGELOG.md has the release's notes",
                 None if body else f"CHANGELOG.md: no notes under {cmake_version}"))
    return rows


def front_page_rows(root):
    """The README stays a front page: short, and installing every face from its first screen."""
    readme = root / "README.md"
    lines = readme.read_text(encoding="utf-8").splitlines() if readme.exists() else []
    first = "\n".join(lines[:80])
    missing = [what for what, text in [("the .msi", ".msi"), ("winget", "winget install"),
                                       ("the .deb", "apt install ./"),
                                       ("the web app", "github.io"),
                                       ("run.sh", "bash scripts/run.sh"),
                                       ("test.sh", "bash scripts/test.sh")] if text not in first]
    error = None
    if len(lines) > 200:
        error = f"README.md: {len(lines)} lines, more than 200"
    elif missing:
        error = f"README.md: not in the first 80 lines: {', '.join(missing)}"
    return [("README.md is a front page", error)]


def check(root, quiet=False):
    """Runs every row on the tree at root; returns (passed, failed)."""
    root = Path(root)
    passed = failed = 0
    rows = [(str(f.relative_to(root)), link_errors(root, f)) for f in markdown_files(root)]
    rows += [(name, [error] if error else [])
             for name, error in version_rows(root) + front_page_rows(root)]
    for name, errors in rows:
        if errors:
            failed += 1
            if not quiet:
                for error in errors:
                    print(f"FAIL {name}: {error}")
        else:
            passed += 1
    return passed, failed


# Self-test: each row plants one fault in a fresh copy and must be refused.
DEBIAN_CHANGELOG = """conversor-unidades ({version}) unstable; urgency=medium

  * Initial release.

 -- Los autores de Conversor de unidades <conversor-unidades@users.noreply.github.com>  Wed, 09 Dec 2026 12:00:00 +0000
"""


def edit(path, old, new):
    def plant(root):
        f = root / path
        text = f.read_text(encoding="utf-8")
        if old not in text:
            raise SystemExit(f"self-test: {path} no longer holds {old!r}; update the row")
        f.write_text(text.replace(old, new, 1), encoding="utf-8")
    return plant


def empty_notes(root):
    f = root / "CHANGELOG.md"
    text = f.read_text(encoding="utf-8")
    m = re.search(r"^## \[[0-9][^\]]*\] - .*\n", text, re.M)
    rest = text[m.end():]
    f.write_text(text[:m.end()] + "\n" + rest[rest.find("\n[Unreleased]:"):], encoding="utf-8")


SELF_TEST = [
    ("a broken link to a docs file", edit("README.md", "(docs/building.md)", "(docs/bulding.md)")),
    ("an anchor renamed", edit("docs/release.md", "\n## Signing\n", "\n## Signatures\n")),
    ("a link to a heading that is only in another file",
     edit("docs/manual.md", "(#factors-kept-on-purpose)", "(#the-docs-check)")),
    ("the changelog's version out of step", edit("CHANGELOG.md", "## [1.00] - ", "## [1.01] - ")),
    ("the changelog's date out of step", edit("CHANGELOG.md", "] - 2026-12-09", "] - 2026-12-10")),
    ("debian/changelog's version out of step", edit("debian/changelog", "(1.00)", "(1.01)")),
    ("debian/changelog's date out of step", edit("debian/changelog", "Wed, 09 Dec", "Thu, 10 Dec")),
    ("the release's notes empty", empty_notes),
    ("the README past 200 lines", edit("README.md", "\n## Develop\n", "\n" * 200 + "\n## Develop\n")),
    ("the install steps pushed below line 80", edit("README.md", "\n## Install\n", "\n" * 60 + "\n## Install\n")),
    ("the metainfo's date out of step", edit(METAINFO, 'date="2026-12-09"', 'date="2026-12-08"')),
]


def copy_tree(target):
    for f in markdown_files(REPO) + [REPO / "CMakeLists.txt", REPO / METAINFO]:
        dest = target / f.relative_to(REPO)
        dest.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy(f, dest)
    for f in REPO.glob("docs/*.png"):
        shutil.copy(f, target / "docs" / f.name)
    shutil.copy(REPO / "LICENSE", target / "LICENSE")
    (target / "debian").mkdir(exist_ok=True)
    if (REPO / "debian" / "changelog").exists():
        shutil.copy(REPO / "debian" / "changelog", target / "debian" / "changelog")
    else:
        version = versions(REPO)["CMakeLists.txt"][0]
        (target / "debian" / "changelog").write_text(DEBIAN_CHANGELOG.format(version=version))


def self_test():
    passed = failed = 0
    with tempfile.TemporaryDirectory() as tmp:
        clean = Path(tmp) / "clean"
        copy_tree(clean)
        ok, bad = check(clean)
        if bad == 0 and ok > 0:
            passed += 1
        else:
            failed += 1
            print(f"FAIL the unchanged copy: {bad} rows refused")
        for i, (name, plant) in enumerate(SELF_TEST):
            root = Path(tmp) / str(i)
            copy_tree(root)
            plant(root)
            _, bad = check(root, quiet=True)
            if bad:
                passed += 1
            else:
                failed += 1
                print(f"FAIL planted {name}: not refused")
    return passed, failed


def main(argv):
    root = REPO
    if argv[:1] == ["--self-test"]:
        passed, failed = self_test()
        print(f"docs self-test: {passed} passed, {failed} failed")
    else:
        if argv[:1] == ["--root"] and len(argv) == 2:
            root = Path(argv[1])
        elif argv:
            print(__doc__.strip().splitlines()[-2], file=sys.stderr)
            return 2
        passed, failed = check(root)
        print(f"docs: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
