// Number texts of the DXF writer (see dxf_number.h).
#include "drawing/dxf_number.h"

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

std::size_t right_align(char* buf, std::size_t length, std::size_t width) {
    if (length >= width)
        return length;
    const std::size_t pad = width - length;
    std::memmove(buf + pad, buf, length);
    std::memset(buf, ' ', pad);
    return width;
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
    const std::uint64_t unit = integer_powers_of_ten[places];
    n = static_cast<std::size_t>(std::to_chars(buf + n, buf + number_buffer_size, digits / unit).ptr - buf);
    if (places > 0) {
        // Up to P - 1 trailing zeros of the fraction go, as in format_with.
        std::uint64_t fraction = digits % unit;
        int kept = places;
        while (kept > 1 && fraction % 10 == 0) {
            fraction /= 10;
            --kept;
        }
        buf[n++] = '.';
        for (int i = kept - 1; i >= 0; --i) {
            buf[n + static_cast<std::size_t>(i)] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        n += static_cast<std::size_t>(kept);
    }
    return n;
}

std::size_t format_with(char* buf, double value, int places, double threshold, bool negative_zero) {
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
    if (const std::size_t fast = format_fixed_fast(buf, value, places))
        return fast;   // already trimmed
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
    const auto r = std::to_chars(buf, buf + number_buffer_size, value);
    return right_align(buf, static_cast<std::size_t>(r.ptr - buf), static_cast<std::size_t>(width));
}

std::size_t format_int32(char* buf, long value) {
    const auto r = std::to_chars(buf, buf + number_buffer_size, value);
    return right_align(buf, static_cast<std::size_t>(r.ptr - buf), 9);
}

std::size_t format_group_code(char* buf, int code) {
    const auto r = std::to_chars(buf, buf + number_buffer_size, code);
    return right_align(buf, static_cast<std::size_t>(r.ptr - buf), 3);
}

std::size_t format_handle(char* buf, std::uint64_t value) {
    const auto r = std::to_chars(buf, buf + number_buffer_size, value, 16);
    upper_case(buf, r.ptr);
    return static_cast<std::size_t>(r.ptr - buf);
}

std::size_t format_date(char* buf, std::int32_t day, std::int32_t milliseconds, int places) {
    const double value = day + milliseconds * 1.1574074074074074e-8;
    const auto r = std::to_chars(buf, buf + number_buffer_size, value, std::chars_format::fixed, places);
    return static_cast<std::size_t>(r.ptr - buf);
}

}  // namespace penloom
