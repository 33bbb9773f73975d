// Plotter units to drawing units (RO and the run rotation, IP, IR, SC, PS,
// FR, IW) and the paths of PA/PD/PR, ticks, clipping, arcs, circles, Bezier
// curves and encoded polylines: the entities an in-memory run stores and
// where the pen ends. Whole-program runs of the ordinary cases (millimetres,
// inches, RO90, /R=90, IR, PS, each kind of curve) are in the e2e suite.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "input/parse_trace.h"
#include "input/support.h"
#include "interpreter/bezier.h"
#include "support/drawing_context.h"
#include "support/drawn.h"

namespace penloom {
namespace {

using testing::arc, testing::circle, testing::Drawn, testing::drawing_context, testing::drawn_entities;
using testing::polyline, testing::run_plot, testing::same_entities;
using Tune = std::function<void(Context&)>;

// x, y: the pen afterwards (NaN: not checked).
struct Row { const char* name; std::string input; std::vector<Drawn> expected; double x = NAN, y = NAN;
             Tune tune = {}; };

void run_rows(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = drawing_context(row.tune);
        ASSERT_TRUE(ctx);
        run_plot(*ctx, row.input);
        EXPECT_TRUE(same_entities(drawn_entities(*ctx), row.expected));
        if (std::isnan(row.x)) continue;
        EXPECT_NEAR(ctx->gs.current_x, row.x, 1e-9);
        EXPECT_NEAR(ctx->gs.current_y, row.y, 1e-9);
    }
}

// A dot: the short polyline a lone pen-down point becomes.
Drawn dot(double x, double y) {
    return polyline({{x, y}, {x + 0.0125, y}});
}
const Tune widths = [](Context& c) { c.settings.UsePolylineWidths = 1; };
const Tune page_clip = [](Context& c) { c.settings.ClipToPageSize = 1; };
const double kBulge90 = std::tan(M_PI / 8);

TEST(Coordinates, WherePenMovesEnd) {
    const Tune half = [](Context& c) { c.settings.ScaleFactor = 2, c.settings.drawing_scale = 0.0125; };
    const Tune ignore_ro = [](Context& c) { c.settings.IgnoreRotate = 1; };
    const Tune sc_type = [](Context& c) { c.settings.DefaultSCType = 1; };
    auto run_r = [](int r) { return Tune([r](Context& c) { c.batch.rotation = r; }); };
    run_rows({
        {"ScaleFactor 2 halves", "PA4000,0;", {}, 50, 0, half},
        {"RO180", "RO180;PA1000,500;", {}, -25, -12.5},
        {"RO45 is no rotation", "RO45;PA1000,0;", {}, 25, 0},
        {"IgnoreRotate", "RO90;PA1000,0;", {}, 25, 0, ignore_ro},
        {"run rotation 270", "PA1000,0;", {}, 0, -25, run_r(270)},
        {"run rotation 45 is none", "PA1000,0;", {}, 25, 0, run_r(45)},
        {"RO90 and run rotation 90", "RO90;PA1000,0;", {}, -25, 0, run_r(90)},
        {"SC isotropic uses sx", "IP0,0,4000,2000;SC0,100,0,100,1;PA50,50;", {}, 50, 50},
        {"DefaultSCType isotropic", "IP0,0,4000,2000;SC0,100,0,100;PA50,50;", {}, 50, 50, sc_type},
        {"SC with a translation", "IP1000,1000,5000,5000;SC-100,100,-100,100;PA0,0;", {}, 75, 75},
        {"SC point factor", "SC0,2,0,3,2;PA10,10;", {}, 0.5, 0.75},
        {"SC; restores plotter units", "IP0,0,4000,4000;SC0,100,0,100;SC;PA4000,0;", {}, 100, 0},
        {"degenerate y side takes sx", "IP0,0,4000,4000;SC0,100,7,7;PA50,50;", {}, 50, 43},
        {"SC scales relative moves only", "IP1000,0,5000,4000;SC0,100,0,100;PR10,0;", {}, 10, 0},
        {"SC type 9 keeps the factors", "IP0,0,4000,4000;SC0,100,0,100;SC0,1,0,1,9;PA50,50;", {}, 50, 50},
        {"IP after SC rescales", "IP0,0,4000,4000;SC0,100,0,100;IP0,0,8000,8000;PA50,50;", {}, 100, 100},
        {"FR with a distance", "FR400;PA0,400;PR0,400;", {}, 0, 10},
    });
}

TEST(Coordinates, ScalingPointsAndPageSize) {
    using Fields = std::tuple<int, int, int, int, int, int>;  // P1, P2, hard clip limits
    struct PointRow { const char* name; std::string input; Fields expected; Tune tune = {}; };
    const Tune use_p2 = [](Context& c) { c.settings.UseP2 = 1; };
    const Tune ignore_ro = [](Context& c) { c.settings.IgnoreRotate = 1; };
    const Tune printer = [](Context& c) { c.settings.HPGLPrinter = 1; };
    // The IgnoreRotate row: the swap flag is set, but the rotation in force is 0.
    const PointRow rows[] = {
        {"IP with P1 only keeps the distance", "IP1000,1000;", {1000, 1000, 32400, 23450, 31400, 22450}},
        {"UseP2", "IP1000,1000;", {1000, 1000, 9128, 11160, 31400, 22450}, use_p2},
        {"IP; after RO90 swaps P2", "RO90;IP;", {0, 0, 22450, 31400, 31400, 22450}},
        {"IP; after RO90 swaps once", "RO90;IP;IP;", {0, 0, 31400, 22450, 31400, 22450}},
        {"IgnoreRotate: no swap", "RO90;IP;", {0, 0, 31400, 22450, 31400, 22450}, ignore_ro},
        {"IR with two keeps the distance", "IR50,50;", {15700, 11225, 47100, 33675, 31400, 22450}},
        {"PS puts the long side along x", "PS10000,20000;", {0, 0, 20000, 10000, 20000, 10000}},
        {"HPGLPrinter keeps the order", "PS10000,20000;", {0, 0, 10000, 20000, 10000, 20000}, printer},
        {"PS with a non-positive length", "IP1,2,3,4;PS-5,100;", {0, 0, 31400, 22450, 31400, 22450}},
        {"SC on P1 = P2 = 0 sets P2", "IP0,0,0,0;SC0,500.7,0,300;", {0, 0, 500, 300, 31400, 22450}},
    };
    for (const PointRow& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = drawing_context(row.tune);
        run_plot(*ctx, row.input);
        const GraphicsState& gs = ctx->gs;
        EXPECT_EQ(Fields(gs.p1_x, gs.p1_y, gs.p2_x, gs.p2_y, gs.hard_clip_x, gs.hard_clip_y), row.expected);
    }
}

TEST(Coordinates, HatchSpacingsFollowScaling) {
    auto ctx = drawing_context();
    ctx->gs.ft3_spacing = 2.0, ctx->gs.ft4_spacing = -1.0;
    run_plot(*ctx, "IP0,0,4000,4000;SC0,100,0,100;");
    EXPECT_EQ(std::tuple(ctx->gs.ft3_spacing, ctx->gs.ft4_spacing), std::tuple(0.05, -1.0));
    run_plot(*ctx, "SC0,200,0,200;");  // stays on: no conversion
    EXPECT_DOUBLE_EQ(ctx->gs.ft3_spacing, 0.05);
    run_plot(*ctx, "SC;");
    EXPECT_DOUBLE_EQ(ctx->gs.ft3_spacing, 1.0);
}

TEST(Vectors, PathsTicksAndClipping) {
    const Tune inch = [](Context& c) {
        c.settings.unit_factor = 1 / 25.4, c.settings.drawing_scale = 0.025 / 25.4;
    };
    const std::string iw = "IW0,0,400,400;";
    Drawn chord = polyline({{25, 0}, {0, 25}});
    chord.width = 0.35;
    run_rows({
        {"PD then PU draws a dot", "PU0,0;PD;PU;", {dot(0, 0)}},
        {"two equal vertices: a dot", "PU0,0;PD0,0;PU;", {dot(0, 0)}},
        {"PA and PD add", "PD400,0;PA800,0;PD800,400;PU;", {polyline({{0, 0}, {10, 0}, {20, 0}, {20, 10}})}},
        {"PR draws relative", "PU0,0;PD;PR400,0,0,400;PU;", {polyline({{0, 0}, {10, 0}, {10, 10}})}},
        {"PD relative after PR", "PU0,0;PR;PD400,0,0,400;PU;", {polyline({{0, 0}, {10, 0}, {10, 10}})}},
        {"PA with one number stays", "PD400,0;PA800;PU;", {polyline({{0, 0}, {10, 0}})}},
        {"the end of input finishes", "PU0,0;PD400,0;", {polyline({{0, 0}, {10, 0}})}},
        {"IN finishes the path", "PD400,0;IN;", {polyline({{0, 0}, {10, 0}})}},
        {"a dot follows the rotation", "RO90;PU0,0;PD;PU;", {polyline({{0, 0}, {0, 0.0125}})}},
        // Half a plotter unit along the plotter's x axis, whatever the transform.
        {"a dot under RO, /R, IP and SC", "RO90;IP1000,1000,5000,3000;SC0,100,0,100;PU50,50;PD;PU;",
         {polyline({{-75, -50}, {-75.0125, -50}})}, NAN, NAN, [](Context& c) { c.batch.rotation = 90; }},
        {"a dot in inches", "PU0,0;PD;PU;", {polyline({{0, 0}, {0.0125 / 25.4, 0}})}, NAN, NAN, inch},
        {"SP re-opens without a dot", "PD400,0;SP2;PU;", {polyline({{0, 0}, {10, 0}})}},
        {"XT: vertical, back", "PU400,400;PD;XT;PU;", {polyline({{10, 10}, {10, 9.5}, {10, 10.5}}, true)}},
        {"TL: the sum", "TL1,1;PD400,0;YT;PU;", {polyline({{0, 0}, {10, 0}, {8, 0}, {12, 0}, {10, 0}})}},
        {"TL; 0.5", "TL1,1;TL;PD400,0;YT;PU;", {polyline({{0, 0}, {10, 0}, {9.5, 0}, {10.5, 0}, {10, 0}})}},
        {"clip: cut at both edges", iw + "PU-400,200;PD800,200;PU;", {polyline({{0, 5}, {10, 5}})}},
        {"clip: out and back in", iw + "PU200,200;PD600,200,600,300,200,300,200,350;PU;",
         {polyline({{5, 5}, {10, 5}}), polyline({{10, 7.5}, {5, 7.5}, {5, 8.75}})}},
        {"clip: touching a corner", iw + "PU800,0;PD400,0,800,400;PU;", {}},
        {"IW ends the path", "PU800,800;PD1200,800;" + iw + "PD1200,1200;", {polyline({{20, 20}, {30, 20}})}},
        {"clip: a square on the edges", iw + "PU0,0;PD400,0,400,400,0,400,0,0;PU;",
         {polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true)}},
        {"IW corners in any order", "IW400,400,0,0;PU-400,200;PD800,200;PU;", {polyline({{0, 5}, {10, 5}})}},
        {"IW; back to the page", "PS4000,2000;" + iw + "IW;PU0,0;PD8000,0;", {polyline({{0, 0}, {100, 0}})},
         NAN, NAN, page_clip},
        {"RO turns the page window", "RO90;PS31400,22450;PU0,0;PD40000,0;PU;", {polyline({{0, 0}, {0, 785}})},
         NAN, NAN, page_clip},
        {"ClipToPageSize after PS", "PS4000,2000;PU-400,0;PD400,0;PU;", {polyline({{0, 0}, {10, 0}})},
         NAN, NAN, page_clip},
        {"clip: a bulge is a chord", "IW-4000,-4000,4000,4000;PU1000,0;PD;AA0,0,90;PU;", {chord}, NAN, NAN,
         widths},
    });
}

