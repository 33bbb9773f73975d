// The R2004 page compressor and paged container on their own: compressed
// pages decoded again by a decompressor written here from the format's
// description (random, repetitive, text-like and far-reaching data, the
// ratio on repetitive data), the page checksum's known values, and small
// made-up files whose pages, maps and header are decoded here and handed to
// the structure checker (tests/dwg/dwg_check_r2004.py) when python3 is there.
#include "drawing/dwg_r2004_container.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <span>
#include <vector>

#include "drawing/dwg_bits.h"

namespace penloom::testing {

namespace {

// Decodes one compressed stream; false (with why) on anything malformed.
struct Decoded {
    std::vector<std::uint8_t> bytes;
    std::size_t used = 0;
    std::string error;
};

Decoded decompress(const std::vector<std::uint8_t>& src) {
    Decoded d;
    std::size_t pos = 0;
    bool bad = false;
    const auto next = [&]() -> unsigned {
        if (pos >= src.size()) {
            bad = true;
            return 0x11;
        }
        return src[pos++];
    };
    const auto long_count = [&]() -> std::size_t {
        std::size_t n = 0;
        unsigned b = next();
        while (b == 0 && !bad) {
            n += 0xFF;
            b = next();
        }
        return n + b;
    };
    const auto copy_literals = [&](std::size_t n) {
        if (pos + n > src.size()) {
            bad = true;
            return;
        }
        d.bytes.insert(d.bytes.end(), src.begin() + static_cast<std::ptrdiff_t>(pos),
                       src.begin() + static_cast<std::ptrdiff_t>(pos + n));
        pos += n;
    };
    const auto literal_run = [&](unsigned op) {
        copy_literals(op != 0 ? op + 3 : long_count() + 18);
    };

    unsigned op = next();
    if (op < 0x10) {
        literal_run(op);
        op = next();
    }
    while (op != 0x11 && !bad) {
        std::size_t n = 0, distance = 0, literals = 0;
        if (op < 0x10) {
            d.error = "a literal length where an opcode was due";
            return d;
        }
        if (op < 0x40) {
            if (op < 0x20)
                n = (op & 7) == 0 ? long_count() + 9 : (op & 7) + 2;
            else
                n = op == 0x20 ? long_count() + 0x21 : op - 0x1E;
            const unsigned a = next(), b = next();
            distance = (a >> 2) | (b << 6);
            distance += op < 0x20 ? 0x4000 + ((op & 8u) << 11) : 1;
            literals = a & 3;
        } else {
            n = (op >> 4) - 1;
            const unsigned b = next();
            distance = ((b << 2) | ((op & 0x0C) >> 2)) + 1;
            literals = op & 3;
        }
        if (distance > d.bytes.size()) {
            d.error = "a match reaches before the start";
            return d;
        }
        for (std::size_t i = 0; i < n; ++i) d.bytes.push_back(d.bytes[d.bytes.size() - distance]);
        if (literals != 0) {
            copy_literals(literals);
            op = next();
        } else {
            op = next();
            if (op < 0x10) {
                literal_run(op);
                op = next();
            }
        }
    }
    if (bad)
        d.error = "the stream ends without its terminator";
    else if (pos + 2 > src.size() || src[pos] != 0 || src[pos + 1] != 0)
        d.error = "no two zero bytes after the terminator";
    d.used = pos + 2;
    return d;
}

std::vector<std::uint8_t> compress(const std::vector<std::uint8_t>& data, unsigned depth = 16) {
    DwgLzCompressor c;
    c.set_search_depth(depth);
    std::vector<std::uint8_t> out;
    c.compress(data.data(), data.size(), out);
    return out;
}

void expect_round_trip(const std::vector<std::uint8_t>& data, const char* what) {
    const std::vector<std::uint8_t> packed = compress(data);
    const Decoded d = decompress(packed);
    ASSERT_EQ(d.error, "") << what;
    EXPECT_EQ(d.used, packed.size()) << what;
    ASSERT_EQ(d.bytes.size(), data.size()) << what;
    EXPECT_TRUE(d.bytes == data) << what;
}

std::vector<std::uint8_t> random_bytes(std::size_t n, unsigned seed, unsigned alphabet = 256) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> v(n);
    for (auto& b : v) b = static_cast<std::uint8_t>(rng() % alphabet);
    return v;
}

// Text like the object stream of a plot: many near-identical short records.
std::vector<std::uint8_t> record_like(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> v;
    while (v.size() < n) {
        const std::uint8_t head[] = {0x1C, 0x00, 0x40, 0x53, 0x20, 0x48, 0x0B};
        v.insert(v.end(), head, head + sizeof head);
        for (int i = 0; i < 8; ++i) v.push_back(static_cast<std::uint8_t>(rng() & 0x0F));
        v.push_back(static_cast<std::uint8_t>(rng()));
    }
    v.resize(n);
    return v;
}

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

}  // namespace

