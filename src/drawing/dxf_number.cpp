// Number texts of the DXF writer (see dxf_number.h).
#include "drawing/dxf_number.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace penloom {

namespace {

// Upper-cases the letters to_chars writes in lower case ("e", "inf", "nan"),
// as "%E" prints them.
void upper_case(char* first, char* last) {
    for (; first != last; ++first)
        if (*first >= 'a' && *first <= 'z')
            *first = static_cast<char>(*first - 'a' + 'A');
}

// Texts of 0..999 right-aligned in four characters, for the usual small
// values (flags, colours, lineweights) in fields of four or more.
struct SmallIntegers {
    char text[1000][4];
    constexpr SmallIntegers() : text{} {
        for (int v = 0; v < 1000; ++v) {
            text[v][0] = ' ';
            text[v][1] = v >= 100 ? static_cast<char>('0' + v / 100) : ' ';
            text[v][2] = v >= 10 ? static_cast<char>('0' + v / 10 % 10) : ' ';
            text[v][3] = static_cast<char>('0' + v % 10);
        }
    }
};
constexpr SmallIntegers small_integers;

// "%<width>ld": the decimal digits of value right-aligned in a field of
// `width` (at most number_buffer_size - 21) with spaces in front. Small
// values come from the table above. Others are written down from the middle
// of a scratch array that starts as spaces 16 places before that point and
// beyond it, so a field of up to 16 characters is one fixed-size copy (the
// bytes copied past it are not counted).
std::size_t put_aligned_integer(char* buf, long value, std::size_t width) {
    if (value >= 0 && value < 1000 && width >= 4 && width <= 16) {
        std::memcpy(buf, "                ", 16);
        std::memcpy(buf + width - 4, small_integers.text[value], 4);
        return width;
    }
    char scratch[40];
    char* const end = scratch + 24;
    std::memcpy(scratch + 8, "                                ", 32);
    char* p = end;
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        *--p = '-';
    const auto length = static_cast<std::size_t>(end - p);
    width = std::min(width, number_buffer_size - 24);
    const std::size_t n = std::max(width, length);
    if (n <= 16) {
        std::memcpy(buf, end - n, 16);
        return n;
    }
    std::size_t k = 0;
    while (k + length < width)
        buf[k++] = ' ';
    std::memcpy(buf + k, p, length);
    return k + length;
}

constexpr double powers_of_ten[17] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7, 1e8,
                                      1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16};

// The digit words below are laid out for a little-endian machine.
static_assert(std::endian::native == std::endian::little);

// Sixteen characters in one value, the first in the lowest byte.
__extension__ using Digits16 = unsigned __int128;

void put_digits16(char* out, Digits16 text) {
    std::memcpy(out, &text, 16);
}

// Eight decimal digits of v (below 10^8) as text in one word, the most
// significant digit in the lowest byte: two four-digit halves side by side,
// each split into hundreds and then tens by multiplying with reciprocals that
// are exact below 10^4 and 10^2.
std::uint64_t eight_digits(std::uint32_t v) {
    const std::uint64_t merged = (v / 10000) | (static_cast<std::uint64_t>(v % 10000) << 32);
    const std::uint64_t top = ((merged * 10486) >> 20) & ((0x7Full << 32) | 0x7Full);
    const std::uint64_t hundreds = ((merged - 100 * top) << 16) + top;
    std::uint64_t tens = ((hundreds * 103) >> 10) & ((0xFull << 48) | (0xFull << 32) | (0xFull << 16) | 0xFull);
    tens += (hundreds - 10 * tens) << 8;
    return tens | 0x3030303030303030ull;
}

