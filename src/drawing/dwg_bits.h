// Bit-level coding of DWG (R13 to 2000) object and section data: a growable
// bit buffer written most significant bit first, the compressed number forms
// (BS, BL, BD, DD, MC, MS), handles, texts and the CRC of sections and
// objects. In: values. Out: bytes in a BitWriter, padded with zero bits to a
// whole byte when taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "drawing/records.h"

namespace penloom {

// Bytes written so far plus the position of the next bit. Bits fill each
// byte from its most significant bit down.
struct BitWriter {
    std::vector<std::uint8_t> bytes;
    std::uint64_t bit = 0;  // bits written; bytes holds ceil(bit / 8) bytes
};

// Empties the writer, keeping its storage.
inline void bits_clear(BitWriter& w) {
    w.bytes.clear();
    w.bit = 0;
}
inline std::uint64_t bit_size(const BitWriter& w) {
    return w.bit;
}
inline std::size_t byte_size(const BitWriter& w) {
    return w.bytes.size();
}

// The low `count` (0..64) bits of value, most significant first.
void put_bits(BitWriter& w, std::uint64_t value, unsigned count);
// Overwrites 32 bits at bit position `at` with value as a raw long (RL).
void patch_rl(BitWriter& w, std::uint64_t at, std::uint32_t value);

inline void put_b(BitWriter& w, bool value) {
    put_bits(w, value ? 1 : 0, 1);
}
inline void put_bb(BitWriter& w, unsigned value) {
    put_bits(w, value & 3u, 2);
}
void put_rc(BitWriter& w, std::uint8_t value);
void put_rs(BitWriter& w, std::uint16_t value);  // little-endian
void put_rl(BitWriter& w, std::uint32_t value);  // little-endian
void put_rd(BitWriter& w, double value);         // IEEE, little-endian
// BS and BL keep the low 16 and 32 bits of value (signed or not).
void put_bs(BitWriter& w, int value);
void put_bl(BitWriter& w, std::int64_t value);
void put_bd(BitWriter& w, double value);
void put_2rd(BitWriter& w, const Point2& p);
void put_2bd(BitWriter& w, const Point2& p);
void put_3bd(BitWriter& w, const Point3& p);
void put_3rd(BitWriter& w, const Point3& p);
// Modular char (signed: the last byte carries the sign in 0x40).
void put_mc(BitWriter& w, std::int64_t value);
// Modular short (unsigned, 15 bits a word, words little-endian).
void put_ms(BitWriter& w, std::uint32_t value);
// Handle reference: code (0..15), then the value in as few bytes as it needs,
// most significant first. A zero value has no bytes.
void put_h(BitWriter& w, unsigned code, std::uint64_t handle_value);
// Text: BS length, then the bytes; an empty text is just the zero length.
// From R14 a text that is not empty carries its terminating zero (counted
// in the length), as AutoCAD writes it; R13 texts have none.
void put_tv(BitWriter& w, std::string_view text, int version);
// Colour (R13 to 2000): the index as a BS.
void put_cmc(BitWriter& w, std::int16_t colour_index);
// Extrusion: from 2000 one bit for (0,0,1), else 3BD.
void put_be(BitWriter& w, const Point3& extrusion, int version);
// Thickness: from 2000 one bit for 0.0, else BD.
void put_bt(BitWriter& w, double thickness, int version);
// A real that usually lies near default_value: 00 when it equals it (bit
// for bit), the short forms when only its low four or six bytes differ,
// else the whole real.
void put_dd(BitWriter& w, double value, double default_value);

// Bytes of another writer appended at the current bit position.
void put_writer(BitWriter& w, const BitWriter& other);

// CRC-16 (polynomial 0x8005, reflected) of the bytes, continuing from seed.
std::uint16_t dwg_crc(const std::uint8_t* data, std::size_t size, std::uint16_t seed);
// The seed of the header-variable, class and object-map sections and of
// every object.
constexpr std::uint16_t dwg_crc_seed = 0xC0C1;

}  // namespace penloom