TEST(DwgR2004Compress, RoundTripsRandomData) {
    for (std::size_t n : {4u, 5u, 17u, 18u, 19u, 273u, 274u, 275u, 1000u, 0x7400u}) {
        expect_round_trip(random_bytes(n, static_cast<unsigned>(n)), "random");
        expect_round_trip(random_bytes(n, static_cast<unsigned>(n) + 1, 4), "random over 4 values");
    }
}

TEST(DwgR2004Compress, RoundTripsRunsAndRecords) {
    expect_round_trip(std::vector<std::uint8_t>(0x7400, 0), "zeros");
    expect_round_trip(std::vector<std::uint8_t>(0x7400, 0xAB), "one byte repeated");
    expect_round_trip(record_like(0x7400, 7), "records");
    std::vector<std::uint8_t> mixed = random_bytes(0x7400, 9);
    for (std::size_t i = 0; i < mixed.size(); i += 97)
        std::memset(mixed.data() + i, 0, std::min<std::size_t>(40, mixed.size() - i));
    expect_round_trip(mixed, "random with zero runs");
}

TEST(DwgR2004Compress, RoundTripsFarMatches) {
    // A random block and copies of it 0x5000 and 0x9000 bytes on: only the
    // far (0x10) forms reach them.
    std::vector<std::uint8_t> data = random_bytes(0x5000, 3);
    const std::vector<std::uint8_t> block(data.begin(), data.begin() + 0x400);
    data.insert(data.end(), block.begin(), block.end());
    const std::vector<std::uint8_t> more = random_bytes(0x3C00, 4);
    data.insert(data.end(), more.begin(), more.end());
    data.insert(data.end(), block.begin(), block.end());
    expect_round_trip(data, "far matches");
    EXPECT_LT(compress(data).size(), data.size() - 0x600);  // both copies found
}

TEST(DwgR2004Compress, RoundTripsAtEverySearchDepth) {
    const std::vector<std::uint8_t> data = record_like(0x7400, 11);
    for (unsigned depth : {1u, 4u, 64u}) {
        const Decoded d = decompress(compress(data, depth));
        EXPECT_EQ(d.error, "");
        EXPECT_TRUE(d.bytes == data) << depth;
    }
}

TEST(DwgR2004Compress, RatioOnRepetitiveData) {
    std::vector<std::uint8_t> text;
    const char* line = "LINE 0 LAYER_1 10.000 20.000 30.000 40.000\n";
    while (text.size() < 0x7400) text.insert(text.end(), line, line + std::strlen(line));
    text.resize(0x7400);
    EXPECT_LT(compress(text).size() * 50, text.size());
    EXPECT_LT(compress(std::vector<std::uint8_t>(0x7400, 0)).size(), 300u);
    const std::vector<std::uint8_t> records = record_like(0x7400, 5);
    EXPECT_LT(compress(records).size() * 10, records.size() * 8);  // beats 1.25:1
    // Random bytes grow by the literal run's length bytes only.
    const std::vector<std::uint8_t> noise = random_bytes(0x7400, 1);
    EXPECT_LE(compress(noise).size(), noise.size() + noise.size() / 255 + 8);
}

TEST(DwgR2004Compress, PageChecksum) {
    EXPECT_EQ(dwg_page_checksum(0, nullptr, 0), 0u);
    const std::uint8_t abc[3] = {'a', 'b', 'c'};
    // sum1 = 0x61+0x62+0x63, sum2 = 0x61 + (0x61+0x62) + (0x61+0x62+0x63)
    EXPECT_EQ(dwg_page_checksum(0, abc, 3), (0x24Au << 16) | 0x126u);
    EXPECT_EQ(dwg_page_checksum(0x00020001, abc, 3), ((0x24Au + 2 + 3) << 16) | 0x127u);
    // Chunked reduction: the same as one pass with exact modular sums.
    const std::vector<std::uint8_t> big(0x15B0 * 3 + 17, 0xFF);
    std::uint64_t s1 = 0, s2 = 0;
    for (std::uint8_t b : big) {
        s1 = (s1 + b) % 0xFFF1;
        s2 = (s2 + s1) % 0xFFF1;
    }
    EXPECT_EQ(dwg_page_checksum(0, big.data(), big.size()),
              static_cast<std::uint32_t>((s2 << 16) | s1));
}

