#!/usr/bin/python3
"""Reads back every DWG a test run wrote and holds it against the DXF of the
same drawing and release.

Usage: dwg_readback.py [--readers DIR] [--allow-empty] FOLDER_OR_FILE...

Every X.dwg (any case of the extension) under the folders must have its twin,
the DXF the program writes of the same plot and release: X.dxf beside it, or
the file named by "dxf" in the sidecar X.dwg.json. A DWG passes when
  - LibreDWG reads it with an error code that has none of the bits 1 (CRC),
    8 (invalid type), 16 (invalid handle) and is below 128 (critical); any
    other nonzero code is printed as a NOTE;
  - libdxfrw reads it without a crash, with BAD_NONE (a BAD_READ_OBJECTS with
    everything else agreeing is printed as a NOTE: libdxfrw says so of AutoCAD's
    own files while returning all their entities);
  - both report the release of the twin's $ACADVER, and, against what ezdxf
    reads from the twin: the same model-space entity counts by type, the same
    layer, linetype and text style names, the same TEXT strings in order, and
    for every entity (in handle order, type by type) the same vertices,
    centres, radii, angles, heights and widths within 1e-9 relative (1e-12
    absolute); layer names per entity too.
The sidecar X.dwg.json may also hold "libredwg_error_allowed": [64] for a
drawing that is expected to show those bits (none of ours should), and
"release": "AC1018" when the twin is of another release than the DWG.
Prints "FAIL <dwg>: <reader>: <problem>" per problem and a last line
"dwg_readback: N drawing(s) checked, M failed"; exits 1 when any failed, or
when no DWG was found (unless --allow-empty), 2 on bad usage.
"""
import json
import math
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

try:
    import ezdxf
except ImportError:  # pragma: no cover
    sys.exit("dwg_readback: ezdxf is not importable; run with /usr/bin/python3 (python3-ezdxf)")

FORBIDDEN_LIBREDWG_BITS = 1 | 8 | 16
CRITICAL_LIBREDWG = 128
CLOSE = {"rel_tol": 1e-9, "abs_tol": 1e-12}
# Names a reader or ezdxf may add on its own: compared only when both have them.
IMPLICIT = {"linetypes": {"byblock", "bylayer"}, "layers": {"defpoints"}, "text_styles": set()}


# ---- ezdxf's reading of the twin, in read_dwg.mjs's shape ----

def xyz(v):
    return [float(v[0]), float(v[1]), float(v[2]) if len(v) > 2 else 0.0]


def xy(v):
    return [float(v[0]), float(v[1])]


def hatch_paths(entity):
    from ezdxf.entities.boundary_paths import EdgePath, PolylinePath
    paths = []
    for path in entity.paths:
        if isinstance(path, PolylinePath):
            paths.append({"polyline": [[v[0], v[1], v[2] if len(v) > 2 else 0.0] for v in path.vertices],
                          "closed": bool(path.is_closed)})
        elif isinstance(path, EdgePath):
            edges = []
            for e in path.edges:
                kind = type(e).__name__
                if kind == "LineEdge":
                    edges.append(["line", *xy(e.start), *xy(e.end)])
                elif kind == "ArcEdge":
                    edges.append(["arc", *xy(e.center), e.radius, math.radians(e.start_angle),
                                  math.radians(e.end_angle), bool(e.ccw)])
                elif kind == "EllipseEdge":
                    edges.append(["ellipse", *xy(e.center), *xy(e.major_axis), e.ratio,
                                  math.radians(e.start_angle), math.radians(e.end_angle), bool(e.ccw)])
                elif kind == "SplineEdge":
                    edges.append(["spline", e.degree, [xy(p) for p in e.control_points]])
                else:
                    edges.append([kind])
            paths.append({"edges": edges})
    return paths


