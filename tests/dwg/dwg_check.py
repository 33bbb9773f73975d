#!/usr/bin/python3
"""Structure checker for DWG files: proves that a file's frame holds together
before any reader interprets its contents.

Usage: dwg_check.py [--verbose] FILE.dwg...   (or import it: check_file(path))

For releases R13, R14 and 2000 (AC1012, AC1014, AC1015) it verifies:
  file header      the magic, the zero bytes after it, the section locator
                   records (each inside the file), their CRC (seed 0, then
                   the XOR for the record count) and the sentinel after them
  header variables start and end sentinels, the size, the CRC (seed 0xC0C1)
  and classes      and that the locator's size is the whole frame; the class
                   records parse to the end of the data, numbered from 500
  object map       every page's CRC (big-endian, seed 0xC0C1) and the empty
                   last page; handles strictly ascending; each offset lands on
                   an object whose own handle is the one mapped there; every
                   object's size (MS) stays inside the object area, its CRC
                   holds, its type is a fixed type or a declared class; the
                   objects follow each other without gap or overlap up to
                   the object map
  preview          the sentinels around the image data and its entries
  second header    sentinels, the size, the CRC, and its copy of the locator
                   records of the header variables, classes and object map
  template         (locator 4) its size and a $MEASUREMENT of 0 or 1
Other releases are reported as not checked (a failure), so that a caller
never takes an unknown file for a good one; R12, 2004 and 2007 fit in as
further entries of CHECKERS.

Prints "OK <file>: <summary>" or "FAIL <file>: <problem>" per problem and a
last line "dwg_check: N file(s) checked, M failed"; exits 1 when any failed.
"""
import struct
import sys

# ---- Constants of the format ----

SENTINELS = {
    "file header end": bytes.fromhex("95A04E2899821AE55E41E05F9D3A4D00"),
    "header variables start": bytes.fromhex("CF7B1F23FDDE38A95F7C68B84E6D335F"),
    "header variables end": bytes.fromhex("3084E0DC0221C756A08397 47B192CCA0".replace(" ", "")),
    "classes start": bytes.fromhex("8DA1C4B8C4A9F8C5C0DCF45FE7CFB68A"),
    "classes end": bytes.fromhex("725E3B473B56073A3F230BA018304975"),
    "preview start": bytes.fromhex("1F256D07D43628289D57CA3F9D44102B"),
    "preview end": bytes.fromhex("E0DA92F82BC9D7D762A835C062BBEFD4"),
    "second header start": bytes.fromhex("D47B21CE28939FBF53244009123CAA01"),
    "second header end": bytes.fromhex("2B84DE31D76C6040ACDBBFF6EDC355FE"),
}

# The file header's CRC is XORed with a value that depends on how many
# locator records it holds.
LOCATOR_CRC_XOR = {3: 0xA598, 4: 0x8101, 5: 0x3CC4, 6: 0x8461}

SECTION_HEADER, SECTION_CLASSES, SECTION_MAP = 0, 1, 2

# Object types below 500 that exist: the fixed types, and the two of proxy
# entities and objects (types of 500 and above are the declared classes).
FIXED_TYPES = set(range(0x01, 0x54)) | {498, 499}


def _crc_table():
    table = []
    for n in range(256):
        c = n
        for _ in range(8):
            c = (c >> 1) ^ 0xA001 if c & 1 else c >> 1
        table.append(c)
    return table


CRC_TABLE = _crc_table()


def crc16(data, seed):
    c = seed
    for b in data:
        c = (c >> 8) ^ CRC_TABLE[(c ^ b) & 0xFF]
    return c


class Malformed(Exception):
    """A read past the end or a value that cannot be: the structure is broken."""


# ---- Byte and bit readers ----

def u16(data, at):
    if at < 0 or at + 2 > len(data):
        raise Malformed(f"a 16-bit value at {at} lies past the end ({len(data)} bytes)")
    return struct.unpack_from("<H", data, at)[0]


