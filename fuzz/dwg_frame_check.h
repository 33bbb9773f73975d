// The frame checks every DWG written under fuzzing must pass (R13, R14,
// 2000): the magic of the release asked for, the section locators inside the
// file and their CRC, the sentinel after them, the header-variable and class
// sections' sentinels and CRCs, and the object map: every page's CRC, handles
// ascending, every offset inside the object area on an object whose size
// stays there and whose CRC holds. The read-back in tests/dwg checks more (the
// objects' own handles, classes, the second header); this is what a fuzzing
// run can afford per input. A failed check traps through fail().
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"

namespace penloom_fuzz {

inline std::uint16_t dwg_crc(std::string_view bytes, std::uint16_t seed) {
    static const std::array<std::uint16_t, 256> table = [] {
        std::array<std::uint16_t, 256> t{};
        for (unsigned n = 0; n < 256; ++n) {
            unsigned c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xA001 : c >> 1;
            t[n] = static_cast<std::uint16_t>(c);
        }
        return t;
    }();
    unsigned c = seed;
    for (const char b : bytes) c = (c >> 8) ^ table[(c ^ static_cast<unsigned char>(b)) & 0xFF];
    return static_cast<std::uint16_t>(c);
}

inline std::uint32_t dwg_le(std::string_view d, std::size_t at, int width) {
    if (at + static_cast<std::size_t>(width) > d.size())
        fail("DWG: a value past the end of the file");
    std::uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(d[at + static_cast<std::size_t>(i)]);
    return v;
}

inline std::uint32_t dwg_be16(std::string_view d, std::size_t at) {
    if (at + 2 > d.size()) fail("DWG: a map page past the end of the file");
    return (static_cast<unsigned char>(d[at]) << 8) | static_cast<unsigned char>(d[at + 1]);
}

inline long long dwg_modular_char(std::string_view d, std::size_t& at, bool signed_value) {
    long long value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (at >= d.size()) break;
        const unsigned char b = static_cast<unsigned char>(d[at++]);
        if (b & 0x80) {
            value |= static_cast<long long>(b & 0x7F) << shift;
            continue;
        }
        if (signed_value) {
            value |= static_cast<long long>(b & 0x3F) << shift;
            return (b & 0x40) ? -value : value;
        }
        return value | (static_cast<long long>(b) << shift);
    }
    fail("DWG: a modular char of the object map runs on");
}

// The framed section at `address`: start sentinel, RL size, data, RS CRC, end sentinel.
inline void check_dwg_section(std::string_view d, std::size_t address, std::string_view start,
                              std::string_view end, const char* name) {
    if (d.substr(address, 16) != start) fail("DWG: start sentinel missing", name);
    const std::size_t size = dwg_le(d, address + 16, 4);
    if (address + 20 + size + 18 > d.size()) fail("DWG: section runs past the end", name);
    if (dwg_crc(d.substr(address + 16, size + 4), 0xC0C1) != dwg_le(d, address + 20 + size, 2))
        fail("DWG: section CRC", name);
    if (d.substr(address + 22 + size, 16) != end) fail("DWG: end sentinel missing", name);
}

inline void check_dwg(std::string_view d, std::string_view magic) {
    using namespace std::string_view_literals;
    if (d.substr(0, 6) != magic) fail("DWG: magic of another release", d.substr(0, 6));
    const std::uint32_t count = dwg_le(d, 0x15, 4);
    if (count < 3 || count > 6) fail("DWG: locator record count");
    const std::size_t end = 0x19 + 9 * count;
    static constexpr std::uint16_t xor_by_count[] = {0, 0, 0, 0xA598, 0x8101, 0x3CC4, 0x8461};
    if ((dwg_crc(d.substr(0, end), 0) ^ xor_by_count[count]) != dwg_le(d, end, 2))
        fail("DWG: file header CRC");
    if (d.substr(end + 2, 16) !=
        "\x95\xA0\x4E\x28\x99\x82\x1A\xE5\x5E\x41\xE0\x5F\x9D\x3A\x4D\x00"sv)
        fail("DWG: file header sentinel");
    std::size_t address[3], size[3];
    for (std::size_t i = 0; i < 3; ++i) {
        address[i] = dwg_le(d, 0x19 + 9 * i + 1, 4);
        size[i] = dwg_le(d, 0x19 + 9 * i + 5, 4);
        if (address[i] + size[i] > d.size()) fail("DWG: locator record past the end of the file");
    }
    check_dwg_section(
        d, address[0], "\xCF\x7B\x1F\x23\xFD\xDE\x38\xA9\x5F\x7C\x68\xB8\x4E\x6D\x33\x5F"sv,
        "\x30\x84\xE0\xDC\x02\x21\xC7\x56\xA0\x83\x97\x47\xB1\x92\xCC\xA0"sv, "header variables");
    check_dwg_section(
        d, address[1], "\x8D\xA1\xC4\xB8\xC4\xA9\xF8\xC5\xC0\xDC\xF4\x5F\xE7\xCF\xB6\x8A"sv,
        "\x72\x5E\x3B\x47\x3B\x56\x07\x3A\x3F\x23\x0B\xA0\x18\x30\x49\x75"sv, "classes");
    const std::size_t low = end + 18, high = address[2];
    long long previous = 0;
    for (std::size_t page = address[2];;) {
        const std::size_t length = dwg_be16(d, page);
        if (length < 2) fail("DWG: object map page shorter than its size");
        if (dwg_crc(d.substr(page, length), 0xC0C1) != dwg_be16(d, page + length))
            fail("DWG: object map page CRC");
        if (length == 2) break;
        long long handle = 0, offset = 0;
        for (std::size_t at = page + 2; at < page + length;) {
            handle += dwg_modular_char(d, at, false);
            offset += dwg_modular_char(d, at, true);
            if (handle <= previous) fail("DWG: handles not ascending in the object map");
            previous = handle;
            if (offset < static_cast<long long>(low) || offset >= static_cast<long long>(high))
                fail("DWG: object offset outside the object area");
            std::size_t at_object = static_cast<std::size_t>(offset), object_size = 0;
            for (int shift = 0;; shift += 15) {
                const std::uint32_t word = dwg_le(d, at_object, 2);
                at_object += 2;
                object_size |= static_cast<std::size_t>(word & 0x7FFF) << shift;
                if (!(word & 0x8000)) break;
                if (shift > 45) fail("DWG: object size runs on");
            }
            if (at_object + object_size + 2 > high) fail("DWG: object runs past the object area");
            const std::size_t start = static_cast<std::size_t>(offset);
            if (dwg_crc(d.substr(start, at_object + object_size - start), 0xC0C1) !=
                dwg_le(d, at_object + object_size, 2))
                fail("DWG: object CRC");
        }
        page += length + 2;
    }
}

}  // namespace penloom_fuzz
