#!/usr/bin/python3
"""Structure checker for release 12 DWG files (AC1009), the layout before R13:
a file header with the addresses of the three entity sections and of ten
tables, the header variables, then the sections themselves, each between its
two 16-byte sentinels, and a closing copy of the addresses.

Usage: dwg_check_r12.py [--dump | --selftest] FILE.dwg...   (or, from dwg_check.py:
check_r12(data, version, report) with a report that has fail/expect/facts)

It verifies:
  file header      the magic; the entities, blocks and extras addresses and
                   sizes (blocks flagged 0x40000000, extras 0x80000000); the
                   five table descriptors after them and the five inside the
                   header variables (UCS 0x3EF, VPORT 0x500, APPID 0x512,
                   DIMSTYLE 0x522, VX 0x69F): record size, count, address
  header CRC       seed 0xC0C1 over every byte from the start of the file to
                   the CRC, which lies just before the entities sentinel
  sections         in file order (entities, the ten tables, block entities,
                   extras, the closing header), each framed by its begin and
                   end sentinel, each begin sentinel right after the end
                   sentinel before it, the last one ending the file
  table records    each record's CRC (seed 0xC0C1 over the record before it);
                   names are NUL-padded; layer colours and linetype indexes in
                   range; the BLOCK records' offsets land on BLOCK entities
  entities         every entity of the three sections: its size inside the
                   section, its CRC (seed 0xC0C1 over the entity before it),
                   its layer, linetype and text style indexes inside their
                   tables; the kinds this program writes (TEXT, CIRCLE, ARC,
                   POLYLINE, VERTEX, SEQEND, BLOCK, ENDBLK) parsed field by
                   field to exactly their size; handles, when the file has
                   them, unique and below the handle seed;
                   POLYLINEs with vertices end with a SEQEND that points back
                   at them; BLOCK ... ENDBLK balanced in the blocks section
  closing header   its copy of the section addresses and of the ten table
                   descriptors equals the file header's, its own address, its
                   size and its CRC (seed 0xC0C1 after the begin sentinel)
--selftest proves that on the files given: each passes, and a copy with one
byte changed in each guarded part (up to 15 places a file) fails.
"""
import struct
import sys

SENTINELS = {
    "entities begin": "C46E6854F86E3330633EC1852ADC9401",
    "entities end": "3B9197AB0791CCCF9CC13E7AD5236BFE",
    "BLOCK begin": "DBEFB3F0C73E6DA6C9B6245C4C6F32CB",
    "BLOCK end": "24104C0F38C192593649DBA3B390CD34",
    "LAYER begin": "0EC4646FBB1DD38B0049C2EF18EA6FFB",
    "LAYER end": "F13B9B9044E22C74FFB63D10E7159004",
    "STYLE begin": "E23EC182439F617750ABC76696000618",
    "STYLE end": "1DC13E7DBC609E88AF54389969FFF9E7",
    "LTYPE begin": "AC901ACA1CBD951516164C14CE1888AF",
    "LTYPE end": "536FE535E3426AEAE9E9B3EB31E77750",
    "VIEW begin": "C13CAA5668F4B41E4B74F408424DBFA5",
    "VIEW end": "3EC355A9970B4BE1B48B0BF7BDB2405A",
    "UCS begin": "604AFA3D8490CC5BEFE7D6A57F1E61CD",
    "UCS end": "9FB505C27B6F33A41018295A80E19E32",
    "VPORT begin": "F6ED44612ADCE47B4EB92BBB6660638D",
    "VPORT end": "0912BB9ED5231B84B146D444999F9C72",
    "APPID begin": "E125C25036686C0C3BD35D56C1791C3A",
    "APPID end": "1EDA3DAFC99793F3C42CA2A93E86E3C5",
    "DIMSTYLE begin": "B4183E42C99FFFE5B6E2CBB375C3C3B0",
    "DIMSTYLE end": "4BE7C1BD3660001A491D344C8A3C3C4F",
    "VX begin": "E0CA367CCEE7586F2B7D745505F1447F",
    "VX end": "1F35C9833118A790D4828BAAFA0EBB80",
    "block entities begin": "722B7DEC3E8C886C7A720AFDC86C8426",
    "block entities end": "8DD48213C1737793858DF50237937BD9",
    "extras begin": "D5F9D3BB0AA969A6CD1C87C7EE804B17",
    "extras end": "2A062C44F556965932E37838117FB4E8",
    "closing header begin": "298DD149A9731FEA99DE32F94D0AE019",
    "closing header end": "D6722EB6568CE0156621CD06B2F51FE6",
}
SENTINELS = {k: bytes.fromhex(v) for k, v in SENTINELS.items()}

