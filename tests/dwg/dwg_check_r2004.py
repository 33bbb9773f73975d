#!/usr/bin/python3
"""Structure checker for R2004 DWG files (AC1018), the paged layout.

Usage: dwg_check_r2004.py [--verbose] FILE.dwg...
       dwg_check_r2004.py --selftest DWG-REFERENCE-FOLDER
   or: import dwg_check_r2004 (it adds AC1018 to dwg_check.CHECKERS), or
       call check_r2004(data, version, report) / decompress(src, size).

It verifies:
  file header     the magic, the encrypted block at 0x80 (decrypted with the
                  format's pseudo-random sequence): its id string, constants
                  and CRC-32; the pseudo-random bytes that fill it to 0x100
  page map        its system page header, checksum and decompression; the
                  pages it lists lie one after the other from 0x100 and end
                  where the header says; the page counts and highest number
  section map     the same for its page, then every section description
  data pages      each page's decrypted 32-byte header (type, section number,
                  sizes, start offset), the data checksum and the header
                  checksum; the page decompresses to the section's page size;
                  the pages of a section follow on without holes
  sections        AcDb:Header and AcDb:Classes framed as in R2000 (sentinels,
                  size, CRC), the class records; AcDb:AcDbObjects starting
                  with 0x0DCA; the object map in AcDb:Handles (page CRCs,
                  ascending handles, each offset landing on an object with
                  that handle, object sizes and CRCs) as dwg_check does for
                  R2000
Prints "OK <file>: <summary>" or "FAIL <file>: <problem>" lines like dwg_check.
"""
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import dwg_check  # noqa: E402
from dwg_check import Malformed, u32  # noqa: E402

PAGE_MAP = 0x41630E3B
SECTION_MAP = 0x4163003B
DATA_PAGE = 0x4163043B
DATA_MASK = 0x4164536B
FIRST_PAGE = 0x100
HEADER_ID = b"AcFssFcAJMB\0"


def magic_sequence(n):
    """The pseudo-random bytes of the format (header encryption and padding)."""
    seed, out = 1, bytearray()
    for _ in range(n):
        seed = (seed * 0x343FD + 0x269EC3) & 0xFFFFFFFF
        out.append((seed >> 16) & 0xFF)
    return bytes(out)


MAGIC = magic_sequence(0x100)


def page_checksum(seed, data):
    """Two sums modulo 0xFFF1 started from the seed's halves, reduced every 0x15B0 bytes."""
    s1, s2 = seed & 0xFFFF, seed >> 16
    for at in range(0, len(data), 0x15B0):
        for b in data[at:at + 0x15B0]:
            s1 += b
            s2 += s1
        s1 %= 0xFFF1
        s2 %= 0xFFF1
    return (s2 << 16) | (s1 & 0xFFFF)


def decompress(src, size=None):
    """Decodes one compressed page; returns (bytes, compressed bytes used).

    The stream: an optional first literal run (its length byte 0x00..0x0F),
    then opcodes, each a match followed by 0..3 literals (its low bits) or by
    a literal run of its own, until the opcode 0x11.
    """
    out = bytearray()
    pos = 0

    def byte():
        nonlocal pos
        if pos >= len(src):
            raise Malformed(f"compressed data ends without its terminator ({len(src)} bytes)")
        b = src[pos]
        pos += 1
        return b

    def long_count():
        n, b = 0, byte()
        while b == 0:
            n += 0xFF
            b = byte()
        return n + b

    def literal_run(op):
        nonlocal pos
        n = op + 3 if op else long_count() + 0x0F + 3
        if pos + n > len(src):
            raise Malformed("a literal run runs past the compressed data")
        out.extend(src[pos:pos + n])
        pos += n

    op = byte()
    if op < 0x10:
        literal_run(op)
        op = byte()
    while op != 0x11:
        if op < 0x10:
            raise Malformed(f"opcode {op:#04x} where a match was due (byte {pos - 1})")
        if op < 0x20:
            n = op & 7
            n = long_count() + 9 if n == 0 else n + 2
            a, b = byte(), byte()
            distance = ((a >> 2) | (b << 6)) + ((op & 8) << 11) + 0x4000
            literals = a & 3
        elif op < 0x40:
            n = long_count() + 0x21 if op == 0x20 else op - 0x1E
            a, b = byte(), byte()
            distance = ((a >> 2) | (b << 6)) + 1
            literals = a & 3
        else:
            n = (op >> 4) - 1
            b = byte()
            distance = ((b << 2) | ((op & 0x0C) >> 2)) + 1
            literals = op & 3
        if distance > len(out):
            raise Malformed(f"a match reaches {distance} back from byte {len(out)} of the output")
        if distance >= n:
            start = len(out) - distance
            out.extend(out[start:start + n])
        else:
            for _ in range(n):
                out.append(out[-distance])
        if size is not None and len(out) > size:
            raise Malformed(f"decompresses past its size {size}")
        if literals:
            out.extend(src[pos:pos + literals])
            pos += literals
            op = byte()
        else:
            op = byte()
            if op < 0x10:
                literal_run(op)
                op = byte()
    return bytes(out), pos