// The lone pen-down point before an arc and the re-opened path after it
// each end as a dot.
TEST(Arcs, ArcsCirclesAndTheirEnds) {
    run_rows({
        {"AA 450 is 90", "PD1000,0;AA0,0,450;PU;",
         {polyline({{0, 0}, {25, 0}}), arc(0, 0, 25, 0, 90), dot(0, 25)}, 0, 25},
        {"AR", "PU1000,0;PD;AR-1000,0,90;PU;", {dot(25, 0), arc(0, 0, 25, 0, 90), dot(0, 25)}, 0, 25},
        {"AA with the pen up moves", "PU1000,0;AA0,0,90;", {}, 0, 25},
        {"a zero sweep does nothing", "PD1000,0;AA0,0,0;PD0,0;PU;", {polyline({{0, 0}, {25, 0}})}, 0, 0},
        {"AA mirrored turns back", "IP0,0,4000,4000;SC100,0,0,100;PU100,50;PD;AA50,50,90;PU;",
         {dot(0, 50), arc(50, 50, 50, 90, 180), dot(50, 100)}, 50, 100},
        {"widths: clockwise", "PU1000,0;PD;AA0,0,-90;PU;", {polyline({{25, 0, -kBulge90}, {0, -25}})}, 0, -25,
         widths},
        {"widths: a full circle", "PU1000,0;PD;AA0,0,360;PU;",
         {dot(25, 0), polyline({{25, 0, 1}, {-25, 0, 1}}, true), dot(25, 0)}, 25, 0, widths},
        {"RT relative points", "PU1000,0;PD;RT-1000,1000,-2000,0;PU;",
         {dot(25, 0), arc(0, 0, 25, 0, 180), dot(-25, 0)}, -25, 0},
        {"AT collinear: a line", "PD400,0;AT800,0,1200,0;PU;",
         {polyline({{0, 0}, {10, 0}}), polyline({{10, 0}, {30, 0}})}, 30, 0},
        {"AT back to the start", "PD400,0;AT800,0,400,0;PU;", {polyline({{0, 0}, {10, 0}}), dot(10, 0)}, 10,
         0},
        {"widths: AT", "PU1000,0;PD;AT0,1000,-1000,0;", {polyline({{25, 0, 1}, {-25, 0}})}, -25, 0, widths},
        {"CI with the pen down", "PU400,0;PD;CI10;PU;", {dot(10, 0), circle(10, 0, 0.25), dot(10, 0)}, 10, 0},
        {"CI radius: x scale", "IP0,0,4000,4000;SC0,100,0,100;PU50,50;CI10;", {circle(50, 50, 10)}, 50, 50},
        {"CI with a negative radius", "CI-10;", {circle(0, 0, 0.25)}, 0, 0},
        {"CI without a radius", "CI;", {}, 0, 0},
        {"BZ with the pen up moves", "BZ0,0,0,0,400,400;", {}, 10, 10},
    });
    auto ctx = drawing_context();  // extents take the whole circle
    run_plot(*ctx, "PU400,400;CI40;");
    EXPECT_EQ(std::tuple(ctx->gs.extents.min_x, ctx->gs.extents.max_y), std::tuple(9.0, 11.0));
}

