#include "construction/fill_patterns.h"

#include <gtest/gtest.h>

#include <numbers>

#include "driver/context.h"

namespace penloom {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

TEST(HatchTemplates, LookupWithoutCase) {
    EXPECT_EQ(find_hatch_template("ansi31"), 2);
    EXPECT_EQ(find_hatch_template("Ar-HBone"), 11);
    EXPECT_EQ(find_hatch_template("ANSI38"), 0);
    EXPECT_EQ(find_hatch_template(""), 0);
}

TEST(HatchTemplates, SettingsPatternScaled) {
    Settings settings;
    settings.HatchPattern = "ansi31";
    settings.HatchScale = 10.0;
    SettingsPattern p = make_settings_pattern(settings);
    EXPECT_EQ(p.entry, 2);
    EXPECT_DOUBLE_EQ(p.pattern.lines[0].offset_x, -0.8838835);
    EXPECT_DOUBLE_EQ(p.pattern.lines[0].offset_y, 0.8838835);
    EXPECT_DOUBLE_EQ(p.pattern.lines[0].angle, 45 * kDegree);
    settings.HatchPattern = "AR-B816";  // scale 0.2
    settings.HatchScale = 5.0;
    p = make_settings_pattern(settings);
    EXPECT_DOUBLE_EQ(p.pattern.lines[1].offset_x, -0.8);
    EXPECT_DOUBLE_EQ(p.pattern.lines[1].dashes[1], -0.8);
    settings.HatchScale = -1.0;
    p = make_settings_pattern(settings);
    EXPECT_DOUBLE_EQ(p.pattern.lines[1].offset_x, -0.8);
    EXPECT_DOUBLE_EQ(p.pattern.lines[1].dashes[0], 0.8);
}

}  // namespace
}  // namespace penloom