# The ten tables in file order: name, where the descriptor lies, the number
# the closing header gives it, the record size AutoCAD uses.
TABLES = [
    ("BLOCK", 0x2C, 1), ("LAYER", 0x36, 2), ("STYLE", 0x40, 3), ("LTYPE", 0x4A, 5),
    ("VIEW", 0x54, 6), ("UCS", 0x3EF, 7), ("VPORT", 0x500, 8), ("APPID", 0x512, 9),
    ("DIMSTYLE", 0x522, 10), ("VX", 0x69F, 11),
]
# Bytes a record of each table holds (flag, 32-byte name, use count, data, CRC).
RECORD_SIZES = {"BLOCK": 45, "LAYER": 41, "STYLE": 198, "LTYPE": 191, "VIEW": 153, "UCS": 109,
                "VPORT": 253, "APPID": 37, "DIMSTYLE": 324, "VX": 43}

TYPE_NAMES = {1: "LINE", 2: "POINT", 3: "CIRCLE", 4: "SHAPE", 7: "TEXT", 8: "ARC", 9: "TRACE",
              11: "SOLID", 12: "BLOCK", 13: "ENDBLK", 14: "INSERT", 15: "ATTDEF", 16: "ATTRIB",
              17: "SEQEND", 18: "JUMP", 19: "POLYLINE", 20: "VERTEX", 21: "3DLINE", 22: "3DFACE",
              23: "DIMENSION", 24: "VIEWPORT"}
# Kinds whose common part has no elevation even with flag 4 (their points carry z).
NO_ELEVATION = {1, 2, 21, 22}


def _crc_table():
    table = []
    for n in range(256):
        c = n
        for _ in range(8):
            c = (c >> 1) ^ 0xA001 if c & 1 else c >> 1
        table.append(c)
    return table


CRC_TABLE = _crc_table()


def crc16(data, seed=0xC0C1):
    c = seed
    for b in data:
        c = (c >> 8) ^ CRC_TABLE[(c ^ b) & 0xFF]
    return c


class Broken(Exception):
    """A read past the end or a value that cannot be."""


class Reader:
    def __init__(self, data, at, end):
        self.data, self.at, self.end = data, at, end

    def take(self, n):
        if self.at + n > self.end:
            raise Broken(f"a {n}-byte value at {self.at} runs past {self.end}")
        v = self.data[self.at:self.at + n]
        self.at += n
        return v

    def rc(self):
        return self.take(1)[0]

    def rs(self):
        return struct.unpack("<h", self.take(2))[0]

    def rsu(self):
        return struct.unpack("<H", self.take(2))[0]

    def rl(self):
        return struct.unpack("<I", self.take(4))[0]

    def rd(self):
        return struct.unpack("<d", self.take(8))[0]

    def pt(self, n):
        return [self.rd() for _ in range(n)]

    def tv(self):
        n = self.rsu()
        return self.take(n).decode("latin-1")


class Problems:
    """Stand-alone report (dwg_check.py passes its own)."""

    def __init__(self):
        self.problems, self.facts = [], {}

    def fail(self, text):
        self.problems.append(text)

    def expect(self, cond, text):
        if not cond:
            self.fail(text)
        return cond


