#include "construction/fill_patterns.h"

#include <gtest/gtest.h>

#include "driver/context.h"

namespace penloom {
namespace {

// The lookup and ANSI31 at a scale are checked through whole runs; here the
// dashes of a pattern with its own scale, and a negative scale.
TEST(HatchTemplates, SettingsPatternScaled) {
    Settings settings;
    settings.HatchPattern = "AR-B816";  // scale 0.2
    settings.HatchScale = 5.0;
    SettingsPattern p = make_settings_pattern(settings);
    EXPECT_EQ(p.entry, find_hatch_template("ar-b816"));
    EXPECT_DOUBLE_EQ(p.pattern.lines[1].offset_x, -0.8);
    EXPECT_DOUBLE_EQ(p.pattern.lines[1].dashes[1], -0.8);
    settings.HatchScale = -1.0;
    p = make_settings_pattern(settings);
    EXPECT_DOUBLE_EQ(p.pattern.lines[1].offset_x, -0.8);
    EXPECT_DOUBLE_EQ(p.pattern.lines[1].dashes[0], 0.8);
}

}  // namespace
}  // namespace penloom
