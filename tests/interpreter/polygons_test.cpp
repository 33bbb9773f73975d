#include "interpreter/polygons.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "interpreter/fill_support.h"

namespace penloom {
namespace {

using testing::fills_of;

struct Row {
    const char* name;
    std::function<void(Context&)> tune;
    std::string input;
    std::vector<std::string> expected;
};

void run_rows(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(fills_of(row.input, row.tune), row.expected);
    }
}

// A 10 x 10 square at the origin (drawing units) and others like it.
const std::string kSquare = "PA0,0;PM0;PD400,0,400,400,0,400;PM2;";
const std::string kSolidSquare =
    "HATCH SOLID solid=1 | path 2: 0,0 10,0 10,10 0,10 | type=0 | colour=7";
const std::string kOutline = "LWPOLYLINE closed 0,0 10,0 10,10 0,10";

TEST(Polygons, PendingSolidFills) {
    run_rows({
        {"finished by the next drawing",
         {},
         kSquare + "FP;PU;PD800,0;",
         {kSolidSquare, "LWPOLYLINE open 0,0 20,0"}},
        {"finished at the end of input", {}, kSquare + "FP;", {kSolidSquare}},
        {"PM0 alone leaves a solid fill pending", {}, kSquare, {kSolidSquare}},
        {"finished by a pen change", {}, kSquare + "FP;SP2;PU;", {kSolidSquare}},
        {"two polygons batched into one combined fill",
         {},
         kSquare + "FP;PU;PA200,200;PM0;PD600,200,600,600,200,600;PM2;FP;",
         {"HATCH SOLID solid=1 | path 2: 10,5 15,5 15,15 5,15 5,10 0,10 0,0 10,0 | type=0 | "
          "colour=7"}},
        {"a square with a hole beside another square",
         {},
         kSquare + "FP;PU;PA120,120;PM0;PD280,120,280,280,120,280;PM2;FP;PU;PA800,0;PM0;PD1200,0,"
                   "1200,400,800,400;"
                   "PM2;FP;",
         {"HATCH SOLID solid=1 | path 3: 10,10 0,10 0,0 10,0 | path 18: 3,3 3,7 7,7 7,3 | type=0 | "
          "colour=7",
          "HATCH SOLID solid=1 | path 2: 30,10 20,10 20,0 30,0 | type=0 | colour=7"}},
        {"a circle adds nothing to a combined fill",
         {},
         kSquare + "PU;PA0,0;PM0;CI100;PM2;FP;",
         {"HATCH SOLID solid=1 | path 2: 10,10 0,10 0,0 10,0 | type=0 | colour=7"}},
        {"subpolygons fill at once, uncombined",
         {},
         "PA0,0;PM0;PD400,0,400,400,0,400;PM1;PU120,120;PD280,120,280,280,120,280;PM2;FP;",
         {"HATCH SOLID solid=1 | path 2: 0,0 10,0 10,10 0,10 | path 2: 3,3 7,3 7,7 3,7 | type=0 | "
          "colour=7"}},
        {"the non-zero rule: the first even-odd, the last alone",
         {},
         "PA0,0;PM0;PD400,0,400,400,0,400;PM1;PU120,120;PD280,120,280,280,120,280;PM2;FP1;",
         {kSolidSquare, "LWPOLYLINE closed 3,3 7,3 7,7 3,7"}},
    });
}

TEST(Polygons, EdgesAndDeferredEdges) {
    run_rows({
        {"EP outlines at once", {}, kSquare + "EP;", {kOutline}},
        {"PM1;PM2; closes once", {}, "PA0,0;PM0;PD400,0,400,400,0,400;PM1;PM2;EP;", {kOutline}},
        {"EP before FP with a shading fills, then outlines",
         {},
         "FT10,30;" + kSquare + "EP;FP;",
         {kSolidSquare, kOutline}},
        {"EP before FP with a solid fill is dropped", {}, kSquare + "EP;FP;", {kSolidSquare}},
        // A solid FP only marks the fill pending; the EP after it outlines and
        // empties the buffer, so the pending fill has nothing left to fill.
        {"FP then EP: the outline takes the pending solid fill's polygons", {}, kSquare + "FP;EP;", {kOutline}},
        {"pen-up moves are not outlined",
         {},
         "PA0,0;PM0;PD400,0;PU400,400;PD0,400;PM2;EP;",
         {"LWPOLYLINE open 0,0 10,0", "LWPOLYLINE open 10,10 0,10 0,0"}},
        {"a circle outlines as a circle", {}, "PA0,0;PM0;CI400;PM2;EP;", {"CIRCLE 0,0 r10"}},
    });
}

TEST(Polygons, WhiteFills) {
    auto white_off = [](Context& ctx) { ctx.settings.TransWhiteFill = 0; };
    run_rows({
        {"TransWhiteFill 1 fills in white",
         {},
         "PC1,255,255,255;" + kSquare + "FP;",
         {"HATCH SOLID solid=1 | path 2: 0,0 10,0 10,10 0,10 | type=0 | colour=255"}},
        {"TransWhiteFill 0 fills nothing",
         white_off,
         "PC1,255,255,255;" + kSquare + "FP;PU;PD800,0;",
         {"LWPOLYLINE open 0,0 20,0"}},
        {"TransWhiteFill 0 still draws a deferred edge",
         white_off,
         "PC1,255,255,255;FT10,50;" + kSquare + "EP;FP;",
         {kOutline}},
    });
}

TEST(Polygons, OutlinesInsteadOfHatches) {
    run_rows({
        {"FillOutlinesOnly",
         [](Context& ctx) { ctx.settings.FillOutlinesOnly = 1; },
         kSquare + "FP;",
         {kOutline}},
        {"R13 output",
         [](Context& ctx) { ctx.batch.OutputRelease = 5; },
         kSquare + "FP;",
         {"POLYLINE"}},
        {"a combined fill as outlines",
         [](Context& ctx) { ctx.settings.FillOutlinesOnly = 1; },
         kSquare + "FP;PU;PA200,200;PM0;PD600,200,600,600,200,600;PM2;FP;",
         {"LWPOLYLINE closed 10,5 15,5 15,15 5,15 5,10 0,10 0,0 10,0"}},
        {"a circle polygon at R14",
         [](Context& ctx) { ctx.batch.OutputRelease = 6; },
         "PA0,0;PM0;CI400;PM2;FP;",
         {"HATCH SOLID solid=1 | path 0: arc 0,0 r10 0..360 | type=0 | colour=7"}},
        {"a circle below R14 is drawn at once",
         [](Context& ctx) { ctx.batch.OutputRelease = 5; },
         "PA0,0;PM0;CI400;PM2;FP;",
         {"CIRCLE 0,0 r10"}},
    });
}

TEST(Polygons, SubpolygonsDropped) {
    run_rows({
        {"a two-point subpolygon",
         {},
         "PA0,0;PM0;PD400,0;PM2;FP;EP;",
         {"LWPOLYLINE open 0,0 10,0"}},
        {"outside the clip window",
         {},
         "IW0,0,400,400;PA800,800;PM0;PD1200,800,1200,1200;PM2;FP;",
         {}},
        {"an empty buffer fills nothing", {}, "FP;EP;", {}},
    });
}

TEST(Polygons, RectanglesAndWedges) {
    run_rows({
        {"RA fills and the pen stays",
         {},
         "RA400,400;PD800,0;",
         {kSolidSquare, "LWPOLYLINE open 0,0 20,0"}},
        {"RR is relative",
         {},
         "PA400,400;RR-400,-400;",
         {"HATCH SOLID solid=1 | path 2: 10,10 0,10 0,0 10,0 | type=0 | colour=7"}},
        {"EA outlines", {}, "EA400,400;", {kOutline}},
        {"ER with the pen down re-opens the path",
         {},
         "PD;ER400,400;PR400,0;PU;",
         {"LWPOLYLINE open 0,0 0.0125,0", kOutline, "LWPOLYLINE open 0,0 10,0"}},
        {"PE rectangle",
         {},
         "PE9=\xbf\xbf_\xcb_\xcb;",
         {"HATCH SOLID solid=1 | path 2: 0,0 10,0 10,10 0,10 | type=0 | colour=7"}},
        {"WG quarter wedge",
         {},
         "PA1000,1000;WG400,0,90;",
         {"HATCH SOLID solid=1 | path 2: 25,25b0 35,25b0.1989123674 "
          "32.07106781,32.07106781b0.1989123674 25,35b0 "
          "| type=0 | colour=7"}},
        {"WG whole circle",
         {},
         "PA1000,1000;WG400,0,360;",
         {"HATCH SOLID solid=1 | path 0: arc 25,25 r10 0..360 | type=0 | colour=7"}},
        {"EW quarter wedge",
         {},
         "PA1000,1000;EW400,90,-90;",
         {"LWPOLYLINE closed 25,25 25,35b-0.198912 32.071068,32.071068b-0.198912 35,25"}},
        {"AC has no effect", {}, "AC100,100;RA400,400;", {kSolidSquare}},
    });
}

TEST(Polygons, FillTypeChangesAndPendingFills) {
    const std::string second = "PU;PA200,200;PM0;PD600,200,600,600,200,600;PM2;FP;";
    const std::string combined =
        "HATCH SOLID solid=1 | path 2: 10,5 15,5 15,15 5,15 5,10 0,10 0,0 10,0 | type=0 | colour=7";
    const std::string shifted =
        "HATCH SOLID solid=1 | path 2: 5,5 15,5 15,15 5,15 | type=0 | colour=7";
    run_rows({
        {"FT7 leaves the fill pending", {}, kSquare + "FP;FT7;" + second, {combined}},
        {"FT; with a solid fill leaves it pending", {}, kSquare + "FT;FP;" + second, {combined}},
        {"FT10 completes the pending fill",
         {},
         kSquare + "FP;FT10,50;" + second,
         {kSolidSquare, shifted}},
    });
}

// 1000 subpolygons make FP fill at once; the next PM0 starts afresh.
TEST(Polygons, ThousandSubpolygonsFillAtOnce) {
    std::string plot;
    for (int i = 0; i < 1001; ++i) {
        const int x = (i % 40) * 100, y = (i / 40) * 100;
        plot += "PU;PA" + std::to_string(x) + "," + std::to_string(y) +
                ";PM0;PR40,0,0,40,-40,0;PM2;FP;";
    }
    const std::vector<std::string> drawn = fills_of(plot);
    ASSERT_EQ(drawn.size(), 1001u);
    EXPECT_EQ(drawn.back(),
              "HATCH SOLID solid=1 | path 2: 0,62.5 1,62.5 1,63.5 0,63.5 | type=0 | colour=7");
}

}  // namespace
}  // namespace penloom