def sentinel(data, at, name, report):
    return report.expect(data[at:at + 16] == SENTINELS[name], f"{name} sentinel missing at {at:#x}")


def read_descriptors(data):
    tables = {}
    for name, at, number in TABLES:
        size, count, flags, address = struct.unpack_from("<HHHI", data, at)
        tables[name] = {"size": size, "count": count, "flags": flags, "address": address, "number": number}
    return tables


def table_names(data, table):
    names = []
    for i in range(table["count"]):
        at = table["address"] + i * table["size"]
        names.append(data[at + 1:at + 33].split(b"\0")[0].decode("latin-1"))
    return names


def check_tables(data, tables, report):
    for name, _, _ in TABLES:
        t = tables[name]
        report.expect(t["size"] == RECORD_SIZES[name] or t["count"] == 0,
                      f"{name} records are {t['size']} bytes, expected {RECORD_SIZES[name]}")
        for i in range(t["count"]):
            at = t["address"] + i * t["size"]
            record = data[at:at + t["size"]]
            if len(record) != t["size"]:
                raise Broken(f"{name} record {i} runs past the end")
            want = crc16(record[:-2])
            got = struct.unpack_from("<H", record, len(record) - 2)[0]
            report.expect(got == want, f"{name} record {i} CRC {got:#06x}, computed {want:#06x}")
            # Shape files' STYLE records and VX records may be nameless.
            report.expect(record[1] != 0 or name in ("STYLE", "VX"), f"{name} record {i} has no name")
    ltypes = tables["LTYPE"]["count"]
    for i in range(tables["LAYER"]["count"]):
        at = tables["LAYER"]["address"] + i * tables["LAYER"]["size"]
        colour, ltype = struct.unpack_from("<hh", data, at + 35)
        report.expect(colour != 0 and -255 <= colour <= 255, f"LAYER record {i} colour {colour}")
        report.expect(0 <= ltype < ltypes, f"LAYER record {i} linetype index {ltype} of {ltypes}")


