// The R2004 page compressor on its own: compressed pages decoded again by a
// decompressor written here from the format's description (random,
// repetitive, text-like and far-reaching data, the ratio on repetitive
// data), and the page checksum's known values. Whole 2004 files are read
// back by LibreDWG and libdxfrw (dwg_writer_test, tests/dwg).
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

}  // namespace penloom::testing