def decrypt_header(data):
    if len(data) < FIRST_PAGE:
        raise Malformed(f"{len(data)} bytes: shorter than the file header")
    return bytes(a ^ b for a, b in zip(data[0x80:0x80 + 0x6C], MAGIC))


def check_header_block(data, report):
    """Returns the decrypted header's fields as a dict."""
    block = decrypt_header(data)
    report.expect(block[:12] == HEADER_ID, f"header block id {block[:12]!r}")
    names = ("address size x04 root left right one last_page last_end second_header gaps pages "
             "x20 x80 x40 page_map_id page_map_address section_map_id array_size gap_array crc").split()
    values = struct.unpack_from("<IIIiiiIIQQIIIIIIQIIII", block, 12)
    h = dict(zip(names, values))
    for name, want in (("size", 0x6C), ("x04", 4), ("x20", 0x20), ("x80", 0x80), ("x40", 0x40), ("gaps", 0)):
        report.expect(h[name] == want, f"header block {name} is {h[name]:#x}, expected {want:#x}")
    zeroed = block[:0x68] + b"\0\0\0\0"
    report.expect(zlib.crc32(zeroed) == h["crc"], f"header block CRC {h['crc']:#010x}, computed {zlib.crc32(zeroed):#010x}")
    report.expect(data[0xEC:0x100] == MAGIC[0xEC:0x100], "bytes 0xEC..0xFF are not the pseudo-random fill")
    report.expect(u32(data, 0x28) == 0x80, f"the header block address at 0x28 is {u32(data, 0x28):#x}")
    second = h["second_header"]
    if second:
        report.expect(data[second:second + 0x6C] == data[0x80:0xEC], f"no copy of the header block at {second:#x}")
    return h


def read_system_page(data, address, kind, name, report):
    """Returns the decompressed data of a map page."""
    t, size, comp, ctype, stored = struct.unpack_from("<5I", data, address)
    if not report.expect(t == kind, f"{name} at {address:#x} has type {t:#x}"):
        raise Malformed(f"no {name}")
    report.expect(ctype == 2, f"{name}: compression type {ctype}")
    src = data[address + 20:address + 20 + comp]
    if len(src) != comp:
        raise Malformed(f"{name}: {comp} compressed bytes run past the end")
    head = data[address:address + 16] + b"\0\0\0\0"
    computed = page_checksum(page_checksum(0, head), src)
    report.expect(stored == computed, f"{name} checksum {stored:#010x}, computed {computed:#010x}")
    raw, used = decompress(src, size)
    report.expect(len(raw) == size, f"{name}: decompresses to {len(raw)} bytes, its header says {size}")
    return raw


def read_page_map(data, h, report):
    """Returns ({page number: (address, size)}, end of the last page)."""
    raw = read_system_page(data, h["page_map_address"] + FIRST_PAGE, PAGE_MAP, "page map", report)
    pages, address, at, count, highest = {}, FIRST_PAGE, 0, 0, 0
    while at + 8 <= len(raw):
        number, size = struct.unpack_from("<iI", raw, at)
        at += 8
        count += 1
        if number < 0:   # a gap: parent, left, right, zero
            at += 16
        else:
            report.expect(number not in pages, f"page {number} listed twice")
            pages[number] = (address, size)
            highest = max(highest, number)
        report.expect(address % 0x20 == 0, f"page {number} at {address:#x} is not on a 0x20 boundary")
        address += size
    report.expect(at == len(raw), f"page map: {len(raw) - at} bytes left over")
    report.expect(count == h["pages"] + h["gaps"], f"page map lists {count} pages, the header {h['pages']}")
    report.expect(highest == h["array_size"], f"highest page number {highest}, the header says {h['array_size']}")
    report.expect(address == h["last_end"] + FIRST_PAGE,
                  f"pages end at {address:#x}, the header says {h['last_end'] + FIRST_PAGE:#x}")
    report.expect(address <= len(data) or h["page_map_id"] == h["last_page"],
                  f"pages end at {address:#x}, past the end of the file ({len(data):#x})")
    report.expect(pages.get(h["page_map_id"], (None,))[0] == h["page_map_address"] + FIRST_PAGE,
                  "the page map is not where its own map puts it")
    return pages