class EntityWalk:
    """Parses the entities of one section; collects what the checks need."""

    def __init__(self, data, tables, report, handles):
        self.data, self.tables, self.report, self.handles = data, tables, report, handles
        self.counts = {}
        self.block_starts = []   # offsets of BLOCK entities (blocks section)

    def walk(self, start, end, section, base):
        data, report = self.data, self.report
        at = start
        open_polyline = None
        open_block = False
        while at < end:
            r = Reader(data, at, end)
            kind = r.rc()
            flag = r.rc()
            size = r.rsu()
            if not report.expect(size >= 8 and at + size <= end,
                                 f"{section}: entity at {at:#x} (type {kind}) has size {size}, section ends {end:#x}"):
                return
            stored = struct.unpack_from("<H", data, at + size - 2)[0]
            want = crc16(data[at:at + size - 2])
            report.expect(stored == want, f"{section}: entity at {at:#x} CRC {stored:#06x}, computed {want:#06x}")
            r.end = at + size - 2
            name = TYPE_NAMES.get(kind & 0x7F, f"type {kind}")
            self.counts[name] = self.counts.get(name, 0) + 1
            try:
                self.entity(r, kind, flag, at, section, base)
            except Broken as e:
                report.fail(f"{section}: {name} at {at:#x}: {e}")
            if kind in (14, 19) and flag & 0x80:
                open_polyline = at
            elif kind == 17:
                if report.expect(open_polyline is not None, f"{section}: SEQEND at {at:#x} without its owner"):
                    owner = struct.unpack_from("<I", data, r.end - 4)[0]
                    report.expect(owner == open_polyline,
                                  f"{section}: SEQEND at {at:#x} names {owner:#x}, its owner is at {open_polyline:#x}")
                open_polyline = None
            elif kind in (16, 20):
                report.expect(open_polyline is not None, f"{section}: VERTEX at {at:#x} outside a POLYLINE")
            elif open_polyline is not None:
                report.fail(f"{section}: POLYLINE at {open_polyline:#x} has no SEQEND")
                open_polyline = None
            if kind == 12:
                report.expect(not open_block, f"{section}: BLOCK at {at:#x} inside another block")
                open_block = True
                self.block_starts.append(at - base)
            elif kind == 13:
                report.expect(open_block, f"{section}: ENDBLK at {at:#x} without a BLOCK")
                open_block = False
            at += size
        report.expect(at == end, f"{section}: entities end at {at:#x}, the section at {end:#x}")
        report.expect(open_polyline is None, f"{section}: the last POLYLINE has no SEQEND")
        report.expect(not open_block, f"{section}: the last BLOCK has no ENDBLK")

    def entity(self, r, kind, flag, at, section, base):
        report, tables = self.report, self.tables
        layer = r.rs()
        report.expect(0 <= layer < max(tables["LAYER"]["count"], 1), f"layer index {layer} at {at:#x}")
        opts = r.rsu()
        extra = r.rc() if flag & 0x40 else 0
        if extra & 2:
            r.take(r.rsu())
        if flag & 1:
            r.rc()
        if flag & 2:
            ltype = r.rs()
            report.expect(0 <= ltype < tables["LTYPE"]["count"] or ltype in (32766, 32767),
                          f"linetype index {ltype} at {at:#x}")
        if flag & 4 and (kind & 0x7F) not in NO_ELEVATION:
            r.rd()
        if flag & 8:
            r.rd()
        if flag & 0x20:
            n = r.rc()
            report.expect(0 < n <= 8, f"handle of {n} bytes at {at:#x}")
            value = int.from_bytes(r.take(n), "big")
            self.handles.append((value, at))
        if extra & 4:
            r.rs()
        k = kind & 0x7F
        if k == 7:
            r.pt(2), r.rd(), r.tv()
            if opts & 1: r.rd()
            if opts & 2: r.rd()
            if opts & 4: r.rd()
            if opts & 8:
                style = r.rc()
                report.expect(style < tables["STYLE"]["count"], f"text style index {style} at {at:#x}")
            if opts & 16: r.rc()
            if opts & 32: r.rc()
            if opts & 64: r.pt(2)
            if opts & 128: r.pt(3)
            if opts & 256: r.rc()
        elif k == 3:
            r.pt(2), r.rd()
            if opts & 1: r.pt(3)
        elif k == 8:
            r.pt(2), r.rd(), r.rd(), r.rd()
            if opts & 1: r.pt(3)
        elif k == 19:
            if opts & 1: r.rc()
            if opts & 2: r.rd()
            if opts & 4: r.rd()
            if opts & 8: r.pt(3)
            if opts & 16: r.rs()
            if opts & 32: r.rs()
            if opts & 64: r.rs()
            if opts & 128: r.rs()
            if opts & 256: r.rs()
        elif k == 20:
            if not opts & 0x4000: r.pt(2)
            if opts & 1: r.rd()
            if opts & 2: r.rd()
            if opts & 4: r.rd()
            if opts & 8: r.rc()
            if opts & 16: r.rd()
            for bit in (0x20, 0x40, 0x80, 0x100):
                if opts & bit: r.rs()
        elif k == 17:
            r.rl()
        elif k == 12:
            r.pt(2)
            if opts & 2: r.tv()
            if opts & 4: r.tv()
        elif k == 13:
            pass
        else:
            # A kind this program never writes: its size and CRC are checked.
            r.at = r.end
        report.expect(r.at == r.end, f"{section}: {TYPE_NAMES.get(k, k)} at {at:#x} parsed to "
                      f"{r.at - at} bytes of {r.end + 2 - at}")


def check_r12(data, version, report):
    try:
        _check(data, report)
    except (Broken, struct.error) as e:
        report.fail(str(e))


