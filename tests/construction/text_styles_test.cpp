// The text style table: its set-up from the settings for every drawing,
// typeface styles, and the styles made in (or updated in) the drawing.
#include "construction/text_styles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/drawing_context.h"
#include "support/dxf_text.h"

namespace penloom {
namespace {

using testing::LabelSettings;

struct RecordView {
    std::string name, font_file;
    int standard;
    bool operator==(const RecordView&) const = default;
};

void PrintTo(const RecordView& r, std::ostream* os) {
    *os << "{" << r.name << ", " << r.font_file << ", " << r.standard << "}";
}

std::vector<RecordView> records_of(const TextStyleTable& table) {
    std::vector<RecordView> out;
    for (int i = 0; i < table.count; ++i)
        out.push_back(
            {table.records[i].name, table.records[i].font_file, table.records[i].standard});
    return out;
}

TEST(TextStyles, SetupFromTheSettings) {
    struct Row {
        const char* name;
        std::string ini;
        std::vector<RecordView> records;
        int standard_spacing, alternate_spacing;
    };
    const Row rows[] = {
        {"own names add STANDARD", "[Settings]\nStdTextStyle=MYSTD\nAltTextStyle=MYALT\n",
         {{"MYSTD", "txt", 0}, {"MYALT", "txt", 0}, {"STANDARD", "txt", 1}}, 0, 0},
        {"the alternate may be STANDARD", "[Settings]\nStdTextStyle=MYSTD\nAltTextStyle=standard\n",
         {{"MYSTD", "txt", 0}, {"standard", "txt", 1}}, 0, 0},
        {"typefaces map to font files",
         "[Settings]\nidxStdTextFont=5\nidxAltTextFont=50\n[MapTypefaceToFont]\n5=romans.shx\n"
         "50=monotxt\n",
         {{"STANDARD", "romans.shx", 1}, {"STD_1", "monotxt", 0}}, 1, 0},
        {"47 is proportional", "[Settings]\nidxAltTextFont=47\n",
         {{"STANDARD", "txt", 1}, {"STD_1", "txt", 0}}, 0, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LabelSettings ini(row.ini);
        auto ctx = testing::label_context("", &ini);
        EXPECT_EQ(records_of(ctx->gs.text_styles), row.records);
        EXPECT_TRUE(ctx->gs.text_styles.standard_pending);
        EXPECT_EQ(ctx->gs.fonts[0].style_index, 0);
        EXPECT_EQ(ctx->gs.fonts[1].style_index, 1);
        EXPECT_EQ(ctx->gs.fonts[0].spacing, row.standard_spacing);
        EXPECT_EQ(ctx->gs.fonts[1].spacing, row.alternate_spacing);
    }
}

TEST(TextStyles, TypefaceStylesFromTheStylenameSection) {
    LabelSettings ini("[Stylename]\n5=ARIAL\n7=standard\n[MapTypefaceToFont]\n5=arial.ttf\n");
    auto ctx = testing::label_context("", &ini);
    EXPECT_EQ(select_typeface_style(*ctx, 5), 2);
    EXPECT_EQ(select_typeface_style(*ctx, 5), 2);
    EXPECT_EQ(select_typeface_style(*ctx, 7), 0);  // the name of record 0, without case
    EXPECT_EQ(select_typeface_style(*ctx, 4101), 3);
    EXPECT_EQ(records_of(ctx->gs.text_styles),
              (std::vector<RecordView>{{"STANDARD", "txt", 1},
                                       {"STD_1", "txt", 0},
                                       {"ARIAL", "arial.ttf", 0},
                                       {"HP_STYLE_4101", "txt", 0}}));
    for (int n = 1; n <= 6; ++n) EXPECT_EQ(select_typeface_style(*ctx, n * 100), 3 + n);
    EXPECT_EQ(select_typeface_style(*ctx, 999), -1);
    EXPECT_EQ(select_typeface_style(*ctx, 5), 2);  // a full table still finds its names
}

// The drawing's style table after labels: name, font, fixed height, last
// height, width factor.
struct StyleView {
    std::string name, font_file;
    double fixed_height, last_height, width_factor;
    bool operator==(const StyleView&) const = default;
};

void PrintTo(const StyleView& s, std::ostream* os) {
    *os << "{" << s.name << ", " << s.font_file << ", " << s.fixed_height << ", " << s.last_height
        << ", " << s.width_factor << "}";
}

std::vector<StyleView> drawing_styles(const Context& ctx) {
    std::vector<StyleView> out;
    for (const TextStyleTableRecord& r : ctx.drawing.drawing->text_styles.records)
        out.push_back({r.name, r.font_file, r.fixed_height, r.last_height, r.width_factor});
    return out;
}

TEST(TextStyles, StylesAreMadeAtTheFirstLabel) {
    const StyleView fresh{"STANDARD", "txt", 0.0, 2.5, 1.0};
    // A style made (or updated) by a label: fixed and last height 3.75 mm.
    auto made = [](const char* name, const char* font = "txt") {
        return StyleView{name, font, 3.75, 3.75, 1.0};
    };
    struct Row { const char* name; std::string ini; std::string input; std::vector<StyleView> styles; };
    const Row rows[] = {
        {"no label: the drawing's own style only", "", "PA0,0;", {fresh}},
        {"the first label updates STANDARD", "", "LBA\x03", {made("STANDARD")}},
        {"own names: MYSTD added, STANDARD left",
         "[Settings]\nStdTextStyle=MYSTD\nAltTextStyle=MYALT\n", "LBA\x03SA;LBB\x03",
         {fresh, made("MYSTD"), made("MYALT")}},
        {"AD1,5 before the first alternate label", "", "AD1,5;SA;LBA\x03",
         {fresh, made("romanx", "romanx.shx")}},
        {"a style made keeps its font", "[Settings]\nAltTextFont=romans.shx\n",
         "SA;LBA\x03" "AD2,1;LBB\x03", {fresh, made("STD_1")}},
        {"a named typeface", "[Stylename]\n5=ARIAL\n[MapTypefaceToFont]\n5=arial.ttf\n",
         "SD7,5;LBA\x03", {fresh, made("ARIAL", "arial.ttf")}},
        {"STANDARD is updated once per drawing", "[Settings]\nStdTextFont=simplex\n",
         "LBA\x03SD2,1;SD7,7;AD7,7;SA;LBB\x03", {made("STANDARD"), made("HP_STYLE_7")}},
    };
    for (const Row& row : rows) {
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
    EXPECT_EQ(drawing_styles(*ctx), (std::vector<StyleView>{{"STANDARD", "txt", 0.15, 0.15, 1.0}}));
}

TEST(TextStyles, TheTextCarriesItsStyleHandle) {
    auto ctx = testing::run_labels("SA;LBA\x03");
    const TextStyleRecord& alternate = ctx->gs.text_styles.records[1];
    ASSERT_FALSE(is_null_handle(alternate.handle));
    Handle found{};
    ASSERT_TRUE(find_text_style(*ctx->drawing.drawing, "STD_1", found));
    EXPECT_EQ(found, alternate.handle);
    const std::string dxf = testing::saved_dxf(*ctx);
    EXPECT_EQ(testing::entity_groups(dxf, "TEXT"),
              std::vector<std::string>{"10=0.0 20=0.0 30=0.0 40=2.84 1=A 7=STD_1"});
}

}  // namespace
}  // namespace penloom