def read_section_map(data, pages, h, report):
    """Returns [section dict] with name, number, size, page size, compressed, pages."""
    if h["section_map_id"] not in pages:
        raise Malformed(f"section map page {h['section_map_id']} is not in the page map")
    raw = read_system_page(data, pages[h["section_map_id"]][0], SECTION_MAP, "section map", report)
    count, two, page_size, zero, count2 = struct.unpack_from("<5I", raw, 0)
    report.expect((two, page_size, zero) == (2, 0x7400, 0), f"section map head {two}, {page_size:#x}, {zero}")
    at, sections = 20, []
    for _ in range(count):
        if at + 96 > len(raw):
            raise Malformed("section map ends inside a description")
        size, npages, max_size, one, compressed, number, encrypted = struct.unpack_from("<QIIIIII", raw, at)
        name = raw[at + 32:at + 96].split(b"\0")[0].decode("latin-1")
        at += 96
        section = {"name": name, "number": number, "size": size, "page_size": max_size,
                   "compressed": compressed, "encrypted": encrypted, "pages": []}
        report.expect(compressed in (1, 2), f"section {name!r}: compressed flag {compressed}")
        for _ in range(npages):
            page, data_size, start = struct.unpack_from("<IIQ", raw, at)
            at += 16
            section["pages"].append((page, data_size, start))
        sections.append(section)
    report.expect(at == len(raw), f"section map: {len(raw) - at} bytes left over")
    return sections


def read_section(data, pages, section, report):
    """Checks every page of a section and returns its data (size bytes)."""
    out = bytearray()
    name = section["name"]
    for page, data_size, start in section["pages"]:
        where = f"{name} page {page}"
        if page not in pages:
            report.fail(f"{where} is not in the page map")
            continue
        address, page_bytes = pages[page]
        mask = DATA_MASK ^ (address & 0xFFFFFFFF)
        fields = [v ^ mask for v in struct.unpack_from("<8I", data, address)]
        report.expect(fields[0] == DATA_PAGE, f"{where}: page type {fields[0]:#x}")
        report.expect(fields[1] == section["number"], f"{where}: section number {fields[1]}")
        report.expect(fields[2] == data_size, f"{where}: {fields[2]} data bytes, the section map says {data_size}")
        report.expect(fields[4] | (fields[5] << 32) == start, f"{where}: starts at {fields[4]}, the map says {start}")
        report.expect(32 + data_size <= page_bytes, f"{where}: {data_size} bytes do not fit its {page_bytes}-byte page")
        src = data[address + 32:address + 32 + data_size]
        data_sum = page_checksum(0, src)
        report.expect(fields[7] == data_sum, f"{where}: data checksum {fields[7]:#010x}, computed {data_sum:#010x}")
        head = struct.pack("<8I", *fields[:6], 0, fields[7])
        head_sum = page_checksum(data_sum, head)
        report.expect(fields[6] == head_sum, f"{where}: header checksum {fields[6]:#010x}, computed {head_sum:#010x}")
        if section["compressed"] == 2:
            try:
                raw, _used = decompress(src, section["page_size"])
            except Malformed as e:
                report.fail(f"{where}: {e}")
                continue
            report.expect(len(raw) == section["page_size"],
                          f"{where}: decompresses to {len(raw)} bytes, not {section['page_size']}")
        else:
            raw = src
        if start > len(out):   # pages of zeros are left out
            out.extend(b"\0" * (start - len(out)))
        report.expect(start == len(out), f"{where}: starts at {start}, the pages before end at {len(out)}")
        out[start:] = raw
        report.facts["raw"] = report.facts.get("raw", 0) + len(raw)
        report.facts["compressed"] = report.facts.get("compressed", 0) + data_size
    if len(out) < section["size"]:
        out.extend(b"\0" * (section["size"] - len(out)))
    return bytes(out[:section["size"]])


def check_classes_r2004(data, report):
    """The classes section: framed as in R2000, records with R2004's counts."""
    # AutoCAD leaves 8 zero bytes behind the end sentinel.
    frame = u32(data, 16) + 38
    report.expect(len(data) in (frame, frame + 8) and not any(data[frame:]),
                  f"classes: {len(data)} bytes in the section, the frame holds {frame}")
    span = dwg_check.check_framed_section(data, 0, frame, "classes", report)
    classes = {}
    if span is None:
        return classes
    start, end = span
    bits = dwg_check.Bits(data, start, end)
    try:
        bits.bs()    # the highest class number
        bits.rc()
        bits.rc()
        bits.b()
        while end * 8 - bits.pos >= 8 * 8:
            number = bits.bs()
            bits.bs()
            bits.tv()
            bits.tv()
            dxf_name = bits.tv()
            bits.b()
            item = bits.bs()
            for _ in range(5):   # instance count, release, maintenance, two unknown
                bits.bl()
            report.expect(number == 500 + len(classes), f"class {dxf_name} numbered {number}")
            report.expect(item in (0x1F2, 0x1F3), f"class {dxf_name} item class id {item:#x}")
            classes[number] = dxf_name
    except Malformed as e:
        report.fail(f"classes: {e}")
    report.facts["classes"] = len(classes)
    return classes