def _check(data, report):
    if len(data) < 0x6D0:
        raise Broken(f"{len(data)} bytes: too short for the header")
    report.expect(data[:6] == b"AC1009", f"magic {data[:6]!r}")
    ent_start, ent_end, blk_start, blk_size, ext_start, ext_size = struct.unpack_from("<6I", data, 0x14)
    report.expect(blk_size & 0xC0000000 == 0x40000000, f"blocks size {blk_size:#x} lacks its 0x40000000 flag")
    report.expect(ext_size & 0xC0000000 == 0x80000000, f"extras size {ext_size:#x} lacks its 0x80000000 flag")
    blk_size &= 0x3FFFFFFF
    ext_size &= 0x3FFFFFFF
    tables = read_descriptors(data)

    crc_at = ent_start - 18
    report.expect(crc_at >= 0x6A9, f"entities start at {ent_start:#x}, inside the header")
    stored = struct.unpack_from("<H", data, crc_at)[0]
    want = crc16(data[:crc_at])
    report.expect(stored == want, f"header CRC {stored:#06x} at {crc_at:#x}, computed {want:#06x}")

    # Sections in file order: each begin sentinel right after the previous end.
    sections = [("entities", ent_start, ent_end)]
    for name, _, _ in TABLES:
        t = tables[name]
        sections.append((name, t["address"], t["address"] + t["count"] * t["size"]))
    sections.append(("block entities", blk_start, blk_start + blk_size))
    sections.append(("extras", ext_start, ext_start + ext_size))
    previous_end = crc_at + 2
    for name, start, end in sections:
        report.expect(start == previous_end + 16, f"{name} starts at {start:#x}, expected {previous_end + 16:#x}")
        report.expect(start <= end <= len(data), f"{name} runs from {start:#x} to {end:#x} ({len(data)} bytes)")
        sentinel(data, start - 16, f"{name} begin", report)
        sentinel(data, end, f"{name} end", report)
        previous_end = end + 16

    check_tables(data, tables, report)

    handles = []
    walk = EntityWalk(data, tables, report, handles)
    walk.walk(ent_start, ent_end, "entities", ent_start)
    walk.walk(blk_start, blk_start + blk_size, "block entities", blk_start)
    block_offsets = set(walk.block_starts)
    bt = tables["BLOCK"]
    for i in range(bt["count"]):
        at = bt["address"] + i * bt["size"]
        offset = struct.unpack_from("<I", data, at + 35)[0]
        report.expect(offset & 0x40000000 and (offset & 0x3FFFFFFF) in block_offsets,
                      f"BLOCK record {i} points at {offset:#x}, not at a BLOCK entity")
    walk.walk(ext_start, ext_start + ext_size, "extras", ext_start)

    handling = struct.unpack_from("<H", data, 0x4EC)[0]
    seed = int.from_bytes(data[0x4EE:0x4F6], "big")
    if handles:
        report.expect(handling != 0, "entities carry handles but HANDLING is 0")
        values = sorted(v for v, _ in handles)
        report.expect(len(set(values)) == len(values), "two entities share a handle")
        report.expect(values[-1] < seed, f"handle {values[-1]:#x} not below the seed {seed:#x}")

    # The closing header.
    aux = previous_end
    sentinel(data, aux, "closing header begin", report)
    r = Reader(data, aux + 16, len(data))
    r.rsu()
    size = r.rsu()
    copy = [r.rl() for _ in range(4)]
    report.expect(copy == [ent_start, ent_end, blk_start, ext_start],
                  f"closing header addresses {[hex(v) for v in copy]}")
    report.expect(r.rsu() == handling, "closing header HANDLING differs")
    report.expect(int.from_bytes(r.take(8), "big") == seed, "closing header handle seed differs")
    count = r.rsu()
    report.expect(count == len(TABLES), f"closing header lists {count} tables")
    for name, _, number in TABLES[:count]:
        t = tables[name]
        got = (r.rsu(), r.rsu(), r.rsu(), r.rl())
        report.expect(got == (number, t["size"], t["count"], t["address"]),
                      f"closing header {name} descriptor {got}")
    report.expect(r.rl() == aux, "closing header does not give its own address")
    report.expect(r.at - (aux + 16) + 2 == size, f"closing header size {size}, holds {r.at - aux - 16 + 2}")
    want = crc16(data[aux + 16:r.at])
    got = r.rsu()
    report.expect(got == want, f"closing header CRC {got:#06x}, computed {want:#06x}")
    sentinel(data, r.at, "closing header end", report)
    report.expect(r.at + 16 == len(data), f"{len(data) - r.at - 16} bytes after the closing header")

    report.facts["objects"] = sum(walk.counts.values())
    report.facts["types"] = walk.counts
    report.facts["layers"] = table_names(data, tables["LAYER"])
    report.facts["linetypes"] = table_names(data, tables["LTYPE"])
    report.facts["styles"] = table_names(data, tables["STYLE"])


