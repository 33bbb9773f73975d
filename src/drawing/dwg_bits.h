// Bit-level coding of DWG (R13 to 2000) object and section data: a growable
// bit buffer written most significant bit first, the compressed number forms
// (BS, BL, BD, DD, MC, MS), handles, texts and the CRC of sections and
// objects. In: values. Out: bytes in a BitWriter, padded with zero bits to a
// whole byte when taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <string_view>
#include <vector>

#include "drawing/records.h"

namespace penloom {

// The bytes of a bit writer: a vector's interface over storage that only
// grows, so that a value is stored as one eight-byte word into room that is
// already there (the logical size then cut back), with no clearing or
// bounds work per value. Bytes appended by push_back, resize and insert are
// as a vector would make them.
class BitBytes {
public:
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::uint8_t* data() { return store_.data(); }
    const std::uint8_t* data() const { return store_.data(); }
    std::uint8_t* begin() { return store_.data(); }
    std::uint8_t* end() { return store_.data() + size_; }
    const std::uint8_t* begin() const { return store_.data(); }
    const std::uint8_t* end() const { return store_.data() + size_; }
    std::uint8_t& operator[](std::size_t i) { return store_[i]; }
    const std::uint8_t& operator[](std::size_t i) const { return store_[i]; }
    std::uint8_t& back() { return store_[size_ - 1]; }
    void clear() { size_ = 0; }
    void push_back(std::uint8_t byte) {
        make_room(size_ + 1);
        store_[size_++] = byte;
    }
    void resize(std::size_t n) {
        make_room(n);
        for (std::size_t i = size_; i < n; ++i) store_[i] = 0;
        size_ = n;
    }
    // Appends [first, last); `at` must be end().
    template <class Iterator>
    void insert(const std::uint8_t* at, Iterator first, Iterator last) {
        (void)at;
        for (; first != last; ++first) push_back(static_cast<std::uint8_t>(*first));
    }
    // Room for n bytes from the start, whatever they hold; the size stays.
    std::uint8_t* room(std::size_t n) {
        make_room(n);
        return store_.data();
    }
    void set_size(std::size_t n) { size_ = n; }
    bool operator==(const BitBytes& other) const {
        return size_ == other.size_ && std::equal(begin(), end(), other.begin());
    }

private:
    void make_room(std::size_t n) {
        if (n > store_.size()) store_.resize(std::max(n + 64, 2 * store_.size()));
    }
    std::vector<std::uint8_t> store_;
    std::size_t size_ = 0;
};

// Bytes written so far plus the position of the next bit. Bits fill each
// byte from its most significant bit down; the bits after the last written
// one are zero.
struct BitWriter {
    BitBytes bytes;
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
// A colour of a header variable, table record or object (CMC): from 2004 a
// zero index, the colour method and value as a long (0xC0 BYLAYER, 0xC1
// BYBLOCK, 0xC3 an index) and a byte saying no names follow; before, the
// index (put_cmc above). An entity's own colour keeps the index form.
void put_cmc(BitWriter& w, std::int16_t colour_index, int version);
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