// "%.Pf" without the general conversion, for the common case. hi = value *
// 10^P (10^P is exact for P <= 16) differs from the exact product by at most
// half an ulp of hi; when hi is well inside the integers a double holds and
// its distance from the nearest integer leaves room for that error below one
// half, that integer is the correctly rounded result. Its digits are made
// as sixteen digits, zero-padded, and cut where the point goes. Returns 0 when the
// caller must take the general route (near-ties, zero results, large values);
// otherwise the length of the text, trailing zeros already trimmed.
std::size_t format_fixed_fast(char* buf, double value, int places) {
    const double hi = value * powers_of_ten[places];
    if (!(std::fabs(hi) < 2251799813685248.0))   // 2^51, and not NaN
        return 0;
    // Adding and taking away 1.5 * 2^52 rounds to an integer (ties to even).
    const double rounded = (hi + 6755399441055744.0) - 6755399441055744.0;
    const double rest = std::fabs(hi - rounded);   // exact
    if (!(rest < 0.5 - 1e-9 - std::fabs(hi) * 2.3e-16) || rounded == 0.0)
        return 0;
    std::size_t n = 0;
    if (rounded < 0.0)
        buf[n++] = '-';
    const auto digits = static_cast<std::uint64_t>(std::fabs(rounded));
    // The upper eight digits are mostly a single one (below 10^9: values under
    // a thousand at six places), which needs no conversion.
    const auto upper_value = static_cast<std::uint32_t>(digits / 100000000);
    const std::uint64_t upper = upper_value < 10 ? 0x3030303030303030ull + (static_cast<std::uint64_t>(upper_value) << 56)
                                                 : eight_digits(upper_value);
    const std::uint64_t lower = eight_digits(static_cast<std::uint32_t>(digits % 100000000));
    // The sixteen digits, zero-padded, in one register pair: the pieces are
    // shifted into place there, not read back from memory just written
    // (which costs a stalled load).
    const Digits16 all = static_cast<Digits16>(upper) | (static_cast<Digits16>(lower) << 64);
    const std::uint64_t upper_bits = upper ^ 0x3030303030303030ull;   // '0' bytes become zero
    const std::uint64_t lower_bits = lower ^ 0x3030303030303030ull;
    // The whole part starts at the first non-zero digit, but keeps at least
    // one digit before the point ("0" alone when all sixteen are fraction).
    const int first = upper_bits != 0 ? std::countr_zero(upper_bits) / 8 : 8 + std::countr_zero(lower_bits) / 8;
    const int whole_from = std::min(first, 15 - places);
    if (whole_from < 0) {
        buf[n++] = '0';
    } else {
        put_digits16(buf + n, all >> (8 * whole_from));
        n += static_cast<std::size_t>(16 - places - whole_from);
    }
    if (places == 0)
        return n;
    buf[n++] = '.';
    // Up to P - 1 trailing zeros of the fraction go, as in format_with.
    const int zeros = lower_bits != 0 ? std::countl_zero(lower_bits) / 8 : 8 + std::countl_zero(upper_bits) / 8;
    put_digits16(buf + n, all >> (8 * (16 - places)));
    return n + static_cast<std::size_t>(places - std::min(zeros, places - 1));
}

std::size_t format_with(char* buf, double value, int places, double threshold, bool negative_zero) {
    // Zero, of either sign, is always "0.0" (see below); it is common enough
    // (z coordinates, extrusions) to be answered first.
    if (value == 0.0) {
        std::memcpy(buf, "0.0", 4);
        return 3;
    }
    // The fast path declines every value the rules below treat specially:
    // those that round to zero (subnormals and everything under the
    // threshold among them) and those from 1e16 on.
    if (const std::size_t fast = format_fixed_fast(buf, value, places))
        return fast;   // already trimmed
    // Subnormals count as 0.
    if (std::fpclassify(value) == FP_SUBNORMAL)
        value = 0.0;
    char* const end = buf + number_buffer_size;
    if (std::fabs(value) < threshold) {
        std::size_t n = 0;
        if (negative_zero && value < 0.0)
            buf[n++] = '-';
        std::memcpy(buf + n, "0.0", 3);
        return n + 3;
    }
    if (std::fabs(value) >= 1e16) {
        const auto r = std::to_chars(buf, end, value, std::chars_format::scientific, places);
        upper_case(buf, r.ptr);
        std::size_t n = static_cast<std::size_t>(r.ptr - buf);
        // A three-digit exponent with a leading zero loses it ("E+016" -> "E+16").
        const char* e = static_cast<const char*>(std::memchr(buf, 'E', n));
        if (e != nullptr) {
            const std::size_t at = static_cast<std::size_t>(e - buf) + 2;
            if (at < n && buf[at] == '0') {
                std::memmove(buf + at, buf + at + 1, n - at - 1);
                --n;
            }
        }
        return n;
    }
    std::size_t n = static_cast<std::size_t>(std::to_chars(buf, end, value, std::chars_format::fixed, places).ptr - buf);
    if (places > 0 && std::isfinite(value)) {
        int removable = places - 1;
        while (removable > 0 && buf[n - 1] == '0') {
            --n;
            --removable;
        }
    }
    return n;
}

}  // namespace