def uncaret(text):
    """A DXF string as the drawing holds it: "^ " is a caret, "^I" the control character I - 64."""
    out, i = [], 0
    while i < len(text):
        if text[i] == "^" and i + 1 < len(text) and (text[i + 1] == " " or "@" <= text[i + 1] <= "_"):
            out.append("^" if text[i + 1] == " " else chr(ord(text[i + 1]) - 64))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def dxf_entity(e):
    kind = e.dxftype()
    out = {"type": kind, "handle": int(e.dxf.handle, 16), "layer": e.dxf.layer,
           "linetype": e.dxf.get("linetype", "BYLAYER")}
    d = e.dxf
    if kind == "LINE":
        out["points"] = [xyz(d.start), xyz(d.end)]
    elif kind == "POINT":
        out["points"] = [xyz(d.location)]
    elif kind in ("CIRCLE", "ARC"):
        out["center"] = xyz(d.center)
        out["radius"] = d.radius
        if kind == "ARC":
            out["angles"] = [math.radians(d.start_angle), math.radians(d.end_angle)]
    elif kind == "ELLIPSE":
        out["center"] = xyz(d.center)
        out["major"] = xyz(d.major_axis)
        out["ratio"] = d.ratio
        out["angles"] = [d.start_param, d.end_param]
    elif kind == "TEXT":
        out["text"] = uncaret(d.text)
        out["style"] = d.style
        out["insert"] = xy(d.insert)
        out["height"] = d.height
        out["rotation"] = math.radians(d.get("rotation", 0.0))
    elif kind == "LWPOLYLINE":
        out["closed"] = bool(e.closed)
        out["constant_width"] = d.get("const_width", 0.0)
        out["vertices"] = [[x, y, b, s, w] for x, y, s, w, b in e.get_points("xyseb")]
    elif kind == "POLYLINE":
        out["closed"] = bool(e.is_closed)
        out["vertices"] = [[v.dxf.location[0], v.dxf.location[1], v.dxf.get("bulge", 0.0),
                            v.dxf.get("start_width", 0.0), v.dxf.get("end_width", 0.0)] for v in e.vertices]
    elif kind == "SOLID":
        out["points"] = [xy(d.get(f"vtx{i}", d.vtx2)) for i in range(4)]
    elif kind == "HATCH":
        out["solid"] = bool(d.solid_fill)
        out["pattern"] = d.pattern_name
        out["paths"] = hatch_paths(e)
        out["seeds"] = [xy(s) for s in (e.seeds or [])]
    return out


def raw_acadver(path):
    with open(path, "rb") as f:
        lines = f.read(20000).decode("latin-1").splitlines()
    at = [i for i, line in enumerate(lines[:-2]) if line.strip() == "$ACADVER"]
    return lines[at[0] + 2].strip() if at else None


def read_twin(path):
    doc = ezdxf.readfile(path)
    entities = sorted((dxf_entity(e) for e in doc.modelspace()), key=lambda e: e["handle"])
    counts = {}
    for e in entities:
        counts[e["type"]] = counts.get(e["type"], 0) + 1
    return {
        "version": raw_acadver(path),
        "layers": [t.dxf.name for t in doc.layers],
        "linetypes": [t.dxf.name for t in doc.linetypes],
        "text_styles": [t.dxf.name for t in doc.styles],
        "counts": counts,
        "texts": [e["text"] for e in entities if e["type"] == "TEXT"],
        "entities": entities,
    }


# ---- Comparison ----

def numbers_differ(got, want, where, problems):
    """Appends the first difference of two nested lists/values to problems."""
    if isinstance(want, list):
        if not isinstance(got, list) or len(got) != len(want):
            problems.append(f"{where}: {short(got)}, expected {short(want)}")
            return True
        return any(numbers_differ(g, w, f"{where}[{i}]", problems) for i, (g, w) in enumerate(zip(got, want)))
    if isinstance(want, dict):
        if not isinstance(got, dict):
            problems.append(f"{where}: {short(got)}, expected {short(want)}")
            return True
        return any(numbers_differ(got.get(k), w, f"{where}.{k}", problems) for k, w in want.items())
    if isinstance(want, bool) or isinstance(want, str) or want is None:
        if got != want:
            problems.append(f"{where}: {got!r}, expected {want!r}")
            return True
        return False
    try:
        if math.isclose(float(got), float(want), **CLOSE):
            return False
    except (TypeError, ValueError):
        pass
    problems.append(f"{where}: {got!r}, expected {want!r}")
    return True


def short(value):
    text = json.dumps(value)
    return text if len(text) < 200 else text[:200] + "..."


