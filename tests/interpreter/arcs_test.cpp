#include "interpreter/arcs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "support/drawing_context.h"
#include "support/drawn.h"
#include "interpreter/bezier.h"

namespace penloom {
namespace {

using testing::arc;
using testing::circle;
using testing::Drawn;
using testing::drawing_context;
using testing::drawn_entities;
using testing::polyline;
using testing::run_plot;
using testing::same_entities;

struct Row {
    const char* name;
    std::function<void(Context&)> tune;
    std::string input;
    std::vector<Drawn> expected;
    double end_x, end_y;  // current position afterwards
};

void widths(Context& c) {
    c.settings.UsePolylineWidths = 1;
}

// A dot: the short polyline a lone pen-down point becomes.
Drawn dot(double x, double y) {
    return polyline({{x, y}, {x + 0.0125, y}});
}

void run_rows(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = drawing_context(row.tune);
        ASSERT_TRUE(ctx);
        run_plot(*ctx, row.input);
        EXPECT_TRUE(same_entities(drawn_entities(*ctx), row.expected));
        EXPECT_NEAR(ctx->gs.current_x, row.end_x, 1e-9);
        EXPECT_NEAR(ctx->gs.current_y, row.end_y, 1e-9);
    }
}

const double kBulge90 = std::tan(M_PI / 8);

TEST(Arcs, ArcsCirclesAndTheirEnds) {
    const double s = 25 * std::sqrt(0.5);
    run_rows({
        // The lone pen-down point before the arc and the re-opened path after
        // it each end as a dot.
        {"AA -90 runs counter-clockwise from the end", {}, "PU1000,0;PD;AA0,0,-90;PU;",
         {dot(25, 0), arc(0, 0, 25, -90, 0), dot(0, -25)}, 0, -25},
        {"AA 450 normalises to 90", {}, "PD1000,0;AA0,0,450;PU;",
         {polyline({{0, 0}, {25, 0}}), arc(0, 0, 25, 0, 90), dot(0, 25)}, 0, 25},
        {"AR with a relative centre", {}, "PU1000,0;PD;AR-1000,0,90;PU;",
         {dot(25, 0), arc(0, 0, 25, 0, 90), dot(0, 25)}, 0, 25},
        {"AA from another quadrant", {}, "PU0,-1000;PD;AA0,0,45;PU;",
         {dot(0, -25), arc(0, 0, 25, -90, -45), dot(s, -s)}, s, -s},
        {"AA with the pen up only moves", {}, "PU1000,0;AA0,0,90;", {}, 0, 25},
        {"a zero sweep does nothing at all", {}, "PD1000,0;AA0,0,0;PD0,0;PU;",
         {polyline({{0, 0}, {25, 0}})}, 0, 0},
        {"AA in a mirrored system turns the other way", {},
         "IP0,0,4000,4000;SC100,0,0,100;PU100,50;PD;AA50,50,90;PU;",
         {dot(0, 50), arc(50, 50, 50, 90, 180), dot(50, 100)}, 50, 100},
        {"widths: the arc joins the path as a bulge", widths, "PU1000,0;PD;AA0,0,90;PD0,0;PU;",
         {polyline({{25, 0, kBulge90}, {0, 25}, {0, 0}})}, 0, 0},
        {"widths: a negative sweep bulges clockwise", widths, "PU1000,0;PD;AA0,0,-90;PU;",
         {polyline({{25, 0, -kBulge90}, {0, -25}})}, 0, -25},
        {"widths: a full circle is a closed bulge pair", widths, "PU1000,0;PD;AA0,0,360;PU;",
         {dot(25, 0), polyline({{25, 0, 1}, {-25, 0, 1}}, true), dot(25, 0)}, 25, 0},
        // Three-point arcs.
        {"AT counter-clockwise", {}, "PU1000,0;PD;AT0,1000,-1000,0;PU;",
         {dot(25, 0), arc(0, 0, 25, 0, 180), dot(-25, 0)}, -25, 0},
        {"RT relative points", {}, "PU1000,0;PD;RT-1000,1000,-2000,0;PU;",
         {dot(25, 0), arc(0, 0, 25, 0, 180), dot(-25, 0)}, -25, 0},
        {"AT collinear is a straight line", {}, "PD400,0;AT800,0,1200,0;PU;",
         {polyline({{0, 0}, {10, 0}}), polyline({{10, 0}, {30, 0}})}, 30, 0},
        {"AT back to the start draws a line to the start", {}, "PD400,0;AT800,0,400,0;PU;",
         {polyline({{0, 0}, {10, 0}}), dot(10, 0)}, 10, 0},
        {"widths: AT joins as a bulge", widths, "PU1000,0;PD;AT0,1000,-1000,0;PU;",
         {polyline({{25, 0, 1}, {-25, 0}})}, -25, 0},
        // Circles.
        {"CI with the pen up still draws", {}, "PU0,0;CI10;", {circle(0, 0, 0.25)}, 0, 0},
        {"CI with the pen down ends and re-opens the path", {}, "PU400,0;PD;CI10;PU;",
         {dot(10, 0), circle(10, 0, 0.25), dot(10, 0)}, 10, 0},
        {"CI radius follows the x scale", {}, "IP0,0,4000,4000;SC0,100,0,100;PU50,50;CI10;",
         {circle(50, 50, 10)}, 50, 50},
        {"CI with a negative radius", {}, "CI-10;", {circle(0, 0, 0.25)}, 0, 0},
        {"CI without a radius draws nothing", {}, "CI;", {}, 0, 0},
    });
    auto ctx = drawing_context();  // extents take the whole circle
    run_plot(*ctx, "PU400,400;CI40;");
    EXPECT_DOUBLE_EQ(ctx->gs.extents_min_x, 9.0);
    EXPECT_DOUBLE_EQ(ctx->gs.extents_max_y, 11.0);
}

TEST(Bezier, PointCounts) {
    struct CountRow { double size; int relative, absolute; };
    const CountRow rows[] = {{0, 6, 6},     {7.9, 6, 6},   {8, 10, 10},   {31.9, 10, 10},
                             {32, 10, 20},  {39.9, 10, 20}, {40, 20, 20},  {160, 20, 30},
                             {199, 20, 30}, {200, 30, 30}, {320, 30, 40},  {400, 40, 40},
                             {640, 40, 50}, {799, 40, 50}, {800, 50, 50},  {1e9, 50, 50}};
    for (const CountRow& row : rows) {
        SCOPED_TRACE(row.size);
        EXPECT_EQ(bezier_point_count(row.size, true), row.relative);
        EXPECT_EQ(bezier_point_count(row.size, false), row.absolute);
    }
}

TEST(Bezier, CurvesBecomePathVertices) {
    struct CurveRow { const char* name; std::string input; std::size_t vertices; double end_x, end_y; };
    const CurveRow rows[] = {
        {"BR small: 6 points after the start", "PD;BR0,0,0,0,5,5;PU;", 7, 0.125, 0.125},
        {"BR size 40: 20 points", "PD;BR0,0,0,0,40,0;PU;", 21, 1.0, 0},
        {"BZ span 32: 20 points", "PD;BZ0,0,0,0,32,0;PU;", 21, 0.8, 0},
        {"BZ span 640: 50 points", "PD;BZ0,0,0,0,0,640;PU;", 51, 0, 16},
        {"two sets in one instruction", "PD;BR0,0,0,0,5,5,0,0,0,0,5,5;PU;", 13, 0.25, 0.25},
        {"an incomplete set is dropped", "PD;BR0,0,0,0,5,5,1,1;PU;", 7, 0.125, 0.125},
    };
    for (const CurveRow& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = drawing_context();
        run_plot(*ctx, row.input);
        auto drawn = drawn_entities(*ctx);
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(drawn[0].vertices.size(), row.vertices);
        EXPECT_NEAR(drawn[0].vertices.back().x, row.end_x, 1e-12);
        EXPECT_NEAR(drawn[0].vertices.back().y, row.end_y, 1e-12);
    }
    // The curve itself: B(t) = t^3 p3 for p1 = p2 = start = (0,0).
    auto ctx = drawing_context();
    run_plot(*ctx, "PD;BR0,0,0,0,40,0;PU;");
    auto drawn = drawn_entities(*ctx);
    ASSERT_EQ(drawn.size(), 1u);
    for (int i = 0; i < 20; ++i) {
        const double t = i / 19.0;
        EXPECT_NEAR(drawn[0].vertices[1 + i].x, t * t * t, 1e-12);
    }
    // With the pen up the position moves and nothing is drawn.
    ctx = drawing_context();
    run_plot(*ctx, "BZ0,0,0,0,400,400;");
    EXPECT_TRUE(drawn_entities(*ctx).empty());
    EXPECT_DOUBLE_EQ(ctx->gs.current_x, 10.0);
}

}  // namespace
}  // namespace penloom
