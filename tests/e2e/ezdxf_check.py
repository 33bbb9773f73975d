#!/usr/bin/python3
"""Reads back every drawing a test run wrote, with ezdxf, in one process.

Usage: ezdxf_check.py FOLDER

Every file X.dxf under FOLDER (searched recursively) must load with
ezdxf.readfile (not the recovery loader) and pass doc.audit() with no error
and no fix. A missing or empty FOLDER passes.

Sidecar X.expect.json (optional, beside X.dxf): a JSON object whose keys are
all optional; each one present is checked:

  "acadver":        "AC1014"     $ACADVER as written in the file (ezdxf itself
                                 reports R13/R14 files as AC1015 after loading)
  "dxfversion":     "AC1015"     doc.dxfversion as ezdxf reports it
  "entities":       {"LWPOLYLINE": 2, "HATCH": 1}
                                 exact entity counts by type in model space;
                                 types not listed must not occur (VERTEX and
                                 SEQEND are not model-space entities)
  "entities_include": {...}      the same, but other types may occur too
  "layers":         ["0", "PEN1"]  exact set of layer names (no case; the
                                 "Defpoints" layer ezdxf may add is ignored)
  "layers_include": [...]        these layers exist (no case)
  "linetypes", "linetypes_include", "text_styles", "text_styles_include",
  "appids", "appids_include"     the same for LTYPE (ByBlock, ByLayer and
                                 Continuous are ignored by the exact form),
                                 STYLE and APPID
  "layer_colors":   {"PEN1": 1}  colour of each named layer
  "header":         {"$EXTMIN": [0, 0, 0], "$LTSCALE": 1.0, "$DWGCODEPAGE": "ANSI_1252"}
                                 header values as ezdxf holds them after
                                 loading (it renews the date variables, so
                                 leave those out); numbers and points compare
                                 within 1e-9 (relative) unless "tolerance" is
                                 given; strings compare exactly
  "tolerance":      1e-6         absolute tolerance for "header" numbers
  "texts":          ["AB", "äöü"]  the strings of the model-space TEXT
                                 entities, in drawing order, as ezdxf decodes them

Prints one line per failure ("FAIL <file>: <reason>") and a summary line;
exits 1 when anything failed, else 0.
"""
import json
import math
import os
import sys

try:
    import ezdxf
except ImportError:  # pragma: no cover
    print("ezdxf_check: ezdxf is not importable; run with /usr/bin/python3 (python3-ezdxf)")
    sys.exit(1)

# ezdxf adds these itself when it loads older files; exact name lists ignore them.
IMPLICIT = {
    "layers": {"defpoints"},
    "linetypes": {"byblock", "bylayer", "continuous"},
    "text_styles": set(),
    "appids": set(),
}


def raw_acadver(path):
    """$ACADVER as it stands in the file's text."""
    with open(path, "rb") as f:
        lines = f.read(20000).decode("latin-1").splitlines()
    for i, line in enumerate(lines):
        if line.strip() == "$ACADVER" and i + 2 < len(lines):
            return lines[i + 2].strip()
    return None


def close(a, b, tol):
    if tol is not None:
        return abs(a - b) <= tol
    return math.isclose(a, b, rel_tol=1e-9, abs_tol=1e-12)


def compare_value(got, want, tol):
    if isinstance(want, (int, float)) and not isinstance(want, bool):
        try:
            return close(float(got), float(want), tol)
        except (TypeError, ValueError):
            return False
    if isinstance(want, list):
        try:
            got = list(got)
        except TypeError:
            return False
        return len(got) == len(want) and all(compare_value(g, w, tol) for g, w in zip(got, want))
    return str(got) == str(want)


def table_names(doc, kind):
    table = {"layers": doc.layers, "linetypes": doc.linetypes,
             "text_styles": doc.styles, "appids": doc.appids}[kind]
    return {entry.dxf.name.lower() for entry in table}


def check_expectations(path, doc, expect):
    problems = []
    if "acadver" in expect:
        got = raw_acadver(path)
        if got != expect["acadver"]:
            problems.append(f"$ACADVER {got!r}, expected {expect['acadver']!r}")
    if "dxfversion" in expect and doc.dxfversion != expect["dxfversion"]:
        problems.append(f"dxfversion {doc.dxfversion!r}, expected {expect['dxfversion']!r}")

    counts = {}
    for entity in doc.modelspace():
        counts[entity.dxftype()] = counts.get(entity.dxftype(), 0) + 1
    if "entities" in expect:
        want = expect["entities"]
        if counts != want:
            problems.append(f"model space entities {dict(sorted(counts.items()))}, expected {dict(sorted(want.items()))}")
    for kind, count in expect.get("entities_include", {}).items():
        if counts.get(kind, 0) != count:
            problems.append(f"{counts.get(kind, 0)} {kind} in model space, expected {count}")

    for kind in ("layers", "linetypes", "text_styles", "appids"):
        names = table_names(doc, kind)
        if kind in expect:
            want = {n.lower() for n in expect[kind]}
            got = names - (IMPLICIT[kind] - want)
            if got != want:
                problems.append(f"{kind} {sorted(got)}, expected {sorted(want)}")
        missing = [n for n in expect.get(kind + "_include", []) if n.lower() not in names]
        if missing:
            problems.append(f"{kind} missing {missing}")

    for name, color in expect.get("layer_colors", {}).items():
        if name not in doc.layers:
            problems.append(f"layer {name!r} missing")
        elif doc.layers.get(name).dxf.color != color:
            problems.append(f"layer {name!r} colour {doc.layers.get(name).dxf.color}, expected {color}")

    if "texts" in expect:
        got = [e.dxf.text for e in doc.modelspace() if e.dxftype() == "TEXT"]
        if got != expect["texts"]:
            problems.append(f"texts {got!r}, expected {expect['texts']!r}")

    tol = expect.get("tolerance")
    for var, want in expect.get("header", {}).items():
        if var not in doc.header:
            problems.append(f"header {var} missing")
            continue
        got = doc.header[var]
        if not compare_value(got, want, tol):
            problems.append(f"header {var} = {got!r}, expected {want!r}")
    return problems


def check_file(path):
    try:
        doc = ezdxf.readfile(path)
    except Exception as e:  # noqa: BLE001 -- any failure to load is a finding
        return [f"cannot be read: {type(e).__name__}: {e}"]
    problems = []
    auditor = doc.audit()
    for err in auditor.errors:
        problems.append(f"audit error {err.code}: {err.message}")
    for fix in auditor.fixes:
        problems.append(f"audit fix {fix.code}: {fix.message}")
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
    folder = argv[1]
    files = []
    if os.path.isdir(folder):
        for root, _dirs, names in os.walk(folder):
            files += [os.path.join(root, n) for n in names if n.lower().endswith(".dxf")]
    files.sort()
    failed = 0
    for path in files:
        problems = check_file(path)
        if problems:
            failed += 1
            for p in problems:
                print(f"FAIL {os.path.relpath(path, folder)}: {p}")
    print(f"ezdxf_check: {len(files)} drawing(s) checked, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