def u16_be(data, at):
    if at < 0 or at + 2 > len(data):
        raise Malformed(f"a 16-bit value at {at} lies past the end ({len(data)} bytes)")
    return struct.unpack_from(">H", data, at)[0]


def u32(data, at):
    if at < 0 or at + 4 > len(data):
        raise Malformed(f"a 32-bit value at {at} lies past the end ({len(data)} bytes)")
    return struct.unpack_from("<I", data, at)[0]


def modular_char(data, at, signed):
    """Returns (value, next offset) of an MC: 7 bits a byte, low first."""
    value, shift = 0, 0
    while True:
        if at >= len(data):
            raise Malformed("a modular char runs past the end")
        b = data[at]
        at += 1
        if b & 0x80:
            value |= (b & 0x7F) << shift
            shift += 7
            if shift > 63:
                raise Malformed("a modular char longer than 9 bytes")
            continue
        if signed:
            value |= (b & 0x3F) << shift
            return (-value if b & 0x40 else value), at
        return value | (b << shift), at


def modular_short(data, at):
    """Returns (value, next offset) of an MS: 15 bits a little-endian word."""
    value, shift = 0, 0
    while True:
        word = u16(data, at)
        at += 2
        value |= (word & 0x7FFF) << shift
        shift += 15
        if not word & 0x8000:
            return value, at
        if shift > 60:
            raise Malformed("a modular short longer than 4 words")


class Bits:
    """Reads the bit codes of the format, most significant bit first."""

    def __init__(self, data, start, end=None):
        self.data = data
        self.pos = start * 8
        self.end = (len(data) if end is None else end) * 8

    def bit(self):
        if self.pos >= self.end:
            raise Malformed(f"bit data runs past its end at byte {self.end // 8}")
        v = (self.data[self.pos >> 3] >> (7 - (self.pos & 7))) & 1
        self.pos += 1
        return v

    def bits(self, n):
        v = 0
        for _ in range(n):
            v = (v << 1) | self.bit()
        return v

    def rc(self):
        return self.bits(8)

    def rs(self):
        low = self.rc()
        return low | (self.rc() << 8)

    def rl(self):
        low = self.rs()
        return low | (self.rs() << 16)

    def bs(self):
        code = self.bits(2)
        return (self.rs, self.rc, lambda: 0, lambda: 256)[code]()

    def bl(self):
        code = self.bits(2)
        if code == 3:
            raise Malformed("a bit long with the unused code 11")
        return (self.rl, self.rc, lambda: 0)[code]()

    def b(self):
        return self.bit()

    def tv(self):
        n = self.bs()
        return bytes(self.rc() for _ in range(n)).decode("latin-1")

    def handle(self):
        code = self.bits(4)
        count = self.bits(4)
        value = 0
        for _ in range(count):
            value = (value << 8) | self.rc()
        return code, value

    def byte_offset(self):
        """The next whole byte (a bit code ends on a byte boundary before a CRC)."""
        return (self.pos + 7) // 8


# ---- The R13 to 2000 layout ----

class Report:
    def __init__(self):
        self.problems = []
        self.facts = {}

    def fail(self, text):
        self.problems.append(text)

    def expect(self, condition, text):
        if not condition:
            self.fail(text)
        return condition


def check_sentinel(data, at, name, report):
    want = SENTINELS[name]
    return report.expect(data[at:at + 16] == want, f"{name} sentinel missing at {at}")


