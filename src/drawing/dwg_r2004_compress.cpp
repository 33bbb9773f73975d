// The R2004 page compressor: a greedy match finder over hash chains of
// 3-byte prefixes within the page, and the encoder of the format's opcodes;
// plus the page checksum. In: page bytes. Out: compressed bytes, checksums.
#include "drawing/dwg_r2004_compress.h"

#include <algorithm>

namespace penloom {

std::uint32_t dwg_page_checksum(std::uint32_t seed, const std::uint8_t* data, std::size_t size) {
    std::uint32_t sum1 = seed & 0xFFFF, sum2 = seed >> 16;
    while (size > 0) {
        // 0x15B0 bytes keep both sums below 2^32 between the reductions.
        const std::size_t chunk = std::min<std::size_t>(size, 0x15B0);
        for (std::size_t i = 0; i < chunk; ++i) {
            sum1 += data[i];
            sum2 += sum1;
        }
        sum1 %= 0xFFF1;
        sum2 %= 0xFFF1;
        data += chunk;
        size -= chunk;
    }
    return (sum2 << 16) | (sum1 & 0xFFFF);
}

namespace {

constexpr std::size_t near_distance = 0x400;    // reach of the one-byte form
constexpr std::size_t middle_distance = 0x4000; // reach of the two-byte forms
constexpr std::size_t far_distance = 0xBFFF;    // reach of the 0x10 forms
constexpr std::size_t longest_match = 0xFFFF;

inline std::uint32_t hash3(const std::uint8_t* p) {
    const std::uint32_t v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                            (static_cast<std::uint32_t>(p[2]) << 16);
    return (v * 2654435761u) >> (32 - 15);
}

// A count beyond what the opcode holds: zero bytes for each 0xFF, then the
// rest (never zero).
void put_long_count(std::vector<std::uint8_t>& out, std::size_t v) {
    while (v > 0xFF) {
        out.push_back(0);
        v -= 0xFF;
    }
    out.push_back(static_cast<std::uint8_t>(v));
}

// A literal run of 4 or more bytes: 1..15 for 4..18, else 0 and a long count
// of the bytes beyond 18.
void put_literal_length(std::vector<std::uint8_t>& out, std::size_t n) {
    if (n <= 18) {
        out.push_back(static_cast<std::uint8_t>(n - 3));
        return;
    }
    out.push_back(0);
    put_long_count(out, n - 18);
}

// The two offset bytes of the 0x10..0x3F forms: the low 6 bits of the
// offset above the count of literals that follow, then the next 8 bits.
void put_two_byte_offset(std::vector<std::uint8_t>& out, std::size_t v, std::size_t literals) {
    out.push_back(static_cast<std::uint8_t>(((v & 0x3F) << 2) | literals));
    out.push_back(static_cast<std::uint8_t>(v >> 6));
}

// One match of length n at distance d, followed by `literals` (0..3) bytes
// the caller copies after it.
void put_match(std::vector<std::uint8_t>& out, std::size_t n, std::size_t d, std::size_t literals) {
    if (d <= near_distance && n <= 14) {
        out.push_back(static_cast<std::uint8_t>(((n + 1) << 4) | (((d - 1) & 3) << 2) | literals));
        out.push_back(static_cast<std::uint8_t>((d - 1) >> 2));
    } else if (d <= middle_distance) {
        if (n <= 33) {
            out.push_back(static_cast<std::uint8_t>(0x1E + n));
        } else {
            out.push_back(0x20);
            put_long_count(out, n - 0x21);
        }
        put_two_byte_offset(out, d - 1, literals);
    } else {
        std::size_t v = d - 0x4000;
        std::uint8_t high = 0;
        if (v > 0x3FFF) {
            v -= 0x4000;
            high = 8;
        }
        // n >= 4 here, so the opcode never reads as the terminator 0x11.
        if (n <= 9) {
            out.push_back(static_cast<std::uint8_t>(0x10 | high | (n - 2)));
        } else {
            out.push_back(static_cast<std::uint8_t>(0x10 | high));
            put_long_count(out, n - 9);
        }
        put_two_byte_offset(out, v, literals);
    }
}

}  // namespace

DwgLzCompressor::DwgLzCompressor() : head_(std::size_t{1} << hash_bits, -1) {}

void DwgLzCompressor::compress(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
    std::fill(head_.begin(), head_.end(), -1);
    if (chain_.size() < size)
        chain_.resize(size);
    out.reserve(out.size() + size / 2 + 16);

    bool have_match = false;
    std::size_t match_length = 0, match_distance = 0;
    std::size_t literal_start = 0;

    // The literal run [literal_start, end) goes out behind the match before
    // it (or as the first run).
    const auto put_run = [&](std::size_t end) {
        const std::size_t n = end - literal_start;
        if (have_match) {
            put_match(out, match_length, match_distance, n <= 3 ? n : 0);
            if (n > 3)
                put_literal_length(out, n);
        } else if (n > 0) {
            put_literal_length(out, n);
        }
        out.insert(out.end(), data + literal_start, data + end);
    };
    const auto insert = [&](std::size_t at) {
        const std::uint32_t h = hash3(data + at);
        chain_[at] = head_[h];
        head_[h] = static_cast<std::int32_t>(at);
    };

    std::size_t i = 0;
    // The first run can say no fewer than 4 literals.
    for (; i < 4 && i + 3 <= size; ++i)
        insert(i);
    i = std::min<std::size_t>(4, size);
    while (i + 3 <= size) {
        std::size_t best = 0, best_distance = 0;
        const std::size_t limit = std::min(size - i, longest_match);
        std::int32_t candidate = head_[hash3(data + i)];
        for (unsigned steps = 0; candidate >= 0 && steps < depth_; ++steps) {
            const std::size_t c = static_cast<std::size_t>(candidate);
            const std::size_t d = i - c;
            if (d > far_distance)
                break;
            if (data[c + best] == data[i + best] || best == 0) {
                std::size_t n = 0;
                while (n < limit && data[c + n] == data[i + n])
                    ++n;
                if (n > best && (n >= 4 || d <= near_distance)) {
                    best = n;
                    best_distance = d;
                    if (n == limit)
                        break;
                }
            }
            candidate = chain_[c];
        }
        if (best < 3) {
            insert(i);
            ++i;
            continue;
        }
        put_run(i);
        have_match = true;
        match_length = best;
        match_distance = best_distance;
        const std::size_t end = i + best;
        for (; i < end; ++i)
            if (i + 3 <= size)
                insert(i);
        literal_start = end;
    }
    put_run(size);
    out.push_back(0x11);
    out.push_back(0);
    out.push_back(0);
}

}  // namespace penloom
