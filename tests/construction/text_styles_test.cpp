// Label text: the character width table and the width of label lines; the
// text style table, its typeface styles, and the styles the settings and
// the labels make (or update) in the drawing.
#include "construction/text_styles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "construction/char_widths.h"
#include "support/drawing_context.h"

namespace penloom {
namespace {

TEST(CharWidths, TableEdgesAndLineWidths) {
    // The first and last listed bytes, a zero extent, bytes not listed.
    const struct { int code; double simplex_extent, simplex_advance, txt_extent, txt_advance; } rows[] = {
        {' ', 0.9048, 0.9048, 1.0, 1.0}, {'l', 0, 0.381, 0.1667, 0.5}, {127, 0.5238, 0.8571, 0.5, 0.8333},
        {31, 0, 0, 0, 0}, {255, 0, 0, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        const auto code = static_cast<unsigned char>(row.code);
        EXPECT_EQ(char_width(WidthFont::simplex, code).extent, row.simplex_extent);
        EXPECT_EQ(char_width(WidthFont::simplex, code).advance, row.simplex_advance);
        EXPECT_EQ(char_width(WidthFont::txt, code).extent, row.txt_extent);
        EXPECT_EQ(char_width(WidthFont::txt, code).advance, row.txt_advance);
    }
    const struct { WidthFont font; std::string line; double height, factor, width; } lines[] = {
        {WidthFont::simplex, "AB", 2.84, 1.0, 5.815184},
        {WidthFont::txt, std::string(10, 'i'), 2.84, 1.0, 9.46572},
        {WidthFont::txt, "", 2.84, 1.0, 0.3333 * 2.84},
        {WidthFont::txt, "A", 2.0, 0.5, (0.6667 + 0.3333) * 1.0},
        {WidthFont::simplex, "\x01\x02", 1.0, 1.0, 0.3333},
        {WidthFont::txt, "\xb0\xc8", 6.0, 1.0, (0.8333 + 0.5 + 0.3333) * 6},
    };
    for (const auto& row : lines)
        EXPECT_NEAR(measure_line(row.font, row.line, row.height, row.factor), row.width, 1e-9) << row.line;
}

TEST(LabelWidth, TheFontFollowsTheCurrentFontsRecord) {
    const struct { std::string settings; int font; WidthFont expected; } rows[] = {
        {"idxStdTextFont=52\n", 0, WidthFont::simplex}, {"idxStdTextFont=60\n", 0, WidthFont::txt},
        {"idxStdTextFont=61\n", 0, WidthFont::simplex}, {"idxAltTextFont=52\n", 1, WidthFont::simplex},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.settings);
        testing::LabelSettings own("[Settings]\n" + row.settings +
                                   "[MapTypefaceToFont]\n52=simplex.shx\n60=TXT\n61=txt.shx\n");
        auto ctx = testing::label_context("", &own);
        ctx->gs.current_font = row.font;
        EXPECT_EQ(label_width_font(ctx->gs.text_styles, ctx->gs.current_font), row.expected);
    }
}

using testing::LabelSettings;

// The table's records as "name:font:standard ...".
std::string records_of(const TextStyleTable& table) {
    std::string out;
    for (int i = 0; i < table.count; ++i)
        out += (i ? " " : "") + table.records[i].name + ":" + table.records[i].font_file + ":" +
               std::to_string(table.records[i].standard);
    return out;
}

TEST(TextStyles, TypefaceStylesFromTheStylenameSection) {
    LabelSettings ini("[Stylename]\n5=ARIAL\n7=standard\n[MapTypefaceToFont]\n5=arial.ttf\n");
    auto ctx = testing::label_context("", &ini);
    EXPECT_EQ(select_typeface_style(ctx->interpreter, 5), 2);
    EXPECT_EQ(select_typeface_style(ctx->interpreter, 5), 2);
    EXPECT_EQ(select_typeface_style(ctx->interpreter, 7), 0);  // the name of record 0, without case
    EXPECT_EQ(select_typeface_style(ctx->interpreter, 4101), 3);
    EXPECT_EQ(records_of(ctx->gs.text_styles),
              "STANDARD:txt:1 STD_1:txt:0 ARIAL:arial.ttf:0 HP_STYLE_4101:txt:0");
    for (int n = 1; n <= 6; ++n) EXPECT_EQ(select_typeface_style(ctx->interpreter, n * 100), 3 + n);
    EXPECT_EQ(select_typeface_style(ctx->interpreter, 999), -1);
    EXPECT_EQ(select_typeface_style(ctx->interpreter, 5), 2);  // a full table still finds its names
    for (const int typeface : {47, 48, 50, 51}) {  // 48 to 50 are fixed-pitch
        LabelSettings font("[Settings]\nidxAltTextFont=" + std::to_string(typeface) + "\n");
        const int proportional = typeface == 47 || typeface == 51;
        EXPECT_EQ(testing::label_context("", &font)->gs.fonts[1].spacing, proportional) << typeface;
    }
}

// The drawing's style table after labels: "name font fixed-height
// last-height width-factor" per style.
std::string drawing_styles(const Context& ctx) {
    std::string out;
    char text[200];
    for (const TextStyleTableRecord& r : ctx.drawing.drawing->text_styles.records) {
        std::snprintf(text, sizeof text, "%s %s %.10g %.10g %.10g|", r.name.c_str(), r.font_file.c_str(),
                      r.fixed_height, r.last_height, r.width_factor);
        out += text;
    }
    return out;
}

TEST(TextStyles, StylesAreMadeAtTheFirstLabel) {
    const std::string fresh = "STANDARD txt 0 2.5 1|";
    // A style made (or updated) by a label: fixed and last height 3.75 mm.
    auto made = [](const std::string& name, const std::string& font = "txt") {
        return name + " " + font + " 3.75 3.75 1|";
    };
    const struct { const char* name; std::string ini, input, styles; } rows[] = {
        {"no label: the drawing's own style only", "", "PA0,0;", fresh},
        {"the first label updates STANDARD", "", "LBA\x03", made("STANDARD")},
        {"own names: MYSTD added, STANDARD left", "[Settings]\nStdTextStyle=MYSTD\nAltTextStyle=MYALT\n",
         "LBA\x03SA;LBB\x03", fresh + made("MYSTD") + made("MYALT")},
        {"AD1,5 before the first alternate label", "", "AD1,5;SA;LBA\x03",
         fresh + made("romanx", "romanx.shx")},
        {"a style made keeps its font", "[Settings]\nAltTextFont=romans.shx\n", "SA;LBA\x03" "AD2,1;LBB\x03",
         fresh + made("STD_1")},
        {"typefaces map to font files",
         "[Settings]\nidxStdTextFont=5\nidxAltTextFont=50\n[MapTypefaceToFont]\n5=romans.shx\n50=monotxt\n",
         "LBA\x03SA;LBB\x03", made("STANDARD", "romans.shx") + made("STD_1", "monotxt")},
        {"the alternate may be STANDARD", "[Settings]\nStdTextStyle=MYSTD\nAltTextStyle=standard\n",
         "SA;LBB\x03", made("STANDARD")},
        {"STANDARD is updated once per drawing", "[Settings]\nStdTextFont=simplex\n",
         "LBA\x03SD2,1;SD7,7;AD7,7;SA;LBB\x03", made("STANDARD") + made("HP_STYLE_7")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LabelSettings ini(row.ini);
        auto ctx = testing::label_context(row.input, &ini);
        testing::run_all(*ctx);
        EXPECT_EQ(drawing_styles(*ctx), row.styles);
    }
    LabelSettings none("");
    auto ctx = testing::label_context("LBA\x03", &none);  // in inches
    ctx->settings.unit_factor = 1.0 / 25.4;
    testing::run_all(*ctx);
    EXPECT_EQ(drawing_styles(*ctx), "STANDARD txt 0.15 0.15 1|");
}

}  // namespace
}  // namespace penloom