NumberFormat make_number_format(int decimal_places, bool negative_zero) {
    NumberFormat f;
    f.decimal_places = decimal_places < 0 ? 0 : decimal_places > 16 ? 16 : decimal_places;
    f.negative_zero = negative_zero;
    // 0.5 divided by ten P times, as the threshold has always been computed.
    double threshold = 0.5;
    for (int i = 0; i < f.decimal_places; ++i)
        threshold /= 10.0;
    f.zero_threshold = threshold;
    return f;
}

std::size_t format_real(char* buf, double value, const NumberFormat& format) {
    return format_with(buf, value, format.decimal_places, format.zero_threshold, format.negative_zero);
}

std::size_t format_full_real(char* buf, double value, bool negative_zero) {
    static const NumberFormat full = make_number_format(16, false);
    return format_with(buf, value, 16, full.zero_threshold, negative_zero);
}

std::size_t format_int16(char* buf, long value, int width) {
    return put_aligned_integer(buf, value, width < 0 ? 0 : static_cast<std::size_t>(width));
}

std::size_t format_int32(char* buf, long value) {
    return put_aligned_integer(buf, value, 9);
}

std::size_t format_group_code(char* buf, int code) {
    return put_aligned_integer(buf, code, 3);
}

std::size_t format_handle(char* buf, std::uint64_t value) {
    if (value < (std::uint64_t{1} << 32)) {
        // Eight nibbles spread into the bytes of a word (the last in the
        // lowest), made digits or letters, turned around and cut to length.
        std::uint64_t x = value;
        x = (x | (x << 16)) & 0x0000FFFF0000FFFFull;
        x = (x | (x << 8)) & 0x00FF00FF00FF00FFull;
        x = (x | (x << 4)) & 0x0F0F0F0F0F0F0F0Full;
        const std::uint64_t letters = ((x + 0x0606060606060606ull) >> 4) & 0x0101010101010101ull;
        const std::uint64_t text = __builtin_bswap64(x + 0x3030303030303030ull + letters * 7);
        const int n = value == 0 ? 1 : (std::bit_width(value) + 3) / 4;
        const std::uint64_t digits = text >> (8 * (8 - n));
        std::memcpy(buf, &digits, 8);
        return static_cast<std::size_t>(n);
    }
    static constexpr char hex_digits[] = "0123456789ABCDEF";
    std::size_t n = 1;
    for (std::uint64_t rest = value >> 4; rest != 0; rest >>= 4)
        ++n;
    for (std::size_t i = n; i-- > 0; value >>= 4)
        buf[i] = hex_digits[value & 15];
    return n;
}

std::size_t format_date(char* buf, std::int32_t day, std::int32_t milliseconds, int places) {
    const double value = day + milliseconds * 1.1574074074074074e-8;
    const auto r = std::to_chars(buf, buf + number_buffer_size, value, std::chars_format::fixed, places);
    return static_cast<std::size_t>(r.ptr - buf);
}

}  // namespace penloom