// Each side of every step, relative (BR) and absolute (BZ).
TEST(Bezier, PointCounts) {
    const double sizes[] = {7.9, 8,   31.9, 32,  39.9, 40,  159, 160, 199,
                            200, 319, 320,  399, 400,  639, 640, 799, 800};
    const int relative[] = {6, 10, 10, 10, 10, 20, 20, 20, 20, 30, 30, 30, 30, 40, 40, 40, 40, 50};
    const int absolute[] = {6, 10, 10, 20, 20, 20, 20, 30, 30, 30, 30, 40, 40, 40, 40, 50, 50, 50};
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        EXPECT_EQ(bezier_point_count(sizes[i], true), relative[i]) << sizes[i];
        EXPECT_EQ(bezier_point_count(sizes[i], false), absolute[i]) << sizes[i];
    }
}

// BR measures its third relative point, BZ the span of its first and third.
TEST(Bezier, CurvesBecomePathVertices) {
    struct CurveRow { const char* name; std::string input; std::size_t vertices; double end_x, end_y; };
    const CurveRow rows[] = {
        {"BR size 40: 20 points", "PD;BR0,0,0,0,40,0;PU;", 21, 1.0, 0},
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
        const PathVertex& end = drawn[0].vertices.back();
        EXPECT_EQ(std::tuple(drawn[0].vertices.size(), end.x, end.y),
                  std::tuple(row.vertices, row.end_x, row.end_y));
    }
}