def guarded_places(data):
    """(what, offset) of one byte in each part of the file the checks guard."""
    ent_start, ent_end, blk_start, blk_size = struct.unpack_from("<4I", data, 0x14)
    tables = read_descriptors(data)
    layer = tables["LAYER"]
    places = [
        ("magic", 3),
        ("section address", 0x15),
        ("table descriptor", 0x2C + 7),
        ("header variable", 0x100),
        ("header CRC", ent_start - 18),
        ("entities begin sentinel", ent_start - 5),
        ("entity size", ent_start + 2),
        ("entity data", ent_start + 12),
        ("entities end sentinel", ent_end + 7),
        ("layer record", layer["address"] + 3),
        ("layer begin sentinel", layer["address"] - 2),
        ("VX end sentinel", tables["VX"]["address"] + tables["VX"]["count"] * tables["VX"]["size"] + 1),
        ("closing header data", len(data) - 16 - 2 - 4 - 3),
        ("closing header end sentinel", len(data) - 3),
    ]
    if blk_size & 0x3FFFFFFF:
        places.append(("block entity", blk_start + 9))
    return places


def selftest(files):
    """Every file must pass, and fail once any guarded byte is changed."""
    failed = 0
    for path in files:
        with open(path, "rb") as f:
            data = f.read()
        report = Problems()
        check_r12(data, "AC1009", report)
        if report.problems:
            failed += 1
            print(f"FAIL {path}: rejected as written: {report.problems[0]}")
            continue
        for what, at in guarded_places(data):
            changed = bytearray(data)
            changed[at] ^= 0x5A
            report = Problems()
            check_r12(bytes(changed), "AC1009", report)
            if not report.problems:
                failed += 1
                print(f"FAIL {path}: a changed byte in the {what} at {at:#x} went unnoticed")
        print(f"{'FAIL' if failed else 'OK'} {path}: accepted, and every changed guarded byte caught")
    print(f"dwg_check_r12 selftest: {len(files)} file(s), {failed} problem(s)")
    return 1 if failed else 0


def main(argv):
    if "--selftest" in argv:
        return selftest([a for a in argv[1:] if not a.startswith("--")])
    files = [a for a in argv[1:] if not a.startswith("--")]
    failed = 0
    for path in files:
        with open(path, "rb") as f:
            data = f.read()
        report = Problems()
        check_r12(data, "AC1009", report)
        if report.problems:
            failed += 1
            for p in report.problems[:30]:
                print(f"FAIL {path}: {p}")
        else:
            print(f"OK {path}: {report.facts.get('objects')} entities {report.facts.get('types')}")
        if "--dump" in argv:
            print("   ", {k: v for k, v in report.facts.items() if k != "types"})
    print(f"dwg_check_r12: {len(files)} file(s) checked, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