def in_order_part(got, want):
    """True when got is a strictly shorter list whose items are found in want, in order."""
    if not isinstance(got, list) or len(got) >= len(want):
        return False
    at = 0
    for item in got:
        while at < len(want) and numbers_differ(item, want[at], "", []):
            at += 1
        if at == len(want):
            return False
        at += 1
    return True


GEOMETRY = ("points", "center", "radius", "angles", "major", "ratio", "text", "style", "insert",
            "height", "rotation", "closed", "constant_width", "vertices", "solid", "pattern", "paths")


def compare_reading(reading, twin, problems, name, notes=None):
    if reading.get("version") != twin["version"]:
        problems.append(f"{name}: release {reading.get('version')!r}, the DXF's {twin['version']!r}")
    if reading.get("counts") != twin["counts"]:
        problems.append(f"{name}: entities {dict(sorted(reading.get('counts', {}).items()))}, "
                        f"the DXF's {dict(sorted(twin['counts'].items()))}")
    for table in ("layers", "text_styles", "linetypes"):
        got = {n.lower() for n in reading.get(table, [])}
        want = {n.lower() for n in twin[table]}
        got, want = got - IMPLICIT[table], want - IMPLICIT[table]
        if got != want:
            problems.append(f"{name}: {table} {sorted(got)}, the DXF's {sorted(want)}")
    if reading.get("texts") != twin["texts"]:
        problems.append(f"{name}: texts {short(reading.get('texts'))}, the DXF's {short(twin['texts'])}")
    by_type = {}
    for e in reading.get("entities", []):
        by_type.setdefault(e["type"], []).append(e)
    differences = []
    gaps = 0
    for kind in sorted(twin["counts"]):
        wanted = [e for e in twin["entities"] if e["type"] == kind]
        for i, (got, want) in enumerate(zip(by_type.get(kind, []), wanted)):
            where = f"{name}: {kind} #{i + 1} (handle {want['handle']:X})"
            if str(got.get("style", "")).lower() == str(want.get("style", "")).lower():
                got = dict(got, style=want.get("style"))  # R13/R14 keep names in capitals
            if got.get("layer", "").lower() != want["layer"].lower():
                differences.append(f"{where}: layer {got.get('layer')!r}, expected {want['layer']!r}")
            if name == "libdxfrw" and kind == "POLYLINE" and in_order_part(got.get("vertices"), want["vertices"]):
                # libdxfrw sets aside a VERTEX met before its POLYLINE (it reads in its own order, not
                # along the block), so a POLYLINE may come back with some or none of its vertices, as
                # from AutoCAD's R13 files; those it returns must still be the right ones, in order.
                gaps += 1
                got = dict(got, vertices=want["vertices"])
            for key in GEOMETRY:
                if key in want:
                    numbers_differ(got.get(key), want[key], f"{where} {key}", differences)
    if gaps and notes is not None:
        notes.append(f"{name}: {gaps} POLYLINE(s) returned without some or all of their vertices "
                     "(libdxfrw's reading order)")
    problems.extend(differences[:10])
    if len(differences) > 10:
        problems.append(f"{name}: ... and {len(differences) - 10} more differences")


def judge(result, twin, sidecar):
    # A 2004 DWG's twin is the 2000 DXF of the same drawing (the DXF writer
    # stops at 2000): its sidecar names the release the DWG must report.
    if "release" in sidecar:
        twin = dict(twin, version=sidecar["release"])
    problems, notes = [], []
    redwg = result.get("libredwg", {})
    if "crashed" in redwg:
        problems.append(f"libredwg: crashed: {redwg['crashed']}")
    else:
        error = redwg.get("error", -1)
        allowed = set(sidecar.get("libredwg_error_allowed", []))
        if error < 0 or error >= CRITICAL_LIBREDWG or error & FORBIDDEN_LIBREDWG_BITS:
            problems.append(f"libredwg: error code {error}")
        elif error and error not in allowed:
            notes.append(f"libredwg: error code {error}")
        if error < CRITICAL_LIBREDWG:
            compare_reading(redwg, twin, problems, "libredwg", notes)
    dxfrw = result.get("libdxfrw", {})
    if twin["version"] == "AC1009" and dxfrw.get("status") == "BAD_VERSION" and "crashed" not in dxfrw:
        notes.append("libdxfrw: reads no R12 (BAD_VERSION); LibreDWG carries it")
    elif "crashed" in dxfrw:
        problems.append(f"libdxfrw: crashed: {dxfrw['crashed']}")
    else:
        before = len(problems)
        compare_reading(dxfrw, twin, problems, "libdxfrw", notes)
        status = dxfrw.get("status")
        if status == "BAD_READ_OBJECTS" and len(problems) == before:
            notes.append("libdxfrw: BAD_READ_OBJECTS, all entities returned")
        elif status != "BAD_NONE":
            problems.append(f"libdxfrw: status {status}")
    return problems, notes