// ---- The container ----

namespace {

const std::uint8_t header_begin[16] = {0xCF, 0x7B, 0x1F, 0x23, 0xFD, 0xDE, 0x38, 0xA9,
                                       0x5F, 0x7C, 0x68, 0xB8, 0x4E, 0x6D, 0x33, 0x5F};
const std::uint8_t header_end[16] = {0x30, 0x84, 0xE0, 0xDC, 0x02, 0x21, 0xC7, 0x56,
                                     0xA0, 0x83, 0x97, 0x47, 0xB1, 0x92, 0xCC, 0xA0};
const std::uint8_t classes_begin[16] = {0x8D, 0xA1, 0xC4, 0xB8, 0xC4, 0xA9, 0xF8, 0xC5,
                                        0xC0, 0xDC, 0xF4, 0x5F, 0xE7, 0xCF, 0xB6, 0x8A};
const std::uint8_t classes_end[16] = {0x72, 0x5E, 0x3B, 0x47, 0x3B, 0x56, 0x07, 0x3A,
                                      0x3F, 0x23, 0x0B, 0xA0, 0x18, 0x30, 0x49, 0x75};

std::vector<std::uint8_t> framed(std::span<const std::uint8_t> data,
                                 const std::uint8_t (&begin)[16], const std::uint8_t (&end)[16]) {
    std::vector<std::uint8_t> out(begin, begin + 16);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(data.size() >> (8 * i)));
    out.insert(out.end(), data.begin(), data.end());
    const std::uint16_t crc = dwg_crc(out.data() + 16, out.size() - 16, dwg_crc_seed);
    out.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    out.push_back(static_cast<std::uint8_t>(crc >> 8));
    out.insert(out.end(), end, end + 16);
    return out;
}

// A file of made-up sections: header and classes frames, an object map of
// one object, an object section of `extra` more bytes (pages of it), and an
// uncompressed section.
std::vector<std::uint8_t> made_up_file(std::size_t extra, std::vector<std::uint8_t>& objects_out) {
    DwgMemorySink sink;
    DwgR2004Container box(sink);
    const int header = box.add_section(dwg_r2004_header, "AcDb:Header", true);
    const int classes = box.add_section(dwg_r2004_classes, "AcDb:Classes", true);
    const int handles = box.add_section(dwg_r2004_handles, "AcDb:Handles", true);
    const int objects = box.add_section(dwg_r2004_objects, "AcDb:AcDbObjects", true);
    const int info = box.add_section(dwg_r2004_app_info, "AcDb:AppInfo", false, 0x80);

    BitWriter w;
    put_bs(w, 0x1234);
    put_bd(w, 2.5);
    std::vector<std::uint8_t> h = framed(w.bytes, header_begin, header_end);
    box.append(header, h.data(), h.size());
    bits_clear(w);
    put_bs(w, 499);  // no classes
    put_rc(w, 0);
    put_rc(w, 0);
    put_b(w, true);
    h = framed(w.bytes, classes_begin, classes_end);
    h.resize(h.size() + 8, 0);
    box.append(classes, h.data(), h.size());

    // The object section: 0x0DCA, then two LAYER_CONTROL-typed objects with
    // handles 1 and 2, the second carrying `extra` bytes of filler (pages of it).
    std::vector<std::uint8_t>& o = objects_out;
    o = {0xCA, 0x0D, 0x00, 0x00};
    std::size_t second = 0;
    for (std::uint64_t handle : {1u, 2u}) {
        if (handle == 2) second = o.size();
        bits_clear(w);
        put_bs(w, 48);
        put_rl(w, 0);
        put_h(w, 0, handle);
        if (handle == 2) {
            const std::vector<std::uint8_t> filler = record_like(extra, 13);
            w.bytes.insert(w.bytes.end(), filler.begin(), filler.end());
        }
        BitWriter frame;
        put_ms(frame, static_cast<std::uint32_t>(w.bytes.size()));
        frame.bytes.insert(frame.bytes.end(), w.bytes.begin(), w.bytes.end());
        const std::uint16_t crc = dwg_crc(frame.bytes.data(), frame.bytes.size(), dwg_crc_seed);
        frame.bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        frame.bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
        o.insert(o.end(), frame.bytes.begin(), frame.bytes.end());
    }
    // Appended in odd pieces, interleaved with the other sections.
    for (std::size_t at = 0; at < o.size(); at += 1001)
        box.append(objects, o.data() + at, std::min<std::size_t>(1001, o.size() - at));

    // Object map: one page with (handle 1, offset 4) and (handle 2, its
    // offset), then the empty page.
    BitWriter rows;
    put_mc(rows, 1);
    put_mc(rows, 4);
    put_mc(rows, 1);
    put_mc(rows, static_cast<std::int64_t>(second) - 4);
    std::vector<std::uint8_t> map = {0, 0};
    map.insert(map.end(), rows.bytes.begin(), rows.bytes.end());
    map[1] = static_cast<std::uint8_t>(map.size());
    std::uint16_t c = dwg_crc(map.data(), map.size(), dwg_crc_seed);
    map.push_back(static_cast<std::uint8_t>(c >> 8));
    map.push_back(static_cast<std::uint8_t>(c & 0xFF));
    std::vector<std::uint8_t> last = {0, 2};
    c = dwg_crc(last.data(), last.size(), dwg_crc_seed);
    last.push_back(static_cast<std::uint8_t>(c >> 8));
    last.push_back(static_cast<std::uint8_t>(c & 0xFF));
    map.insert(map.end(), last.begin(), last.end());
    box.append(handles, map.data(), map.size());

    const std::uint8_t text[] = "made up";
    box.append(info, text, sizeof text);
    EXPECT_EQ(box.section_size(objects), o.size());
    box.finish(DwgR2004FileInfo{});
    return sink.bytes;
}

