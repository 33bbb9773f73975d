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

Tune release(int code) {
    return [code](Context& c) { c.batch.OutputRelease = code; };
}

// Entity type names in store order, VERTEX and SEQEND included.
std::vector<std::string> kinds_in_order(const Context& ctx) {
    std::vector<std::string> out;
    testing::for_each_stored_entity(ctx, [&](const StoredEntity& e) {
        switch (e.kind) {
            case EntityKind::lwpolyline: out.push_back("LWPOLYLINE"); break;
            case EntityKind::polyline: out.push_back("POLYLINE"); break;
            case EntityKind::vertex: out.push_back("VERTEX:" + std::to_string(e.header.color)); break;
            case EntityKind::seqend: out.push_back("SEQEND"); break;
            case EntityKind::circle: out.push_back("CIRCLE"); break;
            case EntityKind::arc: out.push_back("ARC"); break;
            default: out.push_back("?"); break;
        }
    });
    return out;
}

TEST(EntityEmission, PathClosureRules) {
    struct Row {
        const char* name;
        std::vector<PathVertex> path;
        std::vector<Drawn> expected;
        std::uint16_t flags;
    };
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
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = drawing_context();
        emit_path_polyline(*ctx, row.path.data(), static_cast<int>(row.path.size()));
        auto drawn = drawn_entities(*ctx);
        EXPECT_TRUE(same_entities(drawn, row.expected));
        if (!drawn.empty()) {
            EXPECT_EQ(drawn[0].flags, row.flags);
        }
    }
}

TEST(EntityEmission, PolylineKindAndTheEntitiesWritten) {
    struct Row {
        const char* name;
        Tune tune;
        int linetype;
        bool closed;
        std::vector<std::string> kinds;
        std::uint16_t flags;
    };
    const Row rows[] = {
        {"R14 no linetype: LWPOLYLINE", release(6), -1, false, {"LWPOLYLINE"}, 128},
        {"R14 dashed closed", release(6), 2, true, {"POLYLINE", "VERTEX:256", "VERTEX:256", "SEQEND"}, 129},
        {"OutputPolyline at 2000",
         [](Context& c) { c.settings.OutputPolyline = 1; },
         -1, false, {"POLYLINE", "VERTEX:256", "VERTEX:256", "SEQEND"}, 128},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = drawing_context(row.tune);
        ctx->gs.current_linetype = row.linetype;
        PolylineBuild build = begin_polyline(*ctx, 2, row.closed, false);
        add_vertex(*ctx, build, 1, 2, 0);
        add_vertex(*ctx, build, 3, 4, 0);
        end_polyline(*ctx, build);
        EXPECT_EQ(kinds_in_order(*ctx), row.kinds);
        auto drawn = drawn_entities(*ctx);
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(drawn[0].flags, row.flags);
        EXPECT_EQ(drawn[0].vertices.size(), 2u);
        EXPECT_DOUBLE_EQ(drawn[0].vertices[1].y, 4.0);
    }
}

TEST(EntityEmission, LineweightsColoursAndWidths) {
    // lineweight: of polylines, circles and arcs; width: polyline width, drawing units
    struct Row { const char* name; Tune tune; int lineweight; double width; };
    const Row rows[] = {
        {"2000 with UseLineWeights", {}, 35, 0.0},
        {"UseLineWeights off", [](Context& c) { c.settings.UseLineWeights = 0; }, -1, 0.0},
        {"UsePolylineWidths in millimetres", [](Context& c) { c.settings.UsePolylineWidths = 1; }, 35, 0.35},
        {"UsePolylineWidths with ScaleFactor 2",
         [](Context& c) {
             c.settings.UsePolylineWidths = 1;
             c.settings.ScaleFactor = 2;
         },
         35, 0.175},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = drawing_context(row.tune);
        ctx->gs.current_colour = 3;
        const PathVertex path[] = {{0, 0}, {10, 0}};
        emit_path_polyline(*ctx, path, 2);
        emit_arc(*ctx, 1, 2, 3, 0.5, 1.5);
        ctx->settings.UsePolylineWidths = 0;
        emit_circle(*ctx, 1, 2, 3);
        auto drawn = drawn_entities(*ctx);
        ASSERT_EQ(drawn.size(), 3u);
        for (const Drawn& d : drawn) {
            SCOPED_TRACE(d.kind);
            EXPECT_EQ(d.lineweight, row.lineweight);
            EXPECT_EQ(d.colour, 3);
        }
        EXPECT_DOUBLE_EQ(drawn[0].width, row.width);
        EXPECT_EQ((drawn[0].flags & 4) != 0, row.width > 0);
        EXPECT_TRUE(same_entities({drawn[1]}, {testing::arc(1, 2, 3, 0.5 * 180 / M_PI, 1.5 * 180 / M_PI)}));
        EXPECT_TRUE(same_entities({drawn[2]}, {testing::circle(1, 2, 3)}));
    }
}

TEST(EntityEmission, CirclesWithPolylineWidthsAreBulgePairs) {
    auto ctx = drawing_context([](Context& c) { c.settings.UsePolylineWidths = 1; });
    emit_circle(*ctx, 10, 20, 2);
    auto drawn = drawn_entities(*ctx);
    EXPECT_TRUE(same_entities(drawn, {polyline({{12, 20, 1}, {8, 20, 1}}, true)}));
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].flags, 128 + 512 + 16 + 4);
    EXPECT_DOUBLE_EQ(drawn[0].width, 0.35);
}

TEST(EntityEmission, AFailedAddLosesOnlyThatEntity) {
    auto ctx = drawing_context();
    EntityRecords& records = *ctx->drawing.line_work;
    begin_entity(*ctx, entity_circle, 1, -1, records);
    const Handle taken = records.header.handle;
    ASSERT_TRUE(add_entity_to_drawing(*ctx, records));
    begin_entity(*ctx, entity_circle, 1, -1, records);
    records.header.handle = taken;  // not new: the database refuses it
    EXPECT_FALSE(add_entity_to_drawing(*ctx, records));
    EXPECT_EQ(ctx->out.text(), "\nError is 172: " + error_message(172) + "\n");
    emit_circle(*ctx, 5, 5, 1);
    EXPECT_EQ(drawn_entities(*ctx).size(), 2u);
}

}  // namespace
}  // namespace penloom
