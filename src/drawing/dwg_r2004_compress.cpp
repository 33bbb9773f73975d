// The R2004 page compressor: a greedy match finder over a hash table (and,
// with a search depth above 1, hash chains) of 4-byte prefixes within the
// page, stepping faster over stretches without matches, and the encoder of the format's opcodes;
// plus the page checksum. In: page bytes. Out: compressed bytes, checksums.
#include "drawing/dwg_r2004_compress.h"

#include <algorithm>
#include <bit>
#include <cstring>

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

constexpr std::size_t near_distance = 0x400;     // reach of the one-byte form
constexpr std::size_t middle_distance = 0x4000;  // reach of the two-byte forms
constexpr std::size_t far_distance = 0xBFFF;     // reach of the 0x10 forms
constexpr std::size_t longest_match = 0xFFFF;

// Output into room made beforehand (see the bound in compress).
struct Emit {
    std::uint8_t* p;
    void byte(std::size_t v) { *p++ = static_cast<std::uint8_t>(v); }
    void copy(const std::uint8_t* from, std::size_t n) {
        std::memcpy(p, from, n);
        p += n;
    }
};

inline std::uint32_t load32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline std::uint64_t load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

inline std::uint32_t hash4(std::uint32_t v) {
    return (v * 2654435761u) >> (32 - DwgLzCompressor::hash_bits);
}

// A count beyond what the opcode holds: zero bytes for each 0xFF, then the
// rest (never zero).
void put_long_count(Emit& out, std::size_t v) {
    while (v > 0xFF) {
        out.byte(0);
        v -= 0xFF;
    }
    out.byte(v);
}

// A literal run of 4 or more bytes: 1..15 for 4..18, else 0 and a long count
// of the bytes beyond 18.
void put_literal_length(Emit& out, std::size_t n) {
    if (n <= 18) {
        out.byte(n - 3);
        return;
    }
    out.byte(0);
    put_long_count(out, n - 18);
}

// The two offset bytes of the 0x10..0x3F forms: the low 6 bits of the
// offset above the count of literals that follow, then the next 8 bits.
void put_two_byte_offset(Emit& out, std::size_t v, std::size_t literals) {
    out.byte(((v & 0x3F) << 2) | literals);
    out.byte(v >> 6);
}

// One match of length n at distance d, followed by `literals` (0..3) bytes
// the caller copies after it.
void put_match(Emit& out, std::size_t n, std::size_t d, std::size_t literals) {
    if (d <= near_distance && n <= 14) {
        out.byte(((n + 1) << 4) | (((d - 1) & 3) << 2) | literals);
        out.byte((d - 1) >> 2);
    } else if (d <= middle_distance) {
        if (n <= 33) {
            out.byte(0x1E + n);
        } else {
            out.byte(0x20);
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
            out.byte(0x10 | high | (n - 2));
        } else {
            out.byte(0x10 | high);
            put_long_count(out, n - 9);
        }
        put_two_byte_offset(out, v, literals);
    }
}

}  // namespace

DwgLzCompressor::DwgLzCompressor() : head_(std::size_t{1} << hash_bits, -1) {}

void DwgLzCompressor::compress(const std::uint8_t* data, std::size_t size,
                               std::vector<std::uint8_t>& out) {
    std::fill(head_.begin(), head_.end(), -1);
    const bool chains = depth_ > 1;
    if (chains && chain_.size() < size) chain_.resize(size);
    // The most the stream can take: every byte a literal, each run's length
    // bytes (a run longer than 18 follows a match that saved at least one
    // byte) and the terminator.
    const std::size_t base = out.size();
    out.resize(base + size + size / 16 + 64);
    Emit e{out.data() + base};

    bool have_match = false;
    std::size_t match_length = 0, match_distance = 0;
    std::size_t literal_start = 0;

    // The literal run [literal_start, end) goes out behind the match before
    // it (or as the first run).
    const auto put_run = [&](std::size_t end) {
        const std::size_t n = end - literal_start;
        if (have_match) {
            put_match(e, match_length, match_distance, n <= 3 ? n : 0);
            if (n > 3) put_literal_length(e, n);
        } else if (n > 0) {
            put_literal_length(e, n);
        }
        e.copy(data + literal_start, n);
    };
    // Files position `at` under its 4-byte prefix; returns the position
    // filed there before (-1: none).
    std::int32_t* const head = head_.data();
    std::int32_t* const chain = chains ? chain_.data() : nullptr;
    const auto insert = [head, chain, data](std::size_t at) {
        const std::uint32_t h = hash4(load32(data + at));
        const std::int32_t before = head[h];
        if (chain != nullptr) chain[at] = before;
        head[h] = static_cast<std::int32_t>(at);
        return before;
    };

    // The first run can say no fewer than 4 literals, so matching starts at 4.
    if (size >= 8) insert(0);
    std::size_t i = std::min<std::size_t>(4, size);
    std::size_t misses = 0;
    while (i + 4 <= size) {
        const std::uint32_t here = load32(data + i);
        std::int32_t candidate = insert(i);
        std::size_t best = 0, best_distance = 0;
        const std::size_t limit = std::min(size - i, longest_match);
        for (unsigned steps = 0; candidate >= 0 && steps < depth_; ++steps) {
            const std::size_t c = static_cast<std::size_t>(candidate);
            const std::size_t d = i - c;
            if (d > far_distance) break;
            if (load32(data + c) == here && (best < 4 || data[c + best] == data[i + best])) {
                std::size_t n = 4;
                // Eight bytes a step (on little-endian machines the lowest
                // set bit is the first byte that differs), then one at a time.
                while (std::endian::native == std::endian::little && n + 8 <= limit) {
                    const std::uint64_t x = load64(data + c + n) ^ load64(data + i + n);
                    if (x != 0) {
                        n += static_cast<std::size_t>(__builtin_ctzll(x) >> 3);
                        break;
                    }
                    n += 8;
                }
                while (n < limit && data[c + n] == data[i + n]) ++n;
                if (n > best) {
                    best = n;
                    best_distance = d;
                    if (n == limit) break;
                }
            }
            if (chain == nullptr) break;
            candidate = chain[c];
        }
        if (best < 4) {
            // Where nothing matches for a while, look at fewer positions.
            ++misses;
            i += 1 + (misses >> 5);
            continue;
        }
        misses = 0;
        put_run(i);
        have_match = true;
        match_length = best;
        match_distance = best_distance;
        const std::size_t end = i + best;
        // File the positions inside a short match; of a long one its last few.
        std::size_t from = best <= 16 ? i + 1 : end - 3;
        for (; from < end && from + 4 <= size; ++from) insert(from);
        i = end;
        literal_start = end;
    }
    put_run(size);
    e.byte(0x11);
    e.byte(0);
    e.byte(0);
    out.resize(static_cast<std::size_t>(e.p - out.data()));
}

}  // namespace penloom
