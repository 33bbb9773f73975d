// Number texts of the DXF writer: the edge cases of the decimal-places rules,
// and a sweep over random and boundary doubles comparing every setting 0..16
// with the same rules built on snprintf.
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "drawing/dxf_number.h"

namespace penloom::testing {
namespace {

std::string real_text(double v, int places, bool negative_zero = false) {
    char buf[number_buffer_size];
    return std::string(buf, format_real(buf, v, make_number_format(places, negative_zero)));
}

// The writer's rules spelled out with snprintf, as the reference.
std::string reference_real(double v, int places, bool negative_zero) {
    if (std::fpclassify(v) == FP_SUBNORMAL || v == 0.0) v = 0.0;
    double threshold = 0.5;
    for (int i = 0; i < places; ++i) threshold /= 10.0;
    if (std::fabs(v) < threshold) return (negative_zero && v < 0.0) ? "-0.0" : "0.0";
    char buf[512];
    std::snprintf(buf, sizeof buf, std::fabs(v) >= 1e16 ? "%.*E" : "%.*f", places, v);
    std::string s = buf;
    if (std::fabs(v) >= 1e16) {
        const std::size_t e = s.find('E');
        if (e + 2 < s.size() && s[e + 2] == '0') s.erase(e + 2, 1);
        return s;
    }
    for (int removable = places - 1; removable > 0 && s.back() == '0'; --removable) s.pop_back();
    return s;
}

// What the sweep below cannot reach: settings out of range, infinities and
// full precision, which ignores the setting.
TEST(DxfNumber, RealEdgeCases) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const struct { double value; int places; const char* text; } rows[] = {
        {0.5, 17, "0.5"}, {3.0, -1, "3"}, {inf, 6, "INF"}, {-inf, 3, "-INF"}};
    for (const auto& row : rows) EXPECT_EQ(real_text(row.value, row.places), row.text) << row.value;
    const std::pair<double, const char*> full[] = {
        {0.1, "0.1"}, {-2.1213203435596424, "-2.1213203435596424"}, {1e-17, "0.0"},
        {3e16, "3.0000000000000000E+16"}};
    char buf[number_buffer_size];
    for (const auto& [value, text] : full)
        EXPECT_EQ(std::string(buf, format_full_real(buf, value, false)), text) << value;
}

TEST(DxfNumber, SweepMatchesSnprintfForEveryPrecision) {
    std::vector<double> values = {0.0, -0.0, 2.5, -2.5, 0.15, 9.999999999999999e15, 1e16, -1e16, 1e300,
                                  -3e-300, 1.7976931348623157e308, 5e-324, 0.49999999999999994, 4.999999e-7};
    for (int p = 0; p <= 16; ++p)  // halfway cases at every precision
        for (int k : {0, 1, 2, 7, 12345}) values.push_back((k + 0.5) / std::pow(10.0, p));
    std::mt19937_64 rng(20240611);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-20, 20);
    for (int i = 0; i < 50000; ++i) {
        values.push_back(unit(rng) * std::pow(10.0, exponent(rng)));
        values.push_back(static_cast<int>(unit(rng) * 1e6) / 1000.0);  // plotter coordinates: short decimals
    }
    int mismatches = 0;
    for (int places = 0; places <= 16; ++places)
        for (double v : values)
            for (bool nz : {false, true})
                if (const std::string got = real_text(v, places, nz), want = reference_real(v, places, nz);
                    got != want && ++mismatches <= 10)
                    ADD_FAILURE() << "P=" << places << " " << std::hexfloat << v << ": " << got << " vs "
                                  << want;
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace penloom::testing
