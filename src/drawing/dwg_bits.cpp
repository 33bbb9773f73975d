// Bit-level coding of DWG data: see dwg_bits.h.
#include "drawing/dwg_bits.h"

#include <array>
#include <cmath>
#include <cstring>

namespace penloom {

namespace {

// Eight tables: table k advances a byte through k more zero bytes, so that
// eight bytes are taken per step.
using CrcTables = std::array<std::array<std::uint16_t, 256>, 8>;

constexpr CrcTables make_crc_tables() {
    CrcTables t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xA001u : crc >> 1;
        t[0][i] = static_cast<std::uint16_t>(crc);
    }
    for (unsigned k = 1; k < 8; ++k)
        for (unsigned i = 0; i < 256; ++i)
            t[k][i] = static_cast<std::uint16_t>((t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF]);
    return t;
}

constexpr CrcTables crc_tables = make_crc_tables();

std::uint64_t double_bits(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace

namespace {

// Up to 57 bits: shifted into place in one 64-bit word below the bits the
// last byte already holds, and stored as eight bytes at once (those past the
// value are zero); the size then covers the bytes written.
inline void put_bits57(BitWriter& w, std::uint64_t value, unsigned count) {
    const unsigned used = static_cast<unsigned>(w.bit & 7);
    const std::size_t at = static_cast<std::size_t>(w.bit >> 3);
    std::uint8_t* p = w.bytes.room(at + 8) + at;
    std::uint64_t word = (value << (64 - count)) >> used;
    if (used != 0) word |= std::uint64_t{p[0]} << 56;
    const std::uint64_t stored = __builtin_bswap64(word);
    std::memcpy(p, &stored, sizeof stored);
    w.bit += count;
    w.bytes.set_size(static_cast<std::size_t>((w.bit + 7) >> 3));
}

}  // namespace

void put_bits(BitWriter& w, std::uint64_t value, unsigned count) {
    if (count > 57) {
        put_bits57(w, (value >> 32) & ((std::uint64_t{1} << (count - 32)) - 1), count - 32);
        count = 32;
    }
    if (count != 0) put_bits57(w, value & (count == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1), count);
}

void patch_rl(BitWriter& w, std::uint64_t at, std::uint32_t value) {
    // Raw long: its four bytes in file order, each most significant bit first.
    for (int i = 0; i < 4; ++i) {
        const unsigned byte = (value >> (8 * i)) & 0xFF;
        for (int k = 0; k < 8; ++k) {
            const std::uint64_t pos =
                at + static_cast<std::uint64_t>(i) * 8 + static_cast<std::uint64_t>(k);
            const std::uint8_t mask = static_cast<std::uint8_t>(0x80u >> (pos & 7));
            std::uint8_t& target = w.bytes[static_cast<std::size_t>(pos >> 3)];
            if (byte & (0x80u >> k))
                target = static_cast<std::uint8_t>(target | mask);
            else
                target = static_cast<std::uint8_t>(target & ~mask);
        }
    }
}

void put_rc(BitWriter& w, std::uint8_t value) {
    put_bits(w, value, 8);
}

// Raw numbers are little-endian: byte-swapped, their bytes go out in one
// call, most significant (the first in the file) first.
void put_rs(BitWriter& w, std::uint16_t value) {
    put_bits(w, __builtin_bswap16(value), 16);
}

void put_rl(BitWriter& w, std::uint32_t value) {
    put_bits(w, __builtin_bswap32(value), 32);
}

void put_rd(BitWriter& w, double value) {
    put_bits(w, __builtin_bswap64(double_bits(value)), 64);
}

void put_bs(BitWriter& w, int value) {
    const auto v = static_cast<std::uint16_t>(value);
    if (v == 0) {
        put_bits(w, 2, 2);
    } else if (v == 256) {
        put_bits(w, 3, 2);
    } else if (v < 256) {
        put_bits(w, 1u << 8 | v, 10);
    } else {
        put_bits(w, __builtin_bswap16(v), 18);
    }
}

void put_bl(BitWriter& w, std::int64_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    if (v == 0) {
        put_bits(w, 2, 2);
    } else if (v < 256) {
        put_bits(w, 1u << 8 | v, 10);
    } else {
        put_bits(w, __builtin_bswap32(v), 34);
    }
}

void put_bd(BitWriter& w, double value) {
    // Compared bit for bit so that -0.0 keeps its sign.
    const std::uint64_t bits = double_bits(value);
    if (bits == double_bits(1.0)) {
        put_bits(w, 1, 2);
    } else if (bits == 0) {
        put_bits(w, 2, 2);
    } else {
        put_bits(w, 0, 2);
        put_rd(w, value);
    }
}

void put_2rd(BitWriter& w, const Point2& p) {
    put_rd(w, p.x);
    put_rd(w, p.y);
}

void put_2bd(BitWriter& w, const Point2& p) {
    put_bd(w, p.x);
    put_bd(w, p.y);
}

void put_3bd(BitWriter& w, const Point3& p) {
    put_bd(w, p.x);
    put_bd(w, p.y);
    put_bd(w, p.z);
}

void put_3rd(BitWriter& w, const Point3& p) {
    put_rd(w, p.x);
    put_rd(w, p.y);
    put_rd(w, p.z);
}

void put_mc(BitWriter& w, std::int64_t value) {
    const bool negative = value < 0;
    std::uint64_t v =
        negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    while (v >= 0x40) {
        put_rc(w, static_cast<std::uint8_t>((v & 0x7F) | 0x80));
        v >>= 7;
    }
    put_rc(w, static_cast<std::uint8_t>(v | (negative ? 0x40 : 0)));
}

void put_ms(BitWriter& w, std::uint32_t value) {
    while (value >= 0x8000) {
        put_rs(w, static_cast<std::uint16_t>((value & 0x7FFF) | 0x8000));
        value >>= 15;
    }
    put_rs(w, static_cast<std::uint16_t>(value));
}

void put_h(BitWriter& w, unsigned code, std::uint64_t handle_value) {
    unsigned count = 0;
    for (std::uint64_t v = handle_value; v != 0; v >>= 8) ++count;
    put_bits(w, code & 0xFu, 4);
    put_bits(w, count, 4);
    for (unsigned i = count; i-- > 0;) put_bits(w, (handle_value >> (8 * i)) & 0xFFu, 8);
}

void put_tv(BitWriter& w, std::string_view text, int version) {
    const bool terminated = !text.empty() && version >= version_r14;
    put_bs(w, static_cast<int>(text.size() + (terminated ? 1 : 0)));
    for (char ch : text) put_rc(w, static_cast<std::uint8_t>(ch));
    if (terminated) put_rc(w, 0);
}

void put_cmc(BitWriter& w, std::int16_t colour_index) {
    put_bs(w, colour_index);
}

void put_cmc(BitWriter& w, std::int16_t colour_index, int version) {
    if (version < version_2004) {
        put_bs(w, colour_index);
        return;
    }
    const int index = colour_index < 0 ? -colour_index : colour_index;
    const std::uint32_t value = index == 256 ? 0xC0000000u
                                : index == 0
                                    ? 0xC1000000u
                                    : 0xC3000000u | static_cast<std::uint32_t>(index & 0xFF);
    put_bs(w, 0);
    put_bl(w, value);
    put_rc(w, 0);
}

void put_be(BitWriter& w, const Point3& extrusion, int version) {
    if (version >= version_2000) {
        const bool plain =
            double_bits(extrusion.x) == 0 && double_bits(extrusion.y) == 0 && extrusion.z == 1.0;
        put_b(w, plain);
        if (plain) return;
    }
    put_3bd(w, extrusion);
}

void put_bt(BitWriter& w, double thickness, int version) {
    if (version >= version_2000) {
        const bool zero = double_bits(thickness) == 0;
        put_b(w, zero);
        if (zero) return;
    }
    put_bd(w, thickness);
}

void put_dd(BitWriter& w, double value, double default_value) {
    const std::uint64_t v = double_bits(value), d = double_bits(default_value);
    if (v == d) {
        put_bits(w, 0, 2);
        return;
    }
    // The short forms keep the default's upper bytes: 01 patches its bytes
    // 0 to 3 (the file's first four), 10 its bytes 4 and 5 and then 0 to 3.
    // Each form goes out as one word: its two-bit code, then its bytes.
    const std::uint64_t low = __builtin_bswap32(static_cast<std::uint32_t>(v));
    if ((v >> 32) == (d >> 32)) {
        put_bits(w, std::uint64_t{1} << 32 | low, 34);
        return;
    }
    if ((v >> 48) == (d >> 48)) {
        const std::uint64_t middle = ((v >> 32) & 0xFFu) << 8 | ((v >> 40) & 0xFFu);
        put_bits(w, std::uint64_t{2} << 48 | middle << 32 | low, 50);
        return;
    }
    put_bits(w, 3, 2);
    put_rd(w, value);
}

void put_writer(BitWriter& w, const BitWriter& other) {
    const std::uint64_t whole = other.bit >> 3;
    if ((w.bit & 7) == 0) {
        w.bytes.insert(w.bytes.end(), other.bytes.begin(),
                       other.bytes.begin() + static_cast<std::ptrdiff_t>(whole));
        w.bit += whole * 8;
    } else {
        for (std::uint64_t i = 0; i < whole; ++i)
            put_rc(w, other.bytes[static_cast<std::size_t>(i)]);
    }
    const unsigned rest = static_cast<unsigned>(other.bit & 7);
    if (rest != 0)
        put_bits(
            w,
            static_cast<std::uint64_t>(other.bytes[static_cast<std::size_t>(whole)] >> (8 - rest)),
            rest);
}

std::uint16_t dwg_crc(const std::uint8_t* data, std::size_t size, std::uint16_t seed) {
    const CrcTables& t = crc_tables;
    unsigned crc = seed;
    for (; size >= 8; size -= 8, data += 8) {
        crc ^= data[0] | (data[1] << 8);
        crc = t[7][crc & 0xFF] ^ t[6][crc >> 8] ^ t[5][data[2]] ^ t[4][data[3]] ^ t[3][data[4]] ^
              t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]];
    }
    for (; size > 0; --size, ++data) crc = (crc >> 8) ^ t[0][(crc ^ *data) & 0xFF];
    return static_cast<std::uint16_t>(crc);
}

}  // namespace penloom
