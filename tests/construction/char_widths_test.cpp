// The character width table and the width of label lines.
#include "construction/char_widths.h"

#include <gtest/gtest.h>

#include <string>

#include "support/drawing_context.h"
#include "support/dxf_text.h"

namespace penloom {
namespace {

TEST(CharWidths, ListedRows) {
    struct Row { int code; double simplex_extent, simplex_advance, txt_extent, txt_advance; };
    // The first and last listed bytes, zero extents in either font, and the
    // bytes the table does not list.
    const Row rows[] = {
        {' ', 0.9048, 0.9048, 1.0, 1.0},    {'W', 0.9524, 1.1429, 1.0, 1.3333},
        {'i', 0.0952, 0.381, 0, 0.3333},    {'l', 0, 0.381, 0.1667, 0.5},
        {127, 0.5238, 0.8571, 0.5, 0.8333}, {200, 0.5238, 0.8571, 0.5, 0.8333},
        {31, 0, 0, 0, 0},                   {255, 0, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        const auto code = static_cast<unsigned char>(row.code);
        // Exactly the four-decimal values.
        EXPECT_EQ(char_width(WidthFont::simplex, code).extent, row.simplex_extent);
        EXPECT_EQ(char_width(WidthFont::simplex, code).advance, row.simplex_advance);
        EXPECT_EQ(char_width(WidthFont::txt, code).extent, row.txt_extent);
        EXPECT_EQ(char_width(WidthFont::txt, code).advance, row.txt_advance);
    }
}

TEST(LabelWidth, LinesInBothFonts) {
    struct Row { const char* name; WidthFont font; std::string line; double height, factor, width; };
    const Row rows[] = {
        {"AB in SIMPLEX", WidthFont::simplex, "AB", 2.84, 1.0, 5.815184},
        {"ten i in TXT", WidthFont::txt, std::string(10, 'i'), 2.84, 1.0, 9.46572},
        {"an empty line", WidthFont::txt, "", 2.84, 1.0, 0.3333 * 2.84},
        {"the factor scales it", WidthFont::txt, "A", 2.0, 0.5, (0.6667 + 0.3333) * 1.0},
        {"control bytes measure nothing", WidthFont::simplex, "\x01\x02", 1.0, 1.0, 0.3333},
        {"bytes above 127", WidthFont::txt, "\xb0\xc8", 6.0, 1.0, (0.8333 + 0.5 + 0.3333) * 6},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(measure_line(row.font, row.line, row.height, row.factor), row.width, 1e-9);
    }
}

TEST(LabelWidth, TheFontFollowsTheCurrentFontsRecord) {
    // settings: idx keys
    struct Row { const char* name; std::string settings; int font; WidthFont expected; };
    const Row rows[] = {
        {"txt", "", 0, WidthFont::txt},
        {"simplex.shx", "idxStdTextFont=52\n", 0, WidthFont::simplex},
        {"TXT without case", "idxStdTextFont=60\n", 0, WidthFont::txt},
        {"txt.shx is not txt", "idxStdTextFont=61\n", 0, WidthFont::simplex},
        {"the alternate's record", "idxAltTextFont=52\n", 1, WidthFont::simplex},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::LabelSettings own("[Settings]\n" + row.settings +
                                   "[MapTypefaceToFont]\n52=simplex.shx\n60=TXT\n61=txt.shx\n");
        auto ctx = testing::label_context("", &own);
        ctx->gs.current_font = row.font;
        EXPECT_EQ(label_width_font(*ctx), row.expected);
    }
}

}  // namespace
}  // namespace penloom
