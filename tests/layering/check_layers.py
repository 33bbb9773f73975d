#!/usr/bin/env python3
"""Keeps the layers of src/ looking only down.

Every quoted include of a file under src/<layer>/ must name a header of a
layer that layer may see:

    drawing       itself
    input         itself
    construction  itself, drawing
    interpreter   itself, input, construction, drawing
    driver        everything below it, and the converter's C interface
    main.cpp      the driver

An include outside these is an upward (or sideways) edge and fails the
check, unless it stands in known_upward_includes.txt: the edges still being
taken out, which may only shrink. A listed edge that no longer exists fails
too, so that the list is trimmed as the code is.

Usage: check_layers.py <source root>
"""
import os
import re
import sys

MAY_SEE = {
    "drawing": {"drawing"},
    "input": {"input"},
    "construction": {"construction", "drawing"},
    "interpreter": {"interpreter", "input", "construction", "drawing"},
    "driver": {"driver", "interpreter", "input", "construction", "drawing", "plugin"},
    "main.cpp": {"driver"},
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def edges(src):
    for folder, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".hpp", ".cpp")):
                continue
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, src).replace(os.sep, "/")
            layer = relative.split("/")[0]  # "main.cpp" for the entry point
            if layer not in MAY_SEE:
                yield relative, None, f"src/{relative}: not in any layer"
                continue
            with open(path, encoding="utf-8", errors="replace") as f:
                for line in f:
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    target = m.group(1)
                    if "/" not in target:
                        yield relative, target, f"src/{relative} -> {target}"
                        continue
                    if target.split("/")[0] not in MAY_SEE[layer]:
                        yield relative, target, f"src/{relative} -> {target}"


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    src = sys.argv[1]
    here = os.path.dirname(os.path.abspath(__file__))
    known = set()
    with open(os.path.join(here, "known_upward_includes.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith("#"):
                known.add(line)

    found = sorted({text for _, _, text in edges(src)})
    new = [e for e in found if e not in known]
    gone = sorted(known - set(found))
    for e in new:
        print(f"upward include: {e}")
    for e in gone:
        print(f"no longer there, take it off known_upward_includes.txt: {e}")
    still = len(found) - len(new)
    print(f"layering: {len(new)} new upward includes, {still} known ones left, {len(gone)} listed but gone")
    return 1 if new or gone else 0


if __name__ == "__main__":
    sys.exit(main())
