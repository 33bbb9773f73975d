// Character sizes and font definitions: SI, SR (and IP under SR), SS, SA,
// SD, AD, and the size resets of IN and DF.
#include <gtest/gtest.h>

#include <string>

#include "interpreter/fonts.h"
#include "support/drawing_context.h"
#include "support/dxf_text.h"

namespace penloom {
namespace {

using testing::LabelSettings;
using testing::run_labels;

constexpr double kBaseAspect = 1.3990147783251232;

struct SizeRow { const char* name; std::string input; double height, width, advance, factor; };

void check_sizes(const std::vector<SizeRow>& rows, const LabelSettings* ini = nullptr) {
    for (const SizeRow& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = run_labels(row.input, ini);
        EXPECT_NEAR(ctx->gs.char_height, row.height, 1e-9);
        EXPECT_NEAR(ctx->gs.char_width, row.width, 1e-9);
        EXPECT_NEAR(ctx->gs.char_advance, row.advance, 1e-9);
        EXPECT_NEAR(ctx->gs.width_factor, row.factor, 1e-9);
    }
}

TEST(CharacterSize, AbsoluteAndRelative) {
    const double r = 2.82 / 2.03;
    check_sizes({
        {"start of a file", "", 2.84, 2.03, 2.82, 0.8},
        {"SI0.2,0.3", "SI0.2,0.3;", 3, 2, r * 2, kBaseAspect * 2 / 3},
        {"SI with one parameter changes nothing", "SI0.2;", 2.84, 2.03, 2.82, 0.8},
        {"SI; goes back to the default", "SI0.2,0.3;SI;", 2.84, 2.03, 2.82, 1.0},
        {"SS keeps an absolute size", "SI0.2,0.3;SS;", 3, 2, r * 2, kBaseAspect * 2 / 3},
        {"IN resets it", "SI0.2,0.3;IN;", 2.84, 2.03, 2.82, 1.0},
        {"SR; with the default P1 and P2", "SR;", 8.41875, 5.8875, r * 5.8875,
         kBaseAspect / (8.41875 / 5.8875)},
        {"SR1,2", "SR1,2;", 11.225, 7.85, r * 7.85, kBaseAspect / (11.225 / 7.85)},
        {"IP recomputes a relative size", "SR;IP0,0,15700,11225;", 4.209375, 2.94375, r * 2.94375,
         kBaseAspect / (4.209375 / 2.94375)},
        {"SI ends relative sizing", "SR;SI;IP0,0,15700,11225;", 2.84, 2.03, 2.82, 1.0},
        {"SI0,0 keeps the factor finite", "SI0,0;", 0, 0, 0, 0.8},
    });
}

TEST(FontDefinitions, KindsChangeTheDefinitionNotTheCurrentSize) {
    const double pitch_advance = 25.4 / 10;
    check_sizes({
        {"SD3,10: the factor at once, the size at SS", "SD3,10;", 2.84, 2.03, 2.82, kBaseAspect},
        {"SD3,10;SS", "SD3,10;SS;", 0.67 * pitch_advance, 0.67 * pitch_advance, pitch_advance,
         kBaseAspect},
        {"SD4,12;SS: point sizes", "SD4,12;SS;", 12 * 0.2469444444444444, 12 * 0.17638888888888887,
         12 * 0.35277777777777775, kBaseAspect / 1.4},
        {"AD4,12;SA", "AD4,12;SA;", 12 * 0.2469444444444444, 12 * 0.17638888888888887,
         12 * 0.35277777777777775, kBaseAspect / 1.4},
        {"AD sizes wait for SA", "AD4,12;SS;", 2.84, 2.03, 2.82, 1.0},
        {"SD; restores the start values", "SD3,10;SD;SS;", 2.84, 2.03, 2.82, 1.0},
        {"SD2,0: the pitch rule with the stored pitch", "SD3,10;SD2,0;SS;", 0.67 * pitch_advance,
         0.67 * pitch_advance, pitch_advance, kBaseAspect},
        {"a kind without value is dropped", "SD4;SS;", 2.84, 2.03, 2.82, 1.0},
        {"SA's advance is the alternate's", "AD3,20;SA;", 0.67 * 25.4 / 20, 0.67 * 25.4 / 20,
         25.4 / 20, kBaseAspect},
    });
}

TEST(FontDefinitions, SpacingPicksTheFontFileFromTheSettings) {
    LabelSettings ini(
        "[Settings]\nStdTextFont=simplex.shx\nStdTextFontFixedWidth=monotxt.shx\n"
        "AltTextFont=romans.shx\n");
    struct Row {
        const char* name;
        std::string input;
        std::string standard_file, alternate_file, alternate_name;
        int standard_spacing, alternate_spacing;
    };
    const Row rows[] = {
        {"defaults", "", "txt", "txt", "STD_1", 0, 0},
        {"SD2,1: proportional", "SD2,1;", "simplex.shx", "txt", "STD_1", 1, 0},
        {"SD2,0: fixed", "SD2,0;", "monotxt.shx", "txt", "STD_1", 0, 0},
        {"AD2,0 without its key keeps the file", "AD2,0;", "txt", "txt", "STD_1", 0, 0},
        {"AD1,5: romanx", "AD1,5;", "txt", "romanx.shx", "romanx", 0, 0},
        {"after romanx AD spacing leaves the file", "AD1,5,2,1;", "txt", "romanx.shx", "romanx", 0,
         1},
        {"SD1,5 is ignored", "SD1,5;", "txt", "txt", "STD_1", 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = run_labels(row.input, &ini);
        const TextStyleTable& table = ctx->gs.text_styles;
        EXPECT_EQ(table.records[0].font_file, row.standard_file);
        EXPECT_EQ(table.records[1].font_file, row.alternate_file);
        EXPECT_EQ(table.records[1].name, row.alternate_name);
        EXPECT_EQ(ctx->gs.fonts[0].spacing, row.standard_spacing);
        EXPECT_EQ(ctx->gs.fonts[1].spacing, row.alternate_spacing);
    }
}

TEST(FontDefinitions, TypefacesSelectStyles) {
    struct Row {
        const char* name;
        std::string input;
        int standard_style, alternate_style, count;
        const char* last_name;
    };
    const Row rows[] = {
        {"SD7,5 twice makes one record", "SD7,5;SD7,5;", 2, 1, 3, "HP_STYLE_5"},
        {"SD; goes back to record 0", "SD7,5;SD;", 0, 1, 3, "HP_STYLE_5"},
        // Eight records fit beside the two of the definitions; a ninth
        // typeface keeps the style selected before it.
        {"a full table keeps the current style",
         "SD7,1;SD7,2;SD7,3;SD7,4;SD7,5;SD7,6;SD7,7;SD7,8;SD7,9;", 9, 1, 10, "HP_STYLE_8"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = run_labels(row.input);
        const TextStyleTable& table = ctx->gs.text_styles;
        EXPECT_EQ(ctx->gs.fonts[0].style_index, row.standard_style);
        EXPECT_EQ(ctx->gs.fonts[1].style_index, row.alternate_style);
        EXPECT_EQ(table.count, row.count);
        EXPECT_EQ(table.records[table.count - 1].name, row.last_name);
    }
}

TEST(FontDefinitions, TheAbsoluteSizeFlagCarriesIntoTheNextFile) {
    auto ctx = run_labels("SI0.2,0.3;");
    ctx->gs.more_pages = false;
    initialize_file_state(*ctx);
    // The definition is reset but not applied while SI's size is in force.
    EXPECT_TRUE(ctx->gs.absolute_size_on);
    EXPECT_NEAR(ctx->gs.fonts[0].height, 2.84, 1e-12);
    EXPECT_NEAR(ctx->gs.char_height, 3.0, 1e-12);
    EXPECT_NEAR(ctx->gs.width_factor, 0.8, 1e-12);
}

}  // namespace
}  // namespace penloom