// Numbers used below. 8-bit: "\xBF" is 0; "O\xDE" is +1000; "h\xCE" is -500;
// "\xC3" is +2. 7-bit: "_" is 0, "A_" is +1, "a" is +1, "e" is +3, "b" is -1.
TEST(PolylineEncoded, PairsFlagsAndNumbers) {
    run_rows({
        {"7-bit: up to 0,0, draw to 1,1", "PU400,0;PE7<=__A_A_;PU;", {polyline({{0, 0}, {0.025, 0.025}})}},
        {"8-bit relative", "PE O\xDEh\xCEO\xDE\xBF;PU;", {polyline({{0, 0}, {25, -12.5}, {50, -12.5}})}},
        {"7-bit fractional bits", "PE7>a<=__eb;PU;", {polyline({{0, 0}, {0.0375, -0.0125}})}},
        {"pen-up pair splits", "PEO\xDE\xBF<\xBF\xC1O\xDE\xBF;PU;",
         {polyline({{0, 0}, {25, 0}}), polyline({{25, 0.025}, {50, 0.025}})}},
        {"pen down, absolute after", "PE O\xDE\xBF;PD0,400;PU;", {polyline({{0, 0}, {25, 0}, {0, 10}})}},
        {"a bad pair is skipped", "PE\xBF\x80O\xDE\xBF;PU;", {polyline({{0, 0}, {25, 0}})}},
        {"; inside a number ends PE", "PEO\xDEO;PD400,0;PU;", {polyline({{0, 0}, {10, 0}})}},
        {"scaled", "IP0,0,4000,4000;SC0,100,0,100;PE<=\xBF\xBF" "c\xC0\xC1;", {polyline({{0, 0}, {50, 1}})}},
        {"rectangle: moved to, not drawn", "PE9=O\xDEO\xDE\xC2\xC2;", {}, 25, 25},
    });
    // Pen 2; a flag right after ':' selects none; pen 5 among pairs.
    const std::pair<const char*, int> pens[] = {{"PE:\xC3;", 2}, {"SP3;PE:<=\xBF\xBF;", 3},
                                                {"PEO\xDE:\xC9O\xDE;", 5}};
    for (auto [input, pen] : pens) {
        auto ctx = drawing_context();
        run_plot(*ctx, input);
        EXPECT_EQ(ctx->gs.current_pen, pen) << input;
    }
}

// The replay of traced PE instructions is checked by the e2e suite.
TEST(PolylineEncoded, TraceHoldsTheDecodedInstruction) {
    const std::pair<std::string, std::string> rows[] = {
        {"PE7<=__A_A_;PU;", "PE-START\nPD\nPB7\nPU\nPA0,0\nPDPR1,1;\nPU;"},
        {"PE:\xC3>\xC3O\xDE\xBF;", "PE-START\nPD\nSP2\nFB2\nPR250,0;\n"},
        {"PE9=O\xDEO\xDE\xC2\xC2;", "PE-START\nPD\nRM\nPU\nPA1000,1000ER-1,-1;\n"},
    };
    for (const auto& [input, expected] : rows) {
        auto ctx = drawing_context();
        testing::TempFile trace("pe_trace");
        attach_plot_bytes(ctx->gs.reader, input);
        ASSERT_TRUE(open_trace_file(ctx->gs.reader, trace.path));
        run_plot_stream(ctx->interpreter);
        close_trace_file(ctx->gs.reader);
        EXPECT_EQ(trace.read(), expected);
    }
}

}  // namespace
}  // namespace penloom