def check_r2004(data, version, report):
    h = check_header_block(data, report)
    pages = read_page_map(data, h, report)
    sections = read_section_map(data, pages, h, report)
    named = {}
    for section in sections:
        if section["name"]:
            named[section["name"]] = read_section(data, pages, section, report)
    report.facts["sections"] = sorted(named)
    for required in ("AcDb:Header", "AcDb:Classes", "AcDb:Handles", "AcDb:AcDbObjects"):
        if required not in named:
            raise Malformed(f"no section {required}")
    header = named["AcDb:Header"]
    dwg_check.check_framed_section(header, 0, u32(header, 16) + 38, "header variables", report)
    classes = check_classes_r2004(named["AcDb:Classes"], report)
    handles = named["AcDb:Handles"]
    entries = dwg_check.read_object_map(handles, 0, len(handles), report)
    objects = named["AcDb:AcDbObjects"]
    report.expect(u32(objects, 0) == 0x0DCA, f"AcDb:AcDbObjects starts with {u32(objects, 0):#x}, not 0x0DCA")
    # The objects are framed as in 2000 (with the RL bit size).
    report.facts["types"] = dwg_check.check_objects(objects, entries, classes, (4, len(objects)), "AC1015", report)


dwg_check.CHECKERS["AC1018"] = check_r2004


def summary(facts):
    ratio = facts.get("raw", 0) / max(facts.get("compressed", 0), 1)
    return f"{dwg_check.summary(facts)}, {len(facts.get('sections', []))} sections, page data {ratio:.2f}:1"


def selftest(folder):
    """AutoCAD's 2004 files in folder/r2004 (or folder) pass; a changed byte
    in each guarded part of them (the header block, the page map, the
    section map, a data page's header and its data) is caught. Returns the
    exit status: 0, 1 on a finding, 77 without reference files."""
    import glob
    files = sorted(glob.glob(os.path.join(folder, "r2004", "*.dwg")) or glob.glob(os.path.join(folder, "*.dwg")))
    files = [f for f in files if open(f, "rb").read(6) == b"AC1018"]
    if not files:
        print(f"dwg_check_r2004: no 2004 reference files in {folder}; skipped")
        return 77
    failed = 0
    for path in files:
        data = open(path, "rb").read()
        report = dwg_check.Report()
        try:
            check_r2004(data, "AC1018", report)
        except Malformed as e:
            report.fail(str(e))
        if report.problems:
            failed += 1
            print(f"FAIL {path}: {report.problems[0]}")
            continue
        h = decrypt_header(data)
        page_map = struct.unpack_from("<Q", h, 0x54)[0] + FIRST_PAGE
        rep = dwg_check.Report()
        pages = read_page_map(data, check_header_block(data, rep), rep)
        section_map = pages[struct.unpack_from("<I", h, 0x5C)[0]][0]
        places = {"header block": 0x80 + 0x30, "page map data": page_map + 24,
                  "section map data": section_map + 24, "first data page header": FIRST_PAGE + 8,
                  "first data page data": FIRST_PAGE + 40}
        for name, at in places.items():
            changed = bytearray(data)
            changed[at] ^= 0x01
            report = dwg_check.Report()
            try:
                check_r2004(bytes(changed), "AC1018", report)
            except (Malformed, struct.error, KeyError, IndexError) as e:
                report.fail(str(e))
            if not report.problems:
                failed += 1
                print(f"FAIL {path}: a changed byte in the {name} (at {at:#x}) went unnoticed")
        print(f"OK {path}: passes, and {len(places)} changed bytes are caught")
    print(f"dwg_check_r2004 selftest: {len(files)} reference file(s), {failed} failed")
    return 1 if failed else 0


def main(argv):
    if len(argv) == 3 and argv[1] == "--selftest":
        return selftest(argv[2])
    verbose = "--verbose" in argv
    files = [a for a in argv[1:] if a != "--verbose"]
    if not files:
        print("usage: dwg_check_r2004.py [--verbose] FILE.dwg...")
        return 2
    failed = 0
    for path in files:
        report = dwg_check.check_file(path)
        if report.problems:
            failed += 1
            for problem in report.problems[:20]:
                print(f"FAIL {path}: {problem}")
        else:
            print(f"OK {path}: {summary(report.facts)}")
        if verbose:
            print(f"   sections {report.facts.get('sections')}")
            print(f"   types {report.facts.get('types')}")
    print(f"dwg_check_r2004: {len(files)} file(s) checked, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
