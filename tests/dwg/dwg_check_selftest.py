#!/usr/bin/python3
"""Proves the DWG structure checker both ways: it accepts every R13, R14 and
2000 file AutoCAD wrote in the reference folder, and it rejects copies of
them with one byte changed in each part of the structure it guards.

Usage: dwg_check_selftest.py REFERENCE_FOLDER   (e.g. ../shared/dwg-reference)
"""
import os
import struct
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import dwg_check  # noqa: E402


def places(data):
    """(what, offset) of one byte in each guarded part of an R13-2000 file."""
    count = struct.unpack_from("<I", data, 0x15)[0]
    records = {n: (a, s) for n, a, s in (struct.unpack_from("<BII", data, 0x19 + 9 * i) for i in range(count))}
    header, classes, object_map = records[0], records[1], records[2]
    entries = dwg_check.read_object_map(data, *object_map, dwg_check.Report())
    middle_object = entries[len(entries) // 2][1]
    second = data.find(dwg_check.SENTINELS["second header start"])
    return [
        ("magic", 3),
        ("locator record", 0x19 + 9 + 2),
        ("file header sentinel", 0x19 + 9 * count + 5),
        ("header variables data", header[0] + 40),
        ("header variables end sentinel", header[0] + header[1] - 3),
        ("classes data", classes[0] + 30),
        ("object map pair", object_map[0] + 5),
        ("object map CRC", object_map[0] + object_map[1] - 5),
        ("object size", middle_object),
        ("object data", middle_object + 6),
        ("second header data", second + 30),
        ("second header end sentinel", second + 16 + struct.unpack_from("<I", data, second + 16)[0] + 4),
    ]


def main(argv):
    if len(argv) != 2:
        print("usage: dwg_check_selftest.py REFERENCE_FOLDER")
        return 2
    if not os.path.isdir(argv[1]):
        print(f"dwg_check_selftest: no reference folder {argv[1]}; skipped")
        return 77
    files = sorted(os.path.join(root, n) for root, _d, names in os.walk(argv[1])
                   for n in names if n.endswith(".dwg"))
    files = [f for f in files if open(f, "rb").read(6) in (b"AC1012", b"AC1014", b"AC1015")]
    failed = 0
    with tempfile.TemporaryDirectory() as scratch:
        for path in files:
            report = dwg_check.check_file(path)
            if report.problems:
                failed += 1
                print(f"FAIL {path}: rejected: {report.problems[0]}")
                continue
            data = open(path, "rb").read()
            for what, at in places(data):
                broken = bytearray(data)
                broken[at] ^= 0x5A
                copy = os.path.join(scratch, "broken.dwg")
                with open(copy, "wb") as f:
                    f.write(broken)
                if not dwg_check.check_file(copy).problems:
                    failed += 1
                    print(f"FAIL {path}: a changed byte in the {what} (offset {at}) went unnoticed")
    print(f"dwg_check_selftest: {len(files)} reference file(s), {failed} failed")
    return 1 if failed or not files else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
