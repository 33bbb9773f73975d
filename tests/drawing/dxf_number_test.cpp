// Number texts of the DXF writer: the edge cases of the decimal-places rules,
// and a sweep over random and boundary doubles comparing every setting 0..16
// with the same rules built on snprintf.
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
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

std::string full_text(double v) {
    char buf[number_buffer_size];
    return std::string(buf, format_full_real(buf, v, false));
}

// The writer's rules spelled out with snprintf, as the reference.
std::string reference_real(double v, int places, bool negative_zero) {
    if (std::fpclassify(v) == FP_SUBNORMAL || v == 0.0)
        v = 0.0;
    double threshold = 0.5;
    for (int i = 0; i < places; ++i)
        threshold /= 10.0;
    if (std::fabs(v) < threshold)
        return (negative_zero && v < 0.0) ? "-0.0" : "0.0";
    char buf[512];
    if (std::fabs(v) >= 1e16) {
        std::snprintf(buf, sizeof buf, "%.*E", places, v);
        std::string s = buf;
        const std::size_t e = s.find('E');
        if (e != std::string::npos && e + 2 < s.size() && s[e + 2] == '0')
            s.erase(e + 2, 1);
        return s;
    }
    std::snprintf(buf, sizeof buf, "%.*f", places, v);
    std::string s = buf;
    if (places > 0 && std::isfinite(v))
        for (int removable = places - 1; removable > 0 && s.back() == '0'; --removable)
            s.pop_back();
    return s;
}

// What the sweep below cannot reach: settings out of range and infinities,
// plus a few rows that show the rules at a glance.
TEST(DxfNumber, RealEdgeCases) {
    const struct { double value; int places; const char* text; bool negative_zero = false; } rows[] = {
        {1.0, 6, "1.0"},        {-0.0000001, 6, "-0.0", true},  {2.5e17, 6, "2.500000E+17"},
        {3.0, 0, "3"},          {0.5, 17, "0.5"},                {3.0, -1, "3"},
        {std::numeric_limits<double>::infinity(), 6, "INF"},
        {-std::numeric_limits<double>::infinity(), 3, "-INF"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(real_text(row.value, row.places, row.negative_zero), row.text) << row.value;
    // Full precision ignores the setting.
    const std::pair<double, const char*> full[] = {
        {0.1, "0.1"}, {1.0 / 3.0, "0.3333333333333333"}, {2.0, "2.0"}, {-2.1213203435596424, "-2.1213203435596424"},
        {1e-17, "0.0"}, {3e16, "3.0000000000000000E+16"}};
    for (const auto& [value, text] : full) EXPECT_EQ(full_text(value), text);
}

TEST(DxfNumber, SweepMatchesSnprintfForEveryPrecision) {
    std::vector<double> values = {0.0, -0.0, 0.5, 1.5, 2.5, -2.5, 0.05, 0.15, 0.25, 0.35, 1e15, 9.999999999999999e15,
                                  1e16, -1e16, 1.7976931348623157e308, 2.2250738585072014e-308, 5e-324,
                                  0.49999999999999994, 1e-7, 5e-7, 4.999999e-7, 123456.789, -987654.3210987};
    // Halfway cases at every precision: k + 0.5 scaled down.
    for (int p = 0; p <= 16; ++p)
        for (int k : {0, 1, 2, 3, 7, 12, 99, 12345})
            values.push_back((k + 0.5) / std::pow(10.0, p));
    std::mt19937_64 rng(20240611);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-20, 20);
    std::uniform_int_distribution<std::uint64_t> bits;
    for (int i = 0; i < 80000; ++i)
        values.push_back(unit(rng) * std::pow(10.0, exponent(rng)));
    for (int i = 0; i < 20000; ++i) {
        double v;
        std::uint64_t b = bits(rng);
        std::memcpy(&v, &b, 8);
        if (!std::isnan(v))
            values.push_back(v);
    }
    // Short decimals (plotter coordinates) sit on rounding boundaries often.
    for (int i = 0; i < 5000; ++i)
        values.push_back(static_cast<double>(static_cast<int>(unit(rng) * 1e6)) / 1000.0);
    ASSERT_GE(values.size(), 100000u);

    int mismatches = 0;
    for (int places = 0; places <= 16; ++places) {
        for (double v : values) {
            for (bool nz : {false, true}) {
                const std::string got = real_text(v, places, nz);
                const std::string want = reference_real(v, places, nz);
                if (got != want && ++mismatches <= 10)
                    ADD_FAILURE() << "P=" << places << " value " << std::hexfloat << v << ": " << got << " vs " << want;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace penloom::testing
