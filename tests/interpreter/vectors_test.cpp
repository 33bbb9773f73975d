#include "interpreter/vectors.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/drawing_context.h"
#include "support/drawn.h"

namespace penloom {
namespace {

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
};

void run_rows(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = drawing_context(row.tune);
        ASSERT_TRUE(ctx);
        run_plot(*ctx, row.input);
        EXPECT_TRUE(same_entities(drawn_entities(*ctx), row.expected));
    }
}

TEST(Vectors, PathsAndWhenTheyEnd) {
    run_rows({
        {"PD then PU draws a dot", {}, "PU0,0;PD;PU;", {polyline({{0, 0}, {0.0125, 0}})}},
        {"two equal vertices collapse to a dot", {}, "PU0,0;PD0,0;PU;", {polyline({{0, 0}, {0.0125, 0}})}},
        {"one polyline of three vertices", {}, "PA100,100;PD200,100,200,200;PU;",
         {polyline({{2.5, 2.5}, {5, 2.5}, {5, 5}})}},
        {"PA and PD add to the open path", {}, "PD400,0;PA800,0;PD800,400;PU;",
         {polyline({{0, 0}, {10, 0}, {20, 0}, {20, 10}})}},
        {"PR draws relative with the pen down", {}, "PU0,0;PD;PR400,0,0,400;PU;",
         {polyline({{0, 0}, {10, 0}, {10, 10}})}},
        {"PD relative after PR", {}, "PU0,0;PR;PD400,0,0,400;PU;", {polyline({{0, 0}, {10, 0}, {10, 10}})}},
        {"PA with one number does not move", {}, "PD400,0;PA800;PU;", {polyline({{0, 0}, {10, 0}})}},
        {"the end of input finishes the path", {}, "PU0,0;PD400,0;", {polyline({{0, 0}, {10, 0}})}},
        {"IN finishes the path", {}, "PD400,0;IN;", {polyline({{0, 0}, {10, 0}})}},
        {"a dot with scaling is half a plotter unit", {}, "IP0,0,4000,4000;SC0,100,0,100;PU50,50;PD;PU;",
         {polyline({{50, 50}, {50.0125, 50}})}},
        {"a dot follows the rotation", {}, "RO90;PU0,0;PD;PU;", {polyline({{0, 0}, {0, 0.0125}})}},
        {"a dot with OutputUnit inch",
         [](Context& c) {
             c.settings.unit_factor = 1 / 25.4;
             c.settings.drawing_scale = 0.025 / 25.4;
         },
         "PU0,0;PD;PU;", {polyline({{0, 0}, {0.0125 / 25.4, 0}})}},
        {"a pen change re-opens without a dot", {}, "PD400,0;SP2;PU;", {polyline({{0, 0}, {10, 0}})}},
    });
}

TEST(Vectors, Ticks) {
    run_rows({
        {"XT is vertical, back to the point", {}, "PU400,400;PD;XT;PU;",
         {polyline({{10, 10}, {10, 9.5}, {10, 10.5}}, true)}},
        {"YT is horizontal", {}, "PD400,0;YT;PU;",
         {polyline({{0, 0}, {10, 0}, {9.5, 0}, {10.5, 0}, {10, 0}})}},
        {"TL sets the sum as drawing units", {}, "TL1,1;PD400,0;YT;PU;",
         {polyline({{0, 0}, {10, 0}, {8, 0}, {12, 0}, {10, 0}})}},
        {"TL; restores 0.5", {}, "TL1,1;TL;PD400,0;YT;PU;",
         {polyline({{0, 0}, {10, 0}, {9.5, 0}, {10.5, 0}, {10, 0}})}},
    });
}

TEST(Vectors, ClippingCutsPathsIntoPieces) {
    run_rows({
        {"a crossing segment is cut at both edges", {}, "IW0,0,400,400;PU-400,200;PD800,200;PU;",
         {polyline({{0, 5}, {10, 5}})}},
        {"leaving and coming back makes two pieces", {},
         "IW0,0,400,400;PU200,200;PD600,200,600,300,200,300,200,350;PU;",
         {polyline({{5, 5}, {10, 5}}), polyline({{10, 7.5}, {5, 7.5}, {5, 8.75}})}},
        {"edges are inside", {}, "IW0,0,400,400;PU0,0;PD400,0,400,400;PU;",
         {polyline({{0, 0}, {10, 0}, {10, 10}})}},
        {"touching a corner draws nothing", {}, "IW0,0,400,400;PU800,0;PD400,0,800,400;PU;", {}},
        {"IW; switches clipping off", {}, "IW0,0,400,400;IW;PU800,800;PD1200,800;PU;",
         {polyline({{20, 20}, {30, 20}})}},
        {"IW ends the open path before clipping", {}, "PU800,800;PD1200,800;IW0,0,400,400;PD1200,1200;PU;",
         {polyline({{20, 20}, {30, 20}})}},
        {"a closed square on the window stays closed", {},
         "IW0,0,400,400;PU0,0;PD400,0,400,400,0,400,0,0;PU;",
         {polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true)}},
        {"ClipToPageSize after PS", [](Context& c) { c.settings.ClipToPageSize = 1; },
         "PS4000,2000;PU-400,0;PD400,0;PU;", {polyline({{0, 0}, {10, 0}})}},
        {"a bulge becomes a chord when clipped", [](Context& c) { c.settings.UsePolylineWidths = 1; },
         "IW-4000,-4000,4000,4000;PU1000,0;PD;AA0,0,90;PU;", [] {
             Drawn d = polyline({{25, 0}, {0, 25}});
             d.width = 0.35;
             return std::vector<Drawn>{d};
         }()},
    });
}

// The growth steps themselves are counted by the hardening suite; the step
// reached carries over to the next page: after the first 32, 1024 more.
TEST(Vectors, VertexListStepCarriesOverToTheNextPage) {
    auto ctx = drawing_context();
    put_pen_down(*ctx);
    for (int i = 1; i <= 3100; ++i) add_path_vertex(*ctx, i, 0, 0, false);
    end_path(*ctx);
    release_page_lists(*ctx);
    EXPECT_EQ(ctx->gs.path.vertices.capacity(), 0u);
    put_pen_down(*ctx);
    for (int i = 0; i < 40; ++i) add_path_vertex(*ctx, i, 1, 0, false);
    EXPECT_EQ(ctx->gs.path.vertices.capacity(), 32u + 1024u);
}

}  // namespace
}  // namespace penloom
