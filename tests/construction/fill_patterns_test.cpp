#include "construction/fill_patterns.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "driver/context.h"
#include "interpreter/fill_support.h"

namespace penloom {
namespace {

using testing::fills_of;

constexpr double kDegree = std::numbers::pi / 180.0;

TEST(HatchTemplates, TableAsListed) {
    EXPECT_EQ(hatch_template(0).name, "SOLID");
    EXPECT_EQ(hatch_template(0).line_count, 0);
    EXPECT_EQ(hatch_template(9).name, "ANSI138");
    EXPECT_EQ(hatch_template(33).name, "ZIGZAG");
    const HatchTemplate& sand = hatch_template(12);
    EXPECT_EQ(sand.name, "AR-SAND");
    EXPECT_EQ(sand.scale, 0.25);
    EXPECT_EQ(sand.line_count, 4);
    EXPECT_DOUBLE_EQ(sand.lines[2].angle, 327.5 * kDegree);
    EXPECT_EQ(sand.lines[2].base_x, -1.23);
    EXPECT_EQ(sand.lines[2].offset_y, 0.005659054);
    EXPECT_EQ(sand.lines[2].dash_count, 6);
    EXPECT_EQ(sand.lines[2].dashes[5], -2.35);
    const HatchTemplate& swamp = hatch_template(31);
    EXPECT_EQ(swamp.line_count, 6);
    EXPECT_EQ(swamp.lines[5].offset_y, 3.922195e-10);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(hatch_template(20).lines[static_cast<std::size_t>(i)].dash_count, 0);
}

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

const std::string kSquare = "PA0,0;PM0;PD400,0,400,400,0,400;PM2;FP;";
const std::string kPath = " | path 2: 0,0 10,0 10,10 0,10 | type=";

struct Row {
    const char* name;
    std::function<void(Context&)> tune;
    std::string input;
    std::vector<std::string> expected;
};

void run_rows(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(fills_of(row.input, row.tune), row.expected);
    }
}

TEST(FillTypes, GeneratedHatches) {
    run_rows({
        {"FT3 spacing and angle",
         {},
         "FT3,2.5,45;" + kSquare,
         {"HATCH HP0_0_06250004_3_45 solid=0" + kPath +
          "0 | line 45; 0,0; -0.04419417382,0.04419417382 | colour=7"}},
        {"FT4 spacing 0 is one per cent of the diagonal",
         {},
         "FT4;" + kSquare,
         {"HATCH HP1_9_65000804_3_0 solid=0" + kPath +
          "0 | line 0; 0,0; 0,9.650008096 | line 90; 0,0; -9.650008096,6e-16 | colour=7"}},
        {"FT21,5 crossed at 0.25 per cent",
         {},
         "FT21,5;" + kSquare,
         {"HATCH HP1_2_41250204_3_0 solid=0" + kPath +
          "0 | line 0; 0,0; 0,2.412502024 | line 90; 0,0; -2.412502024,1e-16 | colour=7"}},
        {"FT21,7 is solid",
         {},
         "FT21,7;" + kSquare,
         {"HATCH SOLID solid=1" + kPath + "0 | colour=7"}},
        {"FT7 changes nothing",
         {},
         "FT3,2.5,45;FT7;" + kSquare,
         {"HATCH HP0_0_06250004_3_45 solid=0" + kPath +
          "0 | line 45; 0,0; -0.04419417382,0.04419417382 | colour=7"}},
        {"a dashed linetype gives the lines its elements",
         {},
         "LT2;FT3,2.5,0;" + kSquare,
         {"HATCH HP0_0_06250004_3_0 solid=0" + kPath +
          "0 | line 0; 0,0; 0,0.0625; 0.5 -0.5 | colour=7"}},
        {"the same name reuses the first record after RO",
         {},
         "FT3,2.5,0;RO90;FT3,2.5,0;" + kSquare,
         {"HATCH HP0_0_06250004_3_0 solid=0 | path 2: 0,0 0,10 -10,10 -10,0 | type=0 | line 0; "
          "0,0; 0,0.0625 | "
          "colour=7"}},
    });
}

TEST(FillTypes, RasterPatterns) {
    run_rows({
        {"a small bitmap: dots at pixel centres",
         {},
         "RF1,4,2,1,0,0,0,0,0,0,0;FT11,1;" + kSquare,
         {"HATCH HP_FILL_PATTERN1 solid=0" + kPath +
          "0 | line 0; 0,0; 0,0.4; -0.1 0 -0.7 | colour=7"}},
        {"RF alone undefines the pattern",
         {},
         "RF1,4,2,1,0,0,0,0,0,0,0;RF1;FT11,1;" + kSquare,
         {"HATCH SOLID solid=1" + kPath + "0 | colour=7"}},
        {"UseRasterFillPattern 0",
         [](Context& ctx) { ctx.settings.UseRasterFillPattern = 0; },
         "RF1,4,2,1,0,0,0,0,0,0,0;FT11,1;" + kSquare,
         {"HATCH SOLID solid=1" + kPath + "0 | colour=7"}},
    });
    // A large bitmap (16 x 16): runs. Row 0 is 8 set then 8 clear, row 1
    // all set, the rest empty.
    std::string rf = "RF2,16,16";
    for (int i = 0; i < 16; ++i) rf += i < 8 ? ",1" : ",0";
    for (int i = 0; i < 16; ++i) rf += ",1";
    for (int i = 0; i < 14 * 16; ++i) rf += ",0";
    rf += ";FT11,2;";
    run_rows({{"a large bitmap: runs",
               {},
               rf + kSquare,
               {"HATCH HP_FILL_PATTERN2 solid=0" + kPath +
                "0 | line 0; 0,0; 0,3.2; 1.6 -1.6 | line 0; 0,-0.2; 0,3.2 | colour=7"}}});
}

TEST(FillTypes, SettingsPatternsAndShades) {
    auto ansi31 = [](Context& ctx) {
        ctx.settings.UseHatchPattern = 1;
        ctx.settings.HatchPattern = "ansi31";
        ctx.settings.HatchScale = 10.0;
    };
    auto prefer_solid = [](Context& ctx) { ctx.settings.PreferSolidFillToPattern = 1; };
    run_rows({
        {"UseHatchPattern with ansi31 and HatchScale 10",
         ansi31,
         kSquare,
         {"HATCH ANSI31 solid=0" + kPath + "1 | line 45; 0,0; -0.8838835,0.8838835 | colour=7"}},
        {"ANSI38 is not in the table",
         [](Context& ctx) {
             ctx.settings.UseHatchPattern = 1;
             ctx.settings.HatchPattern = "ANSI38";
         },
         kSquare,
         {"HATCH SOLID solid=1" + kPath + "0 | colour=7"}},
        {"a shade in colour 7 becomes grey 253, and stays",
         prefer_solid,
         "FT10,30;" + kSquare + "PU;PD800,0;",
         {"HATCH SOLID solid=1" + kPath + "0 | colour=253", "LWPOLYLINE open 0,0 20,0"}},
        {"shade levels 80 and 10",
         prefer_solid,
         "FT10,80;" + kSquare + "SP1;FT10,10;" + kSquare,
         {"HATCH SOLID solid=1" + kPath + "0 | colour=251",
          "HATCH SOLID solid=1" + kPath + "0 | colour=254"}},
    });
}

}  // namespace
}  // namespace penloom