def check_file_header(data, report):
    """Returns the locator records {number: (address, size)} and the header's end."""
    report.expect(data[6:11] == b"\0" * 5, "bytes 6..10 after the magic are not zero")
    report.expect(data[12] in (0, 1, 3), f"byte 12 is {data[12]}, expected 0, 1 or 3")
    count = u32(data, 0x15)
    if not report.expect(count in LOCATOR_CRC_XOR, f"{count} section locator records (3 to 6 expected)"):
        raise Malformed("no usable section locator")
    records = {}
    for i in range(count):
        number, address, size = struct.unpack_from("<BII", data, 0x19 + 9 * i)
        report.expect(number == i, f"locator record {i} is numbered {number}")
        report.expect(address + size <= len(data),
                      f"locator record {number} ({address}, {size}) runs past the end ({len(data)})")
        records[number] = (address, size)
    end = 0x19 + 9 * count
    want = crc16(data[:end], 0) ^ LOCATOR_CRC_XOR[count]
    report.expect(u16(data, end) == want, f"file header CRC {u16(data, end):#06x}, computed {want:#06x}")
    check_sentinel(data, end + 2, "file header end", report)
    report.facts["locators"] = count
    return records, end + 18


def check_framed_section(data, address, size, name, report):
    """A sentinel, RL size, the data, RS CRC, a sentinel. Returns (start, end) of the data."""
    if not check_sentinel(data, address, name + " start", report):
        return None
    length = u32(data, address + 16)
    start, end = address + 20, address + 20 + length
    stored = u16(data, end)
    computed = crc16(data[address + 16:end], 0xC0C1)
    report.expect(stored == computed, f"{name} CRC {stored:#06x}, computed {computed:#06x}")
    check_sentinel(data, end + 2, name + " end", report)
    report.expect(size == length + 38, f"{name}: locator size {size}, the frame holds {length + 38}")
    return start, end


def check_classes(data, span, report):
    """Returns {class number: DXF name}; each record must parse inside the data."""
    classes = {}
    if span is None:
        return classes
    start, end = span
    bits = Bits(data, start, end)
    try:
        while end * 8 - bits.pos >= 8 * 8:  # a record is never smaller than this
            number = bits.bs()
            bits.bs()  # proxy flags / version
            bits.tv()  # application
            bits.tv()  # C++ class name
            dxf_name = bits.tv()
            bits.b()   # was a zombie
            item = bits.bs()
            report.expect(number == 500 + len(classes), f"class {dxf_name} numbered {number}, expected {500 + len(classes)}")
            report.expect(item in (0x1F2, 0x1F3), f"class {dxf_name} item class id {item:#x}")
            classes[number] = dxf_name.rstrip("\0")
    except Malformed as e:
        report.fail(f"classes: {e}")
    report.expect(end * 8 - bits.pos < 8 * 8, "classes: data left over after the last record")
    report.facts["classes"] = len(classes)
    return classes


def read_object_map(data, address, size, report):
    """Returns [(handle, offset)] in map order, after checking every page."""
    entries = []
    at, stop = address, address + size
    while True:
        page = u16_be(data, at)
        if not report.expect(page >= 2, f"object map page at {at} has size {page}"):
            break
        stored = u16_be(data, at + page)
        computed = crc16(data[at:at + page], 0xC0C1)
        report.expect(stored == computed, f"object map page at {at}: CRC {stored:#06x}, computed {computed:#06x}")
        if page == 2:  # the empty page that ends the map
            at += 4
            break
        handle, offset, p = 0, 0, at + 2  # each page counts from zero again
        while p < at + page:
            delta_handle, p = modular_char(data, p, signed=False)
            delta_offset, p = modular_char(data, p, signed=True)
            handle += delta_handle
            offset += delta_offset
            entries.append((handle, offset))
        report.expect(p == at + page, f"object map page at {at}: the last pair runs past the page")
        at += page + 2
        if at > stop:
            break
    report.expect(at == stop, f"object map ends at {at}, its locator says {stop}")
    return entries