# ---- Files ----

def find_drawings(arguments):
    found = []
    for arg in arguments:
        if os.path.isdir(arg):
            for root, _dirs, names in os.walk(arg):
                found += [os.path.join(root, n) for n in names if n.lower().endswith(".dwg")]
        else:
            found.append(arg)
    return sorted(found)


def twin_of(dwg, sidecar):
    if "dxf" in sidecar:
        return os.path.join(os.path.dirname(dwg), sidecar["dxf"])
    stem = dwg[:-4]
    for ext in (".dxf", ".DXF"):
        if os.path.exists(stem + ext):
            return stem + ext
    return None


def load_sidecar(dwg):
    path = dwg + ".json"
    if not os.path.exists(path):
        return {}
    with open(path, encoding="utf-8") as f:
        return json.load(f)


def read_all(readers, files):
    """Runs read_dwg.mjs once over all files; returns {file: result}."""
    command = ["node", os.path.join(HERE, "read_dwg.mjs"), "--readers", readers, *files]
    run = subprocess.run(command, capture_output=True, text=True, timeout=3600)
    results = {}
    for line in run.stdout.splitlines():
        if line.startswith("{"):
            result = json.loads(line)
            results[result["file"]] = result
    if run.returncode not in (0, 1) or len(results) != len(files):
        tail = (run.stderr or "").strip().splitlines()[-3:]
        print(f"dwg_readback: read_dwg.mjs ended with status {run.returncode}: {' / '.join(tail)}")
    return results


def main(argv):
    readers = os.environ.get("PENLOOM_DWG_READERS", "")
    allow_empty = False
    arguments = []
    i = 1
    while i < len(argv):
        if argv[i] == "--readers" and i + 1 < len(argv):
            readers = argv[i + 1]
            i += 1
        elif argv[i] == "--allow-empty":
            allow_empty = True
        else:
            arguments.append(argv[i])
        i += 1
    if not arguments:
        print(__doc__.split("\n\n")[1])
        return 2
    if not readers:
        readers = os.path.join(HERE, "..", "..", "build", "dwg-readers")
    files = find_drawings(arguments)
    results = read_all(readers, files) if files else {}
    failed = 0
    for dwg in files:
        problems, notes = [], []
        try:
            sidecar = load_sidecar(dwg)
        except (OSError, ValueError) as e:
            sidecar = {}
            problems.append(f"bad sidecar: {e}")
        twin_path = twin_of(dwg, sidecar)
        result = results.get(dwg)
        if result is None:
            problems.append("not read: read_dwg.mjs gave no result")
        elif twin_path is None or not os.path.exists(twin_path):
            problems.append("no DXF twin beside it (X.dxf, or \"dxf\" in X.dwg.json)")
        else:
            try:
                twin = read_twin(twin_path)
            except Exception as e:  # noqa: BLE001 -- a twin that does not load is a finding
                twin = None
                problems.append(f"twin {twin_path} cannot be read by ezdxf: {type(e).__name__}: {e}")
            if twin:
                more, notes = judge(result, twin, sidecar)
                problems += more
        failed += bool(problems)
        for p in problems:
            print(f"FAIL {dwg}: {p}")
        for n in notes:
            print(f"NOTE {dwg}: {n}")
    print(f"dwg_readback: {len(files)} drawing(s) checked, {failed} failed")
    if not files and not allow_empty:
        print("dwg_readback: no DWG found")
        return 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
