// The frame checks every release 12 DWG written under fuzzing must pass: the
// magic, the header CRC, the sentinels around the entities section, the ten
// tables, the block entities and the extras (each begin sentinel right after
// the end sentinel before it), every table record's and every entity's CRC
// with its size inside its section, and the closing header's size and CRC at
// the end of the file. The read-back in tests/dwg checks more (each entity
// kind field by field, indexes, handles, the closing copy of the addresses).
// A failed check traps through fail().
#pragma once

#include <cstdint>
#include <string_view>

#include "dwg_frame_check.h"

namespace penloom_fuzz {

inline void check_dwg_r12_records(std::string_view d, std::size_t start, std::size_t end,
                                  std::size_t fixed, const char* what) {
    for (std::size_t at = start; at < end;) {
        const std::size_t size = fixed ? fixed : dwg_le(d, at + 2, 2);
        if (size < 4 || at + size > end) fail("DWG R12: a record runs past its section", what);
        if (dwg_crc(d.substr(at, size - 2), 0xC0C1) != dwg_le(d, at + size - 2, 2))
            fail("DWG R12: record CRC", what);
        at += size;
    }
}

inline void check_dwg_r12(std::string_view d) {
    using namespace std::string_view_literals;
    static constexpr std::string_view begin_end[14][2] = {
        {"\xC4\x6E\x68\x54\xF8\x6E\x33\x30\x63\x3E\xC1\x85\x2A\xDC\x94\x01"sv,
         "\x3B\x91\x97\xAB\x07\x91\xCC\xCF\x9C\xC1\x3E\x7A\xD5\x23\x6B\xFE"sv},
        {"\xDB\xEF\xB3\xF0\xC7\x3E\x6D\xA6\xC9\xB6\x24\x5C\x4C\x6F\x32\xCB"sv,
         "\x24\x10\x4C\x0F\x38\xC1\x92\x59\x36\x49\xDB\xA3\xB3\x90\xCD\x34"sv},
        {"\x0E\xC4\x64\x6F\xBB\x1D\xD3\x8B\x00\x49\xC2\xEF\x18\xEA\x6F\xFB"sv,
         "\xF1\x3B\x9B\x90\x44\xE2\x2C\x74\xFF\xB6\x3D\x10\xE7\x15\x90\x04"sv},
        {"\xE2\x3E\xC1\x82\x43\x9F\x61\x77\x50\xAB\xC7\x66\x96\x00\x06\x18"sv,
         "\x1D\xC1\x3E\x7D\xBC\x60\x9E\x88\xAF\x54\x38\x99\x69\xFF\xF9\xE7"sv},
        {"\xAC\x90\x1A\xCA\x1C\xBD\x95\x15\x16\x16\x4C\x14\xCE\x18\x88\xAF"sv,
         "\x53\x6F\xE5\x35\xE3\x42\x6A\xEA\xE9\xE9\xB3\xEB\x31\xE7\x77\x50"sv},
        {"\xC1\x3C\xAA\x56\x68\xF4\xB4\x1E\x4B\x74\xF4\x08\x42\x4D\xBF\xA5"sv,
         "\x3E\xC3\x55\xA9\x97\x0B\x4B\xE1\xB4\x8B\x0B\xF7\xBD\xB2\x40\x5A"sv},
        {"\x60\x4A\xFA\x3D\x84\x90\xCC\x5B\xEF\xE7\xD6\xA5\x7F\x1E\x61\xCD"sv,
         "\x9F\xB5\x05\xC2\x7B\x6F\x33\xA4\x10\x18\x29\x5A\x80\xE1\x9E\x32"sv},
        {"\xF6\xED\x44\x61\x2A\xDC\xE4\x7B\x4E\xB9\x2B\xBB\x66\x60\x63\x8D"sv,
         "\x09\x12\xBB\x9E\xD5\x23\x1B\x84\xB1\x46\xD4\x44\x99\x9F\x9C\x72"sv},
        {"\xE1\x25\xC2\x50\x36\x68\x6C\x0C\x3B\xD3\x5D\x56\xC1\x79\x1C\x3A"sv,
         "\x1E\xDA\x3D\xAF\xC9\x97\x93\xF3\xC4\x2C\xA2\xA9\x3E\x86\xE3\xC5"sv},
        {"\xB4\x18\x3E\x42\xC9\x9F\xFF\xE5\xB6\xE2\xCB\xB3\x75\xC3\xC3\xB0"sv,
         "\x4B\xE7\xC1\xBD\x36\x60\x00\x1A\x49\x1D\x34\x4C\x8A\x3C\x3C\x4F"sv},
        {"\xE0\xCA\x36\x7C\xCE\xE7\x58\x6F\x2B\x7D\x74\x55\x05\xF1\x44\x7F"sv,
         "\x1F\x35\xC9\x83\x31\x18\xA7\x90\xD4\x82\x8B\xAA\xFA\x0E\xBB\x80"sv},
        {"\x72\x2B\x7D\xEC\x3E\x8C\x88\x6C\x7A\x72\x0A\xFD\xC8\x6C\x84\x26"sv,
         "\x8D\xD4\x82\x13\xC1\x73\x77\x93\x85\x8D\xF5\x02\x37\x93\x7B\xD9"sv},
        {"\xD5\xF9\xD3\xBB\x0A\xA9\x69\xA6\xCD\x1C\x87\xC7\xEE\x80\x4B\x17"sv,
         "\x2A\x06\x2C\x44\xF5\x56\x96\x59\x32\xE3\x78\x38\x11\x7F\xB4\xE8"sv},
        {"\x29\x8D\xD1\x49\xA9\x73\x1F\xEA\x99\xDE\x32\xF9\x4D\x0A\xE0\x19"sv,
         "\xD6\x72\x2E\xB6\x56\x8C\xE0\x15\x66\x21\xCD\x06\xB2\xF5\x1F\xE6"sv},
    };
    // Where the ten table descriptors lie (record size, count, flags, address).
    static constexpr std::size_t descriptors[10] = {0x2C,  0x36,  0x40,  0x4A,  0x54,
                                                    0x3EF, 0x500, 0x512, 0x522, 0x69F};
    if (d.substr(0, 6) != "AC1009"sv) fail("DWG R12: magic", d.substr(0, 6));
    constexpr std::size_t header_end = 0x6BD;
    if (dwg_crc(d.substr(0, header_end), 0xC0C1) != dwg_le(d, header_end, 2))
        fail("DWG R12: header CRC");
    std::size_t starts[13], ends[13], fixed[13] = {};
    starts[0] = dwg_le(d, 0x14, 4), ends[0] = dwg_le(d, 0x18, 4);
    for (int t = 0; t < 10; ++t) {
        fixed[t + 1] = dwg_le(d, descriptors[t], 2);
        starts[t + 1] = dwg_le(d, descriptors[t] + 6, 4);
        ends[t + 1] = starts[t + 1] + fixed[t + 1] * dwg_le(d, descriptors[t] + 2, 2);
    }
    starts[11] = dwg_le(d, 0x1C, 4), ends[11] = starts[11] + (dwg_le(d, 0x20, 4) & 0x3FFFFFFF);
    starts[12] = dwg_le(d, 0x24, 4), ends[12] = starts[12] + (dwg_le(d, 0x28, 4) & 0x3FFFFFFF);
    std::size_t previous = header_end + 2;
    for (int s = 0; s < 13; ++s) {
        if (starts[s] != previous + 16 || ends[s] < starts[s] || ends[s] + 16 > d.size())
            fail("DWG R12: a section out of place");
        if (d.substr(starts[s] - 16, 16) != begin_end[s][0] ||
            d.substr(ends[s], 16) != begin_end[s][1])
            fail("DWG R12: a section sentinel");
        check_dwg_r12_records(d, starts[s], ends[s], fixed[s], "section");
        previous = ends[s] + 16;
    }
    if (d.substr(previous, 16) != begin_end[13][0]) fail("DWG R12: closing header sentinel");
    const std::size_t size = dwg_le(d, previous + 18, 2);
    if (previous + 16 + size + 16 != d.size()) fail("DWG R12: closing header size");
    if (dwg_crc(d.substr(previous + 16, size - 2), 0xC0C1) !=
        dwg_le(d, previous + 16 + size - 2, 2))
        fail("DWG R12: closing header CRC");
    if (d.substr(d.size() - 16) != begin_end[13][1]) fail("DWG R12: closing header end sentinel");
}

}  // namespace penloom_fuzz
