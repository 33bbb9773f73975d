// Linetypes: template numbers, matching and naming of list records, and the
// linetype table records a finished drawing gets.
#include "construction/linetypes.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "driver/context.h"
#include "interpreter/reset_hooks.h"

namespace penloom {
namespace {

std::unique_ptr<Context> context_with_drawing() {
    auto ctx = std::make_unique<Context>();
    EXPECT_EQ(create_output_drawing(ctx->drawing, ctx->out, ctx->settings, ctx->batch), 0);
    begin_drawing_linetypes(ctx->drawing);
    return ctx;
}

TEST(Linetypes, TemplateIndex) {
    const int rows[][2] = {{0, 1}, {16, 16}, {17, -1}, {-1, 9}, {-8, 16}, {-9, -1}, {INT_MIN, -1}};
    for (const auto& row : rows) EXPECT_EQ(template_index(row[0]), row[1]) << row[0];
}

TEST(Linetypes, MatchingAndNaming) {
    struct Ask { int lt; double length; int index; };
    // names: records 1 onward
    const struct { const char* name; std::vector<Ask> asks; std::vector<std::string> names; } rows[] = {
        {"instances of one LT number", {{2, 20, 1}, {2, 20, 1}, {2, 5, 2}, {2, 5.05, 2}, {2, 5.2, 3}},
         {"DASH3", "DASH31", "DASH32"}},
        {"shared template, other length: next free name", {{0, 20, 1}, {1, 20, 1}, {1, 5, 2}, {0, 5.5, 3}},
         {"DOT2", "DOT21", "DOT22"}},
        {"adaptive and fixed numbers of one template", {{9, 20, 1}, {-1, 30, 2}}, {"DOT1", "DOT11"}},
        {"lengths 0.1 or more apart do not match", {{3, 10, 1}, {3, 10.09, 1}, {3, 10.11, 2}},
         {"DASH4", "DASH41"}},
        {"other templates", {{4, 1, 1}, {-7, 1, 2}}, {"DASHDOT1", "DIVIDE1"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_with_drawing();
        for (const Ask& ask : row.asks) EXPECT_EQ(iget_linetype(ctx->drawing, ctx->out, ask.lt, ask.length), ask.index);
        std::vector<std::string> names;
        for (const LinetypeRecord& record : ctx->drawing.linetypes.records) names.push_back(record.name);
        names.erase(names.begin());
        EXPECT_EQ(names, row.names);
        EXPECT_EQ(ctx->drawing.linetypes.records[0].name, "CONTINUOUS");
        EXPECT_FALSE(is_null_handle(linetype_handle(ctx->drawing, 1)));
    }
}

TEST(Linetypes, DrawingRecordsShareOutThePatternLength) {
    const struct { std::string name; double pattern_length; std::vector<double> dashes; } rows[] = {
        {"DASH3", 20.0, {10.0, -10.0}}, {"DIVIDE2", 9.1, {7.0, -0.1, 0.0, -1.0, 0.0, -1.0}},
        {"DASH1", 8.0, {2.0, 4.0, 2.0}},
    };
    auto ctx = context_with_drawing();
    iget_linetype(ctx->drawing, ctx->out, 2, 20.0);
    iget_linetype(ctx->drawing, ctx->out, 7, 9.1);
    iget_linetype(ctx->drawing, ctx->out, -2, 8.0);
    Drawing& drawing = *ctx->drawing.drawing;
    const std::size_t before = linetype_count(drawing);
    create_drawing_linetypes(ctx->drawing, ctx->out, ctx->settings);
    ASSERT_EQ(linetype_count(drawing), before + 3);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].name);
        Handle handle{};
        ASSERT_TRUE(find_linetype(drawing, rows[i].name, handle));
        EXPECT_EQ(handle, ctx->drawing.linetypes.records[i + 1].handle);  // its reserved handle
        ASSERT_TRUE(first_linetype(drawing));
        LinetypeTableRecord linetype;
        while (next_linetype(drawing, linetype) && linetype.name != rows[i].name) {
        }
        EXPECT_EQ(linetype.description, " ");
        EXPECT_DOUBLE_EQ(linetype.pattern_length, rows[i].pattern_length);
        ASSERT_EQ(linetype.dashes.size(), rows[i].dashes.size());
        for (std::size_t k = 0; k < rows[i].dashes.size(); ++k)
            EXPECT_NEAR(linetype.dashes[k].length, rows[i].dashes[k], 1e-9);
    }
}

TEST(Linetypes, RefusedLinetypeIsReportedAndTheRestAdded) {
    auto ctx = context_with_drawing();
    iget_linetype(ctx->drawing, ctx->out, 2, 20.0);
    iget_linetype(ctx->drawing, ctx->out, 3, 20.0);
    ctx->drawing.linetypes.records[1].name.clear();  // the database refuses a nameless record
    const std::size_t before = linetype_count(*ctx->drawing.drawing);
    create_drawing_linetypes(ctx->drawing, ctx->out, ctx->settings);
    EXPECT_EQ(ctx->out.text(), "Error could not add_linetype :\n\nError is 2: " + error_message(2) + "\n");
    EXPECT_EQ(linetype_count(*ctx->drawing.drawing), before + 1);
}

}  // namespace
}  // namespace penloom
