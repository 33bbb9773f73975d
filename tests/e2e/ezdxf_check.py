#!/usr/bin/python3
"""Reads back every drawing a test run wrote, with ezdxf, in one process.

Usage: ezdxf_check.py FOLDER. Every X.dxf under FOLDER must load with ezdxf.readfile (not the
recovery loader) and pass doc.audit() with no error and no fix; no drawing at all passes. An
optional sidecar X.expect.json holds a JSON object; each key present is checked:
  "acadver": "AC1014"       $ACADVER as written (ezdxf reports R13/R14 as AC1015 once loaded)
  "dxfversion": "AC1015"    doc.dxfversion as ezdxf reports it
  "entities": {"HATCH": 1}  exact model-space counts by type (VERTEX/SEQEND are not counted)
  "entities_include": {..}  the same, other types allowed
  "layers": ["0", "PEN1"]   exact set of names, no case ("Defpoints" ignored); "linetypes"
                            (ByBlock, ByLayer, Continuous ignored), "text_styles", "appids"
                            the same; each has an "_include" form: these names exist
  "layer_colors": {"PEN1": 1}  colour of each named layer
  "header": {"$EXTMIN": [0, 0, 0], "$DWGCODEPAGE": "ANSI_1252"}  values as ezdxf holds them
                            (it renews the dates): numbers within 1e-9 relative, or the
                            absolute "tolerance" when given; strings exactly
  "texts": ["AB", "äöü"]    model-space TEXT strings in drawing order
Prints "FAIL <file>: <reason>" per failure and a summary; exits 1 when anything failed.
"""
import json
from collections import Counter
import math
import os
import sys

try:
    import ezdxf
except ImportError:  # pragma: no cover
    sys.exit("ezdxf_check: ezdxf is not importable; run with /usr/bin/python3 (python3-ezdxf)")

# Names ezdxf adds itself when it loads older files; the exact lists ignore them.
IMPLICIT = {"layers": {"defpoints"}, "linetypes": {"byblock", "bylayer", "continuous"}}


def raw_acadver(path):
    with open(path, "rb") as f:
        lines = f.read(20000).decode("latin-1").splitlines()
    at = [i for i, line in enumerate(lines[:-2]) if line.strip() == "$ACADVER"]
    return lines[at[0] + 2].strip() if at else None


def same(got, want, close):
    try:
        if isinstance(want, list):
            return len(list(got)) == len(want) and all(same(g, w, close) for g, w in zip(got, want))
        if isinstance(want, (int, float)) and not isinstance(want, bool):
            return math.isclose(float(got), want, **close)
    except (TypeError, ValueError):
        return False
    return str(got) == str(want)


def check_expectations(path, doc, expect):
    problems = []
    for key, got in (("acadver", raw_acadver(path) if "acadver" in expect else None),
                     ("dxfversion", doc.dxfversion)):
        if key in expect and got != expect[key]:
            problems.append(f"{key} {got!r}, expected {expect[key]!r}")
    counts = dict(Counter(entity.dxftype() for entity in doc.modelspace()))
    if "entities" in expect and counts != expect["entities"]:
        want = dict(sorted(expect["entities"].items()))
        problems.append(f"entities {dict(sorted(counts.items()))}, expected {want}")
    for kind, count in expect.get("entities_include", {}).items():
        if counts.get(kind, 0) != count:
            problems.append(f"{counts.get(kind, 0)} {kind} in model space, expected {count}")
    tables = {"layers": doc.layers, "linetypes": doc.linetypes, "text_styles": doc.styles,
              "appids": doc.appids}
    for kind, table in tables.items():
        names = {entry.dxf.name.lower() for entry in table}
        if kind in expect:
            want = {n.lower() for n in expect[kind]}
            got = names - (IMPLICIT.get(kind, set()) - want)
            if got != want:
                problems.append(f"{kind} {sorted(got)}, expected {sorted(want)}")
        missing = [n for n in expect.get(kind + "_include", []) if n.lower() not in names]
        if missing:
            problems.append(f"{kind} missing {missing}")
    for name, color in expect.get("layer_colors", {}).items():
        got = doc.layers.get(name).dxf.color if name in doc.layers else "missing"
        if got != color:
            problems.append(f"layer {name!r} colour {got}, expected {color}")
    texts = [e.dxf.text for e in doc.modelspace() if e.dxftype() == "TEXT"]
    if "texts" in expect and texts != expect["texts"]:
        problems.append(f"texts {texts!r}, expected {expect['texts']!r}")
    tol = expect.get("tolerance")
    close = {"rel_tol": 1e-9, "abs_tol": 1e-12} if tol is None else {"rel_tol": 0, "abs_tol": tol}
    for var, want in expect.get("header", {}).items():
        got = doc.header.get(var, "missing")
        if not same(got, want, close):
            problems.append(f"header {var} = {got!r}, expected {want!r}")
    return problems


def check_file(path):
    try:
        doc = ezdxf.readfile(path)
    except Exception as e:  # noqa: BLE001 -- any failure to load is a finding
        return [f"cannot be read: {type(e).__name__}: {e}"]
    auditor = doc.audit()
    problems = [f"audit error {e.code}: {e.message}" for e in auditor.errors]
    problems += [f"audit fix {f.code}: {f.message}" for f in auditor.fixes]
    sidecar = path[:-4] + ".expect.json"
    if os.path.exists(sidecar):
        try:
            with open(sidecar, encoding="utf-8") as f:
                expect = json.load(f)
        except (OSError, ValueError) as e:
            return problems + [f"bad expectation file: {e}"]
        problems += check_expectations(path, doc, expect)
    return problems


def main(argv):
    if len(argv) != 2:
        print("usage: ezdxf_check.py FOLDER")
        return 2
    files = sorted(os.path.join(root, n) for root, _dirs, names in os.walk(argv[1])
                   for n in names if n.lower().endswith(".dxf"))
    failed = 0
    for path in files:
        problems = check_file(path)
        failed += bool(problems)
        for p in problems:
            print(f"FAIL {os.path.relpath(path, argv[1])}: {p}")
    print(f"ezdxf_check: {len(files)} drawing(s) checked, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
