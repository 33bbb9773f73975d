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

// "%<width>ld": the decimal digits of value right-aligned in a field of
// `width` (at most number_buffer_size - 21) with spaces in front. The digits
// are written down from the middle of a scratch array that starts as spaces
// 16 places before that point and beyond it, so a field of up to 16
// characters is one fixed-size copy (the bytes copied past it are not counted).
std::size_t put_aligned_integer(char* buf, long value, std::size_t width) {
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
constexpr std::uint64_t integer_powers_of_ten[17] = {1ull,
                                                     10ull,
                                                     100ull,
                                                     1000ull,
                                                     10000ull,
                                                     100000ull,
                                                     1000000ull,
                                                     10000000ull,
                                                     100000000ull,
                                                     1000000000ull,
                                                     10000000000ull,
                                                     100000000000ull,
                                                     1000000000000ull,
                                                     10000000000000ull,
                                                     100000000000000ull,
                                                     1000000000000000ull,
                                                     10000000000000000ull};

// The decimal digits of 00 to 99, two characters each.
constexpr char digit_pairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Exactly `count` decimal digits of value (below 10^count), leading zeros
// included, two at a time from the right; in 32 bits where the value fits.
template <typename Unsigned>
void put_digits_of(char* out, Unsigned value, int count) {
    char* p = out + count;
    while (count >= 2) {
        const auto pair = static_cast<std::size_t>(value % 100);
        value /= 100;
        p -= 2;
        std::memcpy(p, digit_pairs + 2 * pair, 2);
        count -= 2;
    }
    if (count == 1)
        *--p = static_cast<char>('0' + value % 10);
}

void put_fixed_digits(char* out, std::uint64_t value, int count) {
    if (value <= 0xffffffffu)
        put_digits_of(out, static_cast<std::uint32_t>(value), count);
    else
        put_digits_of(out, value, count);
}

// value / 10^P and value % 10^P with P known at compile time, so that the
// division becomes a multiplication.
template <int P>
std::uint64_t split_at(std::uint64_t value, std::uint64_t& fraction) {
    constexpr std::uint64_t unit = integer_powers_of_ten[P];
    fraction = value % unit;
    return value / unit;
}

std::uint64_t split_at_places(std::uint64_t value, int places, std::uint64_t& fraction) {
    switch (places) {
    case 0: return split_at<0>(value, fraction);
    case 1: return split_at<1>(value, fraction);
    case 2: return split_at<2>(value, fraction);
    case 3: return split_at<3>(value, fraction);
    case 4: return split_at<4>(value, fraction);
    case 5: return split_at<5>(value, fraction);
    case 6: return split_at<6>(value, fraction);
    case 7: return split_at<7>(value, fraction);
    case 8: return split_at<8>(value, fraction);
    case 9: return split_at<9>(value, fraction);
    case 10: return split_at<10>(value, fraction);
    case 11: return split_at<11>(value, fraction);
    case 12: return split_at<12>(value, fraction);
    case 13: return split_at<13>(value, fraction);
    case 14: return split_at<14>(value, fraction);
    case 15: return split_at<15>(value, fraction);
    default: return split_at<16>(value, fraction);
    }
}

// Drops up to `removable` '0' characters from the end of buf[0..n), eight
// at a time where a whole word of the text lies before the end.
void trim_zeros(const char* buf, std::size_t& n, int removable) {
    if constexpr (std::endian::native == std::endian::little) {
        while (removable > 0 && n >= 8) {
            std::uint64_t word;
            std::memcpy(&word, buf + n - 8, 8);
            word ^= 0x3030303030303030ull;   // '0' bytes become zero
            // The last character is the highest byte.
            const int zeros = word == 0 ? 8 : std::countl_zero(word) / 8;
            const int take = std::min(zeros, removable);
            n -= static_cast<std::size_t>(take);
            removable -= take;
            if (take < 8)
                return;
        }
    }
    while (removable > 0 && buf[n - 1] == '0') {
        --n;
        --removable;
    }
}

// "%.Pf" without the general conversion, for the common case. hi = value *
// 10^P (10^P is exact for P <= 16) differs from the exact product by at most
// half an ulp of hi; when hi is well inside the integers a double holds and
// its distance from the nearest integer leaves room for that error below one
// half, that integer is the correctly rounded result. Returns 0 when the
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
    std::uint64_t fraction = 0;
    const std::uint64_t whole = split_at_places(digits, places, fraction);
    n = static_cast<std::size_t>(std::to_chars(buf + n, buf + number_buffer_size, whole).ptr - buf);
    if (places > 0) {
        buf[n++] = '.';
        put_fixed_digits(buf + n, fraction, places);
        n += static_cast<std::size_t>(places);
        // Up to P - 1 trailing zeros of the fraction go, as in format_with.
        trim_zeros(buf, n, places - 1);
    }
    return n;
}

std::size_t format_with(char* buf, double value, int places, double threshold, bool negative_zero) {
    // The fast path declines every value the rules below treat specially:
    // those that round to zero (zero, subnormals and everything under the
    // threshold among them) and those from 1e16 on.
    if (const std::size_t fast = format_fixed_fast(buf, value, places))
        return fast;   // already trimmed
    // Zero and subnormals (biased exponent 0) count as 0.
    if (std::fpclassify(value) == FP_ZERO || std::fpclassify(value) == FP_SUBNORMAL)
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
