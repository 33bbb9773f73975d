#include "construction/entity_emission.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "drawing/entity_codec.h"
#include "support/drawing_context.h"
#include "support/drawn.h"

namespace penloom {
namespace {

using testing::Drawn;
using testing::drawing_context;
using testing::drawn_entities;
using testing::polyline;
using testing::same_entities;

using Tune = std::function<void(Context&)>;

TEST(EntityEmission, PathClosureRules) {
    struct Row { const char* name; std::vector<PathVertex> path; std::vector<Drawn> drawn; int flags; };
    const Row rows[] = {
        {"back at the start with three others: closed", {{0, 0}, {10, 0}, {10, 10}, {0, 0}},
         {polyline({{0, 0}, {10, 0}, {10, 10}}, true)}, 128 + 512},
        {"back at the start after one: open", {{0, 0}, {10, 0}, {0, 0}}, {polyline({{0, 0}, {10, 0}})}, 128},
        {"within 1e-10 counts as back", {{0, 0}, {10, 0}, {10, 10}, {1e-11, -1e-11}},
         {polyline({{0, 0}, {10, 0}, {10, 10}}, true)}, 128 + 512},
        {"a single point writes nothing", {{5, 5}}, {}, 0},
        {"two equal points stay two", {{5, 5}, {5, 5}}, {polyline({{5, 5}, {5, 5}})}, 128},
        {"tiny bulges do not count", {{0, 0, 0.0005}, {10, 0, 0.0005}, {10, 10, 0.0005}},
         {polyline({{0, 0}, {10, 0}, {10, 10}})}, 128},
        {"bulges", {{0, 0, 0.5}, {10, 0, 0.001}, {10, 10}},
         {polyline({{0, 0, 0.5}, {10, 0, 0.001}, {10, 10}})}, 128 + 16},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = drawing_context();
        emit_path_polyline(ctx->interpreter, row.path.data(), static_cast<int>(row.path.size()));
        auto drawn = drawn_entities(*ctx);
        EXPECT_TRUE(same_entities(drawn, row.drawn));
        EXPECT_EQ(drawn.empty() ? 0 : drawn[0].flags, row.flags);
    }
}

TEST(EntityEmission, PolylineKindLineweightsColoursAndWidths) {
    const Tune widths = [](Context& c) { c.settings.UsePolylineWidths = 1; };
    // width: polyline width in drawing units
    struct Row { const char* name; Tune tune; int linetype; std::string kind; int lineweight; double width; };
    const Row rows[] = {
        {"R14 no linetype", [](Context& c) { c.batch.OutputRelease = 6; }, -1, "LWPOLYLINE", -1, 0.0},
        {"R14 dashed", [](Context& c) { c.batch.OutputRelease = 6; }, 2, "POLYLINE", -1, 0.0},
        {"OutputPolyline at 2000", [](Context& c) { c.settings.OutputPolyline = 1; }, -1, "POLYLINE", 35, 0},
        {"UseLineWeights off", [](Context& c) { c.settings.UseLineWeights = 0; }, -1, "LWPOLYLINE", -1, 0.0},
        {"UsePolylineWidths in millimetres", widths, -1, "LWPOLYLINE", 35, 0.35},
        {"UsePolylineWidths with ScaleFactor 2", [&](Context& c) { widths(c), c.settings.ScaleFactor = 2; },
         -1, "LWPOLYLINE", 35, 0.175},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = drawing_context(row.tune);
        ctx->gs.current_colour = 3;
        ctx->gs.current_linetype = row.linetype;
        const PathVertex path[] = {{0, 0}, {10, 0}};
        emit_path_polyline(ctx->interpreter, path, 2);
        emit_arc(ctx->interpreter, 1, 2, 3, 0.5, 1.5);
        ctx->settings.UsePolylineWidths = 0;
        emit_circle(ctx->interpreter, 1, 2, 3);
        auto drawn = drawn_entities(*ctx);
        ASSERT_EQ(drawn.size(), 3u);
        for (const Drawn& d : drawn) EXPECT_EQ(d.lineweight, row.lineweight) << d.kind;
        for (const Drawn& d : drawn) EXPECT_EQ(d.colour, 3) << d.kind;
        EXPECT_EQ(drawn[0].kind, row.kind);
        EXPECT_DOUBLE_EQ(drawn[0].width, row.width);
        EXPECT_EQ((drawn[0].flags & 4) != 0, row.width > 0);
        EXPECT_TRUE(same_entities({drawn[1]}, {testing::arc(1, 2, 3, 0.5 * 180 / M_PI, 1.5 * 180 / M_PI)}));
        EXPECT_TRUE(same_entities({drawn[2]}, {testing::circle(1, 2, 3)}));
    }
}

TEST(EntityEmission, AFailedAddLosesOnlyThatEntity) {
    auto ctx = drawing_context();
    EntityRecords& records = *ctx->drawing.line_work;
    begin_entity(ctx->interpreter, entity_circle, 1, -1, records);
    const Handle taken = records.header.handle;
    ASSERT_TRUE(add_entity_to_drawing(ctx->interpreter, records));
    begin_entity(ctx->interpreter, entity_circle, 1, -1, records);
    records.header.handle = taken;  // not new: the database refuses it
    EXPECT_FALSE(add_entity_to_drawing(ctx->interpreter, records));
    EXPECT_EQ(ctx->out.text(), "\nError is 172: " + error_message(172) + "\n");
    emit_circle(ctx->interpreter, 5, 5, 1);
    EXPECT_EQ(drawn_entities(*ctx).size(), 2u);
}

}  // namespace
}  // namespace penloom