def check_objects(data, entries, classes, area, version, report):
    """Every mapped object: handle order, where it lies, its size, CRC, handle and type."""
    low, high = area
    previous = 0
    spans = []
    types = {}
    for handle, offset in entries:
        where = f"object {handle:X} at {offset}"
        report.expect(handle > previous, f"handles not ascending: {handle:X} after {previous:X}")
        previous = handle
        if not report.expect(low <= offset < high, f"{where} lies outside the object area {low}..{high}"):
            continue
        try:
            size, start = modular_short(data, offset)
            if not report.expect(start + size + 2 <= high, f"{where}: size {size} runs past the object area"):
                continue
            stored, computed = u16(data, start + size), crc16(data[offset:start + size], 0xC0C1)
            report.expect(stored == computed, f"{where}: CRC {stored:#06x}, computed {computed:#06x}")
            bits = Bits(data, start, start + size)
            kind = bits.bs()
            if version == "AC1015":
                bit_size = bits.rl()
                report.expect(bit_size <= size * 8, f"{where}: {bit_size} data bits in {size} bytes")
            _code, own = bits.handle()
            report.expect(own == handle, f"{where} carries handle {own:X}")
            report.expect(kind in FIXED_TYPES or kind in classes, f"{where}: unknown type {kind}")
            name = classes.get(kind, kind)
            types[name] = types.get(name, 0) + 1
            spans.append((offset, start + size + 2, handle))
        except Malformed as e:
            report.fail(f"{where}: {e}")
    spans.sort()
    for (a_start, a_end, a_handle), (b_start, _b_end, b_handle) in zip(spans, spans[1:]):
        report.expect(a_end <= b_start, f"objects {a_handle:X} and {b_handle:X} overlap")
        report.expect(a_end >= b_start, f"{b_start - a_end} bytes between objects {a_handle:X} and {b_handle:X}")
    if spans:
        report.expect(spans[-1][1] == high, f"{high - spans[-1][1]} bytes between the last object and the map")
    report.facts["objects"] = len(entries)
    report.facts["handseed_needed"] = previous + 1
    return types


def check_preview(data, address, report):
    """The image data between its sentinels; returns its end or None."""
    if address == 0:
        return None
    if not check_sentinel(data, address, "preview start", report):
        return None
    size = u32(data, address + 16)
    end = address + 20 + size
    count = data[address + 20] if address + 20 < len(data) else 0
    for i in range(count):
        code, start, length = struct.unpack_from("<BII", data, address + 21 + 9 * i)
        report.expect(address + 20 <= start and start + length <= end,
                      f"preview entry {i} (code {code}) at {start}+{length} outside the image data")
    check_sentinel(data, end, "preview end", report)
    return end + 16


def check_second_header(data, records, report):
    at = data.find(SENTINELS["second header start"])
    if not report.expect(at >= 0, "no second file header"):
        return
    size = u32(data, at + 16)
    end = at + 16 + size
    bits = Bits(data, at + 16, end)
    try:
        bits.rl()
        address = bits.bl()
        report.expect(address == at, f"second header says it lies at {address}, found at {at}")
        magic = bytes(bits.rc() for _ in range(11))
        report.expect(magic[:6] == data[:6], f"second header magic {magic[:6]!r}")
        bits.rc()
        bits.rc()
        bits.bs()
        bits.rs()
        count = bits.bs()
        copies = {}
        for _ in range(count):
            number = bits.rc()
            copies[number] = (bits.bl(), bits.bl())
        for number in (SECTION_HEADER, SECTION_CLASSES, SECTION_MAP):
            report.expect(copies.get(number) == records.get(number),
                          f"second header locator {number} is {copies.get(number)}, the file header's {records.get(number)}")
        handles = {}
        for _ in range(bits.bs()):
            length = bits.rc()
            number = bits.rc()
            value = 0
            for _ in range(length):
                value = (value << 8) | bits.rc()
            handles[number] = value
        crc_at = bits.byte_offset()
        stored, computed = u16(data, crc_at), crc16(data[at + 16:crc_at], 0xC0C1)
        report.expect(stored == computed, f"second header CRC {stored:#06x}, computed {computed:#06x}")
        report.expect(end - (crc_at + 2) in (0, 8), f"second header: {end - crc_at - 2} bytes after its CRC")
        seed = handles.get(0)
        needed = report.facts.get("handseed_needed", 0)
        report.expect(seed is not None and seed >= needed, f"handle seed {seed} not above the highest handle ({needed - 1:X})")
    except Malformed as e:
        report.fail(f"second header: {e}")
    check_sentinel(data, end, "second header end", report)


