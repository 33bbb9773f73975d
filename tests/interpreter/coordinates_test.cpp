#include "interpreter/coordinates.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/drawing_context.h"
#include "support/drawn.h"

namespace penloom {
namespace {

using testing::drawing_context;
using testing::run_plot;

using Tune = std::function<void(Context&)>;

void output_unit(Context& ctx, double factor) {
    ctx.settings.unit_factor = factor;
    ctx.settings.drawing_scale = ctx.settings.PlotterUnit * factor / ctx.settings.ScaleFactor;
}

TEST(Coordinates, WherePenMovesEnd) {
    // x, y: current position, drawing units
    struct Row { const char* name; Tune tune; std::string input; double x, y; };
    const Row rows[] = {
        {"defaults: 40 plotter units per millimetre", {}, "PA4000,0;", 100.0, 0.0},
        {"ScaleFactor 2 halves", [](Context& c) { c.settings.ScaleFactor = 2; output_unit(c, 1.0); },
         "PA4000,0;", 50.0, 0.0},
        {"RO180", {}, "RO180;PA1000,500;", -25.0, -12.5},
        {"RO270", {}, "RO270;PA1000,0;", 0.0, -25.0},
        {"RO45 is no rotation", {}, "RO45;PA1000,0;", 25.0, 0.0},
        {"IgnoreRotate", [](Context& c) { c.settings.IgnoreRotate = 1; }, "RO90;PA1000,0;", 25.0, 0.0},
        {"run rotation 270", [](Context& c) { c.batch.rotation = 270; }, "PA1000,0;", 0.0, -25.0},
        {"run rotation 45 is none", [](Context& c) { c.batch.rotation = 45; }, "PA1000,0;", 25.0, 0.0},
        {"RO90 then run rotation 90", [](Context& c) { c.batch.rotation = 90; }, "RO90;PA1000,0;", -25.0,
         0.0},
        {"SC isotropic uses the x factor", {}, "IP0,0,4000,2000;SC0,100,0,100,1;PA50,50;", 50.0, 50.0},
        {"DefaultSCType isotropic", [](Context& c) { c.settings.DefaultSCType = 1; },
         "IP0,0,4000,2000;SC0,100,0,100;PA50,50;", 50.0, 50.0},
        {"SC with a translation", {}, "IP1000,1000,5000,5000;SC-100,100,-100,100;PA0,0;", 75.0, 75.0},
        {"SC point factor", {}, "SC0,2,0,3,2;PA10,10;", 0.5, 0.75},
        {"SC; restores plotter units", {}, "IP0,0,4000,4000;SC0,100,0,100;SC;PA4000,0;", 100.0, 0.0},
        {"SC with a degenerate x side", {}, "SC5,5,0,100;PA4000,0;", 100.0, 0.0},
        {"SC with a degenerate y side takes sx", {}, "IP0,0,4000,4000;SC0,100,7,7;PA50,50;", 50.0, 43.0},
        {"SC mirrored in x", {}, "IP0,0,4000,4000;SC100,0,0,100;PA100,0;", 0.0, 0.0},
        {"SC scales relative moves without translation", {}, "IP1000,0,5000,4000;SC0,100,0,100;PR10,0;",
         10.0, 0.0},
        {"SC type 9 keeps the factors", {}, "IP0,0,4000,4000;SC0,100,0,100;SC0,1,0,1,9;PA50,50;", 50.0, 50.0},
        {"IP after SC rescales", {}, "IP0,0,4000,4000;SC0,100,0,100;IP0,0,8000,8000;PA50,50;", 100.0, 100.0},
        {"FR moves absolute points down", {}, "PS10000,20000;FR;PA0,10000;", 0.0, 0.0},
        {"FR with a distance", {}, "FR400;PA0,400;PR0,400;", 0.0, 10.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = drawing_context(row.tune);
        ASSERT_TRUE(ctx);
        run_plot(*ctx, row.input);
        EXPECT_NEAR(ctx->gs.current_x, row.x, 1e-9);
        EXPECT_NEAR(ctx->gs.current_y, row.y, 1e-9);
    }
}

TEST(Coordinates, ScalingPointsAndPageSize) {
    struct Row { const char* name; Tune tune; std::string input; int p1x, p1y, p2x, p2y, hard_x, hard_y; };
    const Row rows[] = {
        {"IP with P1 only keeps the distance", {}, "IP1000,1000;", 1000, 1000, 32400, 23450, 31400, 22450},
        {"UseP2", [](Context& c) { c.settings.UseP2 = 1; }, "IP1000,1000;", 1000, 1000, 9128, 11160, 31400,
         22450},
        {"IP with four", {}, "IP1,2,3,4;", 1, 2, 3, 4, 31400, 22450},
        {"IP; after RO90 swaps P2", {}, "RO90;IP;", 0, 0, 22450, 31400, 31400, 22450},
        {"IP; after RO90 swaps once", {}, "RO90;IP;IP;", 0, 0, 31400, 22450, 31400, 22450},
        // The swap flag is set, but the rotation in force is 0.
        {"IP; after IgnoreRotate RO90 does not swap", [](Context& c) { c.settings.IgnoreRotate = 1; },
         "RO90;IP;", 0, 0, 31400, 22450, 31400, 22450},
        {"IR with two keeps the distance", {}, "IR50,50;", 15700, 11225, 47100, 33675, 31400, 22450},
        {"PS puts the long side along x", {}, "PS10000,20000;", 0, 0, 20000, 10000, 20000, 10000},
        {"HPGLPrinter keeps the order", [](Context& c) { c.settings.HPGLPrinter = 1; }, "PS10000,20000;",
         0, 0, 10000, 20000, 10000, 20000},
        {"PS with a non-positive length", {}, "IP1,2,3,4;PS-5,100;", 0, 0, 31400, 22450, 31400, 22450},
        {"SC on P1 = P2 = 0 sets P2", {}, "IP0,0,0,0;SC0,500.7,0,300;", 0, 0, 500, 300, 31400, 22450},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = drawing_context(row.tune);
        ASSERT_TRUE(ctx);
        run_plot(*ctx, row.input);
        const GraphicsState& gs = ctx->gs;
        EXPECT_EQ(gs.p1_x, row.p1x);
        EXPECT_EQ(gs.p1_y, row.p1y);
        EXPECT_EQ(gs.p2_x, row.p2x);
        EXPECT_EQ(gs.p2_y, row.p2y);
        EXPECT_EQ(gs.hard_clip_x, row.hard_x);
        EXPECT_EQ(gs.hard_clip_y, row.hard_y);
    }
}

TEST(Coordinates, ClipWindow) {
    auto ctx = drawing_context([](Context& c) { c.settings.ClipToPageSize = 1; });
    run_plot(*ctx, "PS4000,2000;IW0,0,400,400;IW;");  // IW; goes back to the page
    EXPECT_FALSE(ctx->gs.clipping_off);
    EXPECT_DOUBLE_EQ(ctx->gs.clip_max_x, 100.0);
    EXPECT_DOUBLE_EQ(ctx->gs.clip_max_y, 50.0);

    ctx = drawing_context();
    run_plot(*ctx, "IW400,800,0,0;");  // corners in any order
    EXPECT_TRUE(in_clip_window(ctx->gs, 10.0, 20.0));
    EXPECT_TRUE(in_clip_window(ctx->gs, 0.0, 0.0));
    EXPECT_FALSE(in_clip_window(ctx->gs, 10.000001, 5.0));
    run_plot(*ctx, "IW;");
    EXPECT_TRUE(in_clip_window(ctx->gs, 1e6, -1e6));

    // RO turns the page window with the rotation.
    ctx = drawing_context();
    run_plot(*ctx, "RO90;");
    EXPECT_DOUBLE_EQ(ctx->gs.clip_min_x, -561.25);
    EXPECT_DOUBLE_EQ(ctx->gs.clip_max_y, 785.0);
}

TEST(Coordinates, HatchSpacingsFollowScaling) {
    auto ctx = drawing_context();
    ctx->gs.ft3_spacing = 2.0;
    ctx->gs.ft4_spacing = -1.0;
    run_plot(*ctx, "IP0,0,4000,4000;SC0,100,0,100;");
    EXPECT_DOUBLE_EQ(ctx->gs.ft3_spacing, 0.05);
    EXPECT_DOUBLE_EQ(ctx->gs.ft4_spacing, -1.0);
    run_plot(*ctx, "SC0,200,0,200;");  // stays on: no conversion
    EXPECT_DOUBLE_EQ(ctx->gs.ft3_spacing, 0.05);
    run_plot(*ctx, "SC;");
    EXPECT_DOUBLE_EQ(ctx->gs.ft3_spacing, 1.0);
}

TEST(Coordinates, InverseUndoesTheTransform) {
    auto ctx = drawing_context([](Context& c) { c.batch.rotation = 270; });
    run_plot(*ctx, "RO90;IP1000,1000,5000,3000;SC0,100,0,100;");
    GraphicsState& gs = ctx->gs;
    for (double x : {-3.0, 0.0, 12.5}) {
        for (double y : {-7.0, 0.0, 44.0}) {
            DrawingPoint d = transform_point(gs, x, y, true);
            DrawingPoint back = inverse_transform(gs, d.x, d.y);
            EXPECT_NEAR(back.x, x, 1e-12);
            EXPECT_NEAR(back.y, y, 1e-12);
        }
    }
}

}  // namespace
}  // namespace penloom
