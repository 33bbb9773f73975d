// Frame checks of a 2004 DWG (AC1018) for the fuzz targets: the encrypted
// header block and its CRC-32, the page map and section map pages (their
// checksums and decompression), every data page's checksums and its
// decompression to the section's page size, then the header variables and
// classes frames and the object map against the objects, as dwg_frame_check.h
// does for R13 to 2000. Any failure calls fail().
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "dwg_frame_check.h"

namespace penloom_fuzz {

inline std::uint32_t dwg2004_checksum(std::uint32_t seed, std::string_view bytes) {
    std::uint32_t sum1 = seed & 0xFFFF, sum2 = seed >> 16;
    for (std::size_t at = 0; at < bytes.size(); at += 0x15B0) {
        const std::size_t end = std::min(bytes.size(), at + 0x15B0);
        for (std::size_t i = at; i < end; ++i) {
            sum1 += static_cast<unsigned char>(bytes[i]);
            sum2 += sum1;
        }
        sum1 %= 0xFFF1;
        sum2 %= 0xFFF1;
    }
    return (sum2 << 16) | (sum1 & 0xFFFF);
}

// One compressed page decoded into exactly `size` bytes.
inline std::string dwg2004_decompress(std::string_view src, std::size_t size) {
    std::string out;
    std::size_t pos = 0;
    const auto next = [&]() -> unsigned {
        if (pos >= src.size()) fail("DWG 2004: compressed data ends without its terminator");
        return static_cast<unsigned char>(src[pos++]);
    };
    const auto long_count = [&]() {
        std::size_t n = 0;
        unsigned b = next();
        for (; b == 0; b = next()) n += 0xFF;
        return n + b;
    };
    const auto literals = [&](std::size_t n) {
        if (pos + n > src.size() || out.size() + n > size) fail("DWG 2004: literal run out of bounds");
        out.append(src.substr(pos, n));
        pos += n;
    };
    unsigned op = next();
    if (op < 0x10) {
        literals(op != 0 ? op + 3 : long_count() + 18);
        op = next();
    }
    while (op != 0x11) {
        std::size_t n = 0, distance = 0, follow = 0;
        if (op < 0x10) fail("DWG 2004: a literal length where an opcode was due");
        if (op < 0x40) {
            if (op < 0x20)
                n = (op & 7) == 0 ? long_count() + 9 : (op & 7) + 2;
            else
                n = op == 0x20 ? long_count() + 0x21 : op - 0x1E;
            const unsigned a = next(), b = next();
            distance = ((a >> 2) | (b << 6)) + (op < 0x20 ? 0x4000 + ((op & 8u) << 11) : 1);
            follow = a & 3;
        } else {
            n = (op >> 4) - 1;
            const unsigned b = next();
            distance = ((b << 2) | ((op & 0x0C) >> 2)) + 1;
            follow = op & 3;
        }
        if (distance > out.size() || out.size() + n > size) fail("DWG 2004: a match out of bounds");
        for (std::size_t i = 0; i < n; ++i) out.push_back(out[out.size() - distance]);
        if (follow != 0) {
            literals(follow);
            op = next();
        } else {
            op = next();
            if (op < 0x10) {
                literals(op != 0 ? op + 3 : long_count() + 18);
                op = next();
            }
        }
    }
    if (out.size() != size) fail("DWG 2004: a page decompresses to another size");
    return out;
}

// A map page: 20-byte header, its checksum, its decompressed data.
inline std::string dwg2004_system_page(std::string_view d, std::size_t at, std::uint32_t type) {
    if (dwg_le(d, at, 4) != type) fail("DWG 2004: map page of another type");
    const std::size_t size = dwg_le(d, at + 4, 4), packed = dwg_le(d, at + 8, 4);
    if (at + 20 + packed > d.size()) fail("DWG 2004: map page past the end");
    std::string head(d.substr(at, 16));
    head.append(4, '\0');
    if (dwg2004_checksum(dwg2004_checksum(0, head), d.substr(at + 20, packed)) != dwg_le(d, at + 16, 4))
        fail("DWG 2004: map page checksum");
    return dwg2004_decompress(d.substr(at + 20, packed), size);
}

inline void check_dwg2004(std::string_view d) {
    using namespace std::string_view_literals;
    if (d.substr(0, 6) != "AC1018"sv || d.size() < 0x100) fail("DWG 2004: magic or size");
    std::string block(0x6C, '\0');
    std::uint32_t seed = 1;
    for (std::size_t i = 0; i < block.size(); ++i) {
        seed = seed * 0x343FD + 0x269EC3;
        block[i] = static_cast<char>(d[0x80 + i] ^ static_cast<char>(seed >> 16));
    }
    if (block.compare(0, 12, "AcFssFcAJMB\0"sv) != 0) fail("DWG 2004: header block id");
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < 0x6C; ++i) {
        crc ^= i < 0x68 ? static_cast<unsigned char>(block[i]) : 0u;
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    if ((crc ^ 0xFFFFFFFFu) != dwg_le(block, 0x68, 4)) fail("DWG 2004: header block CRC");

    const std::string pages_raw =
        dwg2004_system_page(d, dwg_le(block, 0x54, 4) + std::size_t{0x100}, 0x41630E3B);
    std::map<std::uint32_t, std::size_t> address;
    std::size_t at = 0x100;
    for (std::size_t i = 0; i + 8 <= pages_raw.size(); i += 8) {
        address[dwg_le(pages_raw, i, 4)] = at;
        at += dwg_le(pages_raw, i + 4, 4);
    }
    if (at - 0x100 != dwg_le(block, 0x2C, 4)) fail("DWG 2004: pages end elsewhere than the header says");
    const auto page_at = [&](std::uint32_t id) {
        const auto it = address.find(id);
        if (it == address.end()) fail("DWG 2004: a page missing from the page map");
        return it->second;
    };
    const std::string sections = dwg2004_system_page(d, page_at(dwg_le(block, 0x5C, 4)), 0x4163003B);

    std::map<std::string, std::string> data;
    std::size_t p = 20;
    for (std::uint32_t s = 0, count = dwg_le(sections, 0, 4); s < count; ++s) {
        if (p + 96 > sections.size()) fail("DWG 2004: section map ends inside a description");
        const std::size_t size = dwg_le(sections, p, 4);
        const std::uint32_t pages = dwg_le(sections, p + 8, 4), page_size = dwg_le(sections, p + 12, 4);
        const bool compressed = dwg_le(sections, p + 20, 4) == 2;
        const std::uint32_t number = dwg_le(sections, p + 24, 4);
        const std::string name(sections.c_str() + p + 32);
        p += 96;
        std::string& out = data[name];
        for (std::uint32_t k = 0; k < pages; ++k, p += 16) {
            if (p + 16 > sections.size()) fail("DWG 2004: section map ends inside a page list");
            const std::size_t page = page_at(dwg_le(sections, p, 4));
            const std::size_t packed = dwg_le(sections, p + 4, 4), start = dwg_le(sections, p + 8, 4);
            if (page + 32 + packed > d.size()) fail("DWG 2004: data page past the end");
            const std::uint32_t mask = 0x4164536Bu ^ static_cast<std::uint32_t>(page);
            std::string head;
            std::uint32_t fields[8];
            for (int i = 0; i < 8; ++i) fields[i] = dwg_le(d, page + 4 * i, 4) ^ mask;
            if (fields[0] != 0x4163043B || fields[1] != number || fields[2] != packed || fields[4] != start)
                fail("DWG 2004: data page header");
            const std::string_view src = d.substr(page + 32, packed);
            const std::uint32_t data_sum = dwg2004_checksum(0, src);
            if (data_sum != fields[7]) fail("DWG 2004: data page checksum");
            fields[6] = 0;
            for (std::uint32_t f : fields)
                for (int i = 0; i < 4; ++i) head.push_back(static_cast<char>(f >> (8 * i)));
            if (dwg2004_checksum(data_sum, head) != (dwg_le(d, page + 24, 4) ^ mask))
                fail("DWG 2004: data page header checksum");
            // Pages of zeros may be left out (AutoCAD does so).
            if (start < out.size()) fail("DWG 2004: a section's pages overlap");
            out.resize(start, '\0');
            out += compressed ? dwg2004_decompress(src, page_size) : std::string(src);
        }
        out.resize(size, '\0');
    }

    const std::string& header = data["AcDb:Header"];
    const std::string& classes = data["AcDb:Classes"];
    const std::string& map = data["AcDb:Handles"];
    const std::string& objects = data["AcDb:AcDbObjects"];
    check_dwg_section(header, 0, "\xCF\x7B\x1F\x23\xFD\xDE\x38\xA9\x5F\x7C\x68\xB8\x4E\x6D\x33\x5F"sv,
                      "\x30\x84\xE0\xDC\x02\x21\xC7\x56\xA0\x83\x97\x47\xB1\x92\xCC\xA0"sv, "header variables");
    check_dwg_section(classes, 0, "\x8D\xA1\xC4\xB8\xC4\xA9\xF8\xC5\xC0\xDC\xF4\x5F\xE7\xCF\xB6\x8A"sv,
                      "\x72\x5E\x3B\x47\x3B\x56\x07\x3A\x3F\x23\x0B\xA0\x18\x30\x49\x75"sv, "classes");
    if (dwg_le(objects, 0, 4) != 0x0DCA) fail("DWG 2004: objects do not start with 0x0DCA");
    long long previous = 0;
    for (std::size_t page = 0;;) {
        const std::size_t length = dwg_be16(map, page);
        if (length < 2) fail("DWG 2004: object map page shorter than its size");
        if (dwg_crc(std::string_view(map).substr(page, length), 0xC0C1) != dwg_be16(map, page + length))
            fail("DWG 2004: object map page CRC");
        if (length == 2) break;
        long long handle = 0, offset = 0;
        for (std::size_t q = page + 2; q < page + length;) {
            handle += dwg_modular_char(map, q, false);
            offset += dwg_modular_char(map, q, true);
            if (handle <= previous) fail("DWG 2004: handles not ascending in the object map");
            previous = handle;
            if (offset < 4 || offset >= static_cast<long long>(objects.size()))
                fail("DWG 2004: object offset outside the objects");
            std::size_t at_object = static_cast<std::size_t>(offset), object_size = 0;
            for (int shift = 0;; shift += 15) {
                const std::uint32_t word = dwg_le(objects, at_object, 2);
                at_object += 2;
                object_size |= static_cast<std::size_t>(word & 0x7FFF) << shift;
                if (!(word & 0x8000)) break;
                if (shift > 45) fail("DWG 2004: object size runs on");
            }
            if (at_object + object_size + 2 > objects.size()) fail("DWG 2004: object runs past the objects");
            const std::size_t start = static_cast<std::size_t>(offset);
            if (dwg_crc(std::string_view(objects).substr(start, at_object + object_size - start), 0xC0C1) !=
                dwg_le(objects, at_object + object_size, 2))
                fail("DWG 2004: object CRC");
        }
        page += length + 2;
    }
}

}  // namespace penloom_fuzz
