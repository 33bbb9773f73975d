// Linetypes: template numbers, matching and naming of list records, record
// 0, and the linetype table records a finished drawing gets.
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
    EXPECT_EQ(create_output_drawing(*ctx), 0);
    begin_drawing_linetypes(*ctx);
    return ctx;
}

std::vector<std::string> names_of(const Context& ctx) {
    std::vector<std::string> names;
    for (const LinetypeRecord& record : ctx.drawing.linetypes.records) names.push_back(record.name);
    return names;
}

TEST(Linetypes, TemplateIndex) {
    struct Row { int lt; int index; };
    const Row rows[] = {{0, 1}, {16, 16}, {17, -1}, {-1, 9}, {-8, 16}, {-9, -1}, {INT_MIN, -1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.lt);
        EXPECT_EQ(template_index(row.lt), row.index);
    }
}

TEST(Linetypes, MatchingAndNaming) {
    struct Ask { int lt; double length; int index; };
    // names: records 1 onward
    struct Row { const char* name; std::vector<Ask> asks; std::vector<std::string> names; };
    const Row rows[] = {
        {"instances of one LT number",
         {{2, 20, 1}, {2, 20, 1}, {2, 5, 2}, {2, 5.05, 2}, {2, 5.2, 3}},
         {"DASH3", "DASH31", "DASH32"}},
        {"LT0 and LT1 share", {{0, 20, 1}, {1, 20, 1}}, {"DOT2"}},
        {"shared template, other length: next free name", {{0, 20, 1}, {1, 5, 2}, {0, 5.5, 3}},
         {"DOT2", "DOT21", "DOT22"}},
        {"adaptive and fixed numbers of one template", {{9, 20, 1}, {-1, 30, 2}},
         {"DOT1", "DOT11"}},
        {"lengths 0.1 or more apart do not match", {{3, 10, 1}, {3, 10.09, 1}, {3, 10.11, 2}},
         {"DASH4", "DASH41"}},
        {"every template",
         {{1, 1, 1}, {4, 1, 2}, {5, 1, 3}, {6, 1, 4}, {7, 1, 5}, {8, 1, 6},
          {-2, 1, 7}, {-3, 1, 8}, {-4, 1, 9}, {-5, 1, 10}, {-6, 1, 11}, {-7, 1, 12}},
         {"DOT2", "DASHDOT1", "CENTER2", "PHANTOM2", "DIVIDE2", "DASHDOT2", "DASH1", "DASH2",
          "DASH1DOT", "CENTER1", "PHANTOM1", "DIVIDE1"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_with_drawing();
        for (const Ask& ask : row.asks)
            EXPECT_EQ(iget_linetype(*ctx, ask.lt, ask.length), ask.index);
        std::vector<std::string> expected{"CONTINUOUS"};
        expected.insert(expected.end(), row.names.begin(), row.names.end());
        EXPECT_EQ(names_of(*ctx), expected);
        for (std::size_t i = 1; i < ctx->drawing.linetypes.records.size(); ++i)
            EXPECT_FALSE(is_null_handle(linetype_handle(*ctx, static_cast<int>(i))));
        EXPECT_EQ(ctx->out.text(), "");
    }
}

struct Written { std::string name; double pattern_length; std::vector<double> dashes; };

TEST(Linetypes, DrawingRecordsShareOutThePatternLength) {
    const Written rows[] = {
        {"DASH3", 20.0, {10.0, -10.0}},
        {"DIVIDE2", 9.1, {7.0, -0.1, 0.0, -1.0, 0.0, -1.0}},
        {"DASH1", 8.0, {2.0, 4.0, 2.0}},
        {"DASHDOT1", 10.0, {8.0, -0.95, 0.1, -0.95}},
    };
    auto ctx = context_with_drawing();
    iget_linetype(*ctx, 2, 20.0);
    iget_linetype(*ctx, 7, 9.1);
    iget_linetype(*ctx, -2, 8.0);
    iget_linetype(*ctx, 4, 10.0);
    Drawing& drawing = *ctx->drawing.drawing;
    const std::size_t before = linetype_count(drawing);
    create_drawing_linetypes(*ctx);
    ASSERT_EQ(linetype_count(drawing), before + 4);
    for (const Written& row : rows) {
        SCOPED_TRACE(row.name);
        Handle handle{};
        ASSERT_TRUE(find_linetype(drawing, row.name, handle));
        bool found = false;
        for (const LinetypeRecord& record : ctx->drawing.linetypes.records)
            if (record.name == row.name) found = record.handle == handle;
        EXPECT_TRUE(found) << "written under its reserved handle";
        ASSERT_TRUE(first_linetype(drawing));
        LinetypeTableRecord linetype;
        while (next_linetype(drawing, linetype) && linetype.name != row.name) {
        }
        ASSERT_EQ(linetype.name, row.name);
        EXPECT_EQ(linetype.description, " ");
        EXPECT_DOUBLE_EQ(linetype.pattern_length, row.pattern_length);
        ASSERT_EQ(linetype.dashes.size(), row.dashes.size());
        for (std::size_t i = 0; i < row.dashes.size(); ++i)
            EXPECT_NEAR(linetype.dashes[i].length, row.dashes[i], 1e-9);
    }
}

TEST(Linetypes, RefusedLinetypeIsReportedAndTheRestAdded) {
    auto ctx = context_with_drawing();
    iget_linetype(*ctx, 2, 20.0);
    iget_linetype(*ctx, 3, 20.0);
    ctx->drawing.linetypes.records[1].name.clear();  // the database refuses a nameless record
    const std::size_t before = linetype_count(*ctx->drawing.drawing);
    create_drawing_linetypes(*ctx);
    EXPECT_EQ(ctx->out.text(),
              "Error could not add_linetype :\n\nError is 2: " + error_message(2) + "\n");
    EXPECT_EQ(linetype_count(*ctx->drawing.drawing), before + 1);
}

}  // namespace
}  // namespace penloom
