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
check. An include without a folder fails too: every header is named from
src/ so that its layer shows.

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
    found = sorted({text for _, _, text in edges(src)})
    for e in found:
        print(f"upward include: {e}")
    print(f"layering: {len(found)} upward includes")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