def check_template(data, records, report):
    """Locator 4, when it has a size: RS description length, the description, RS $MEASUREMENT."""
    address, size = records.get(4, (0, 0))
    if size == 0:
        return
    length = u16(data, address)
    report.expect(size == length + 4, f"template: size {size}, its description needs {length + 4}")
    measurement = u16(data, address + 2 + length)
    report.expect(measurement in (0, 1), f"template: $MEASUREMENT is {measurement}")


def check_r13_to_r2000(data, version, report):
    if len(data) < 0x19 + 9 * 3 + 18:
        raise Malformed(f"{len(data)} bytes: shorter than a file header")
    records, header_end = check_file_header(data, report)
    for number in (SECTION_HEADER, SECTION_CLASSES, SECTION_MAP):
        if number not in records:
            raise Malformed(f"no locator record {number}")
    check_preview(data, u32(data, 0x0D), report)
    check_framed_section(data, *records[SECTION_HEADER], "header variables", report)
    span = check_framed_section(data, *records[SECTION_CLASSES], "classes", report)
    classes = check_classes(data, span, report)
    map_address, map_size = records[SECTION_MAP]
    entries = read_object_map(data, map_address, map_size, report)
    types = check_objects(data, entries, classes, (header_end, map_address), version, report)
    check_second_header(data, records, report)
    check_template(data, records, report)
    report.facts["types"] = types


CHECKERS = {
    "AC1012": check_r13_to_r2000,
    "AC1014": check_r13_to_r2000,
    "AC1015": check_r13_to_r2000,
}

# Release 12 (AC1009) has a layout of its own: dwg_check_r12.py beside this file.
sys.path.insert(0, __import__("os").path.dirname(__import__("os").path.abspath(__file__)))
from dwg_check_r12 import check_r12  # noqa: E402

CHECKERS["AC1009"] = check_r12


def _add_r2004():
    """R2004 (the paged layout) has its own module, loaded on first use."""
    if "AC1018" not in CHECKERS:
        try:
            import dwg_check_r2004
            CHECKERS.setdefault("AC1018", dwg_check_r2004.check_r2004)
        except ImportError:  # pragma: no cover
            pass


def check_file(path):
    """Returns a Report: .problems (empty when the file holds together) and .facts."""
    report = Report()
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        report.fail(f"cannot be read: {e}")
        return report
    version = data[:6].decode("latin-1")
    if len(data) < 6:
        report.fail(f"{len(data)} bytes: no magic")
        return report
    report.facts["version"] = version
    _add_r2004()
    checker = CHECKERS.get(version)
    if checker is None:
        report.fail(f"release {version!r} is not checked by this program")
        return report
    try:
        checker(data, version, report)
    except Malformed as e:
        report.fail(str(e))
    except (struct.error, IndexError) as e:  # a read past the end the checks above did not foresee
        report.fail(f"structure runs past the end of the file ({e})")
    return report


def summary(facts):
    types = facts.get("types", {})
    return (f"{facts.get('version')}, {facts.get('objects', 0)} objects, "
            f"{facts.get('classes', 0)} classes, {len(types)} object types")


def main(argv):
    verbose = "--verbose" in argv
    files = [a for a in argv[1:] if a != "--verbose"]
    if not files:
        print("usage: dwg_check.py [--verbose] FILE.dwg...")
        return 2
    failed = 0
    for path in files:
        report = check_file(path)
        if report.problems:
            failed += 1
            for problem in report.problems[:20]:
                print(f"FAIL {path}: {problem}")
            if len(report.problems) > 20:
                print(f"FAIL {path}: ... and {len(report.problems) - 20} more")
        else:
            print(f"OK {path}: {summary(report.facts)}")
        if verbose:
            print(f"   types {report.facts.get('types')}")
    print(f"dwg_check: {len(files)} file(s) checked, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