// Decodes the pages of one section from the file (data pages only).
std::vector<std::uint8_t> section_from_pages(const std::vector<std::uint8_t>& file,
                                             std::uint32_t number) {
    std::vector<std::uint8_t> out;
    std::size_t at = 0x100;
    while (at + 32 <= file.size()) {
        const std::uint32_t mask = 0x4164536Bu ^ static_cast<std::uint32_t>(at);
        if ((le32(file, at) ^ mask) != 0x4163043Bu) break;  // the maps follow the data pages
        const std::uint32_t section = le32(file, at + 4) ^ mask, size = le32(file, at + 8) ^ mask;
        const std::uint32_t page = le32(file, at + 12) ^ mask;
        if (section == number) {
            const std::vector<std::uint8_t> src(
                file.begin() + static_cast<std::ptrdiff_t>(at + 32),
                file.begin() + static_cast<std::ptrdiff_t>(at + 32 + size));
            const Decoded d = decompress(src);
            EXPECT_EQ(d.error, "");
            EXPECT_EQ(d.bytes.size(), 0x7400u);
            out.insert(out.end(), d.bytes.begin(), d.bytes.end());
        }
        at += page;
    }
    return out;
}

}  // namespace

TEST(DwgR2004Container, HeaderDecryptsAndSectionsComeBack) {
    std::vector<std::uint8_t> objects;
    const std::vector<std::uint8_t> file = made_up_file(3 * 0x7400 + 500, objects);
    ASSERT_GT(file.size(), 0x100u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 6), "AC1018");
    std::string id;
    for (std::size_t i = 0; i < 11; ++i)
        id.push_back(static_cast<char>(file[0x80 + i] ^ dwg_r2004_magic(i)));
    EXPECT_EQ(id, "AcFssFcAJMB");
    for (std::size_t i = 0xEC; i < 0x100; ++i) EXPECT_EQ(file[i], dwg_r2004_magic(i));
    // The object section: four pages, their data as appended, then zeros.
    const std::vector<std::uint8_t> back = section_from_pages(file, dwg_r2004_objects);
    ASSERT_EQ(back.size(), 4u * 0x7400);
    EXPECT_TRUE(std::equal(objects.begin(), objects.end(), back.begin()));
    for (std::size_t i = objects.size(); i < back.size(); ++i) ASSERT_EQ(back[i], 0) << i;
    // Pages lie on 0x20 boundaries: the file does too.
    EXPECT_EQ(file.size() % 0x20, 0u);
}

}  // namespace penloom::testing
