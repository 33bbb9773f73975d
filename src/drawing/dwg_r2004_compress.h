// The R2004 DWG page compression (an LZ77 variant with byte-aligned
// opcodes) and the page checksum. In: one page's bytes (at most 0x7400 for
// data pages, a few kilobytes for the maps). Out: the compressed stream,
// ending with its terminating opcode, and 32-bit checksums.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace penloom {

// The checksum of section pages (two running sums modulo 0xFFF1, like
// Adler-32, but started from seed: low half the first sum, high half the
// second).
std::uint32_t dwg_page_checksum(std::uint32_t seed, const std::uint8_t* data, std::size_t size);

// A compressor that keeps its match tables between pages, so a save
// allocates them once.
//
// The stream: an optional first literal run (at least 4 bytes), then
// matches, each followed by 0 to 3 literals carried in its own bits or by a
// longer literal run with its own length, and the terminator 0x11 0x00 0x00.
// Match forms (length n, distance d):
//   0x40..0xFF  one more byte        n 3..14,  d 1..0x400
//   0x21..0x3F  two more bytes       n 3..33,  d 1..0x4000
//   0x20        long length, two     n 34..,   d 1..0x4000
//   0x12..0x1F  two more bytes       n 4..9,   d 0x4001..0xBFFF
//   0x10, 0x18  long length, two     n 10..,   d 0x4001..0xBFFF
// (the far forms: bit 3 of the opcode adds 0x4000 to the distance, the two
// bytes give the rest above 0x4000).
class DwgLzCompressor {
   public:
    DwgLzCompressor();

    // Appends the compressed form of data[0, size) to out. size must be 0 or
    // at least 4 (the format has no way to say a shorter first literal run;
    // pages are padded to their full size, so it never comes up).
    void compress(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out);

    // How many candidate positions a match search looks at (speed against
    // ratio); 1 by default (the last position with the same 4-byte prefix).
    void set_search_depth(unsigned depth) { depth_ = depth == 0 ? 1 : depth; }

    static constexpr unsigned hash_bits = 14;

   private:
    std::vector<std::int32_t> head_;   // per hash: the last position seen, -1 none
    std::vector<std::int32_t> chain_;  // per position: the previous one with its hash
    unsigned depth_ = 1;
};

}  // namespace penloom
