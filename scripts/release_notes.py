#!/usr/bin/env python3
"""Prints a version's section of CHANGELOG.md: the notes of its GitHub release.

Usage: release_notes.py VERSION [CHANGELOG]
Exits 1 when the changelog has no section for VERSION, or an empty one, so a release is
never published without its notes.
"""
import re
import sys
from pathlib import Path


def notes(text, version):
    """The lines between `## [VERSION] - DATE` and the next `## ` heading, trimmed; None if
    there is no such section."""
    lines = text.splitlines()
    start = next((i for i, l in enumerate(lines)
                  if re.match(rf"^##\s+\[?{re.escape(version)}\]?(\s|$)", l)), None)
    if start is None:
        return None
    end = next((i for i in range(start + 1, len(lines)) if lines[i].startswith("## ")),
               len(lines))
    body = [l for l in lines[start + 1:end] if not re.match(r"^\[[^\]]+\]:\s", l)]
    return "\n".join(body).strip()


def main(argv):
    if len(argv) not in (1, 2):
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    path = Path(argv[1]) if len(argv) == 2 else Path(__file__).resolve().parents[1] / "CHANGELOG.md"
    body = notes(path.read_text(encoding="utf-8"), argv[0])
    if not body:
        print(f"release_notes: {path.name} has no notes for {argv[0]}", file=sys.stderr)
        return 1
    print(body)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
