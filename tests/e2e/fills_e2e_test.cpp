// Whole runs over filled and outlined polygons, rectangles, wedges and every fill type, at R14 and 2000
// unless a row names its release: each DXF entity compared as a one-line summary (HATCH pattern, paths,
// lines; outlines). Every drawing is kept for the ezdxf read-back, as in all the files here.
#include "e2e/e2e_support.h"
#include "e2e/fill_support.h"

namespace penloom::testing {
namespace {

// A solid HATCH with the given paths ("flags: x,y ...").
std::string solid(const std::string& paths, const char* colour = "7") {
    return "HATCH SOLID solid=1 | path " + paths + " | type=0 | colour=" + colour;
}
// A patterned HATCH over the 10 x 10 square at the origin with its pattern lines.
std::string hatch(const std::string& name, const std::string& lines, const char* type = "0") {
    return "HATCH " + name + " solid=0 | path 2: 0,0 10,0 10,10 0,10 | type=" + type + " | " + lines +
           " | colour=7";
}
std::string shade(const char* colour) { return solid("2: 0,0 10,0 10,10 0,10", colour); }

// The square (drawing units), and the same filled.
const std::string kSquare = "PA0,0;PM0;PD400,0,400,400,0,400;PM2;", kFilled = kSquare + "FP;";
const std::string kSolid = shade("7"), kSolidFrom10 = solid("2: 10,10 0,10 0,0 10,0");  // from its top right
const std::string kOutline = "LWPOLYLINE closed 0,0 10,0 10,10 0,10", kLine = "LWPOLYLINE open 0,0 20,0";
const std::string kSecond = "PU;PA200,200;PM0;PD600,200,600,600,200,600;PM2;FP;";
const std::string kCombined = solid("2: 10,5 15,5 15,15 5,15 5,10 0,10 0,0 10,0");
const std::string kInner = "PD280,120,280,280,120,280;PM2;";  // a 4 x 4 square from (3,3)
const std::string kSubpolygons = "PA0,0;PM0;PD400,0,400,400,0,400;PM1;PU120,120;" + kInner;
const std::string kRf1 = "RF1,4,2,1,0,0,0,0,0,0,0;FT11,1;", kWhite = "PC1,255,255,255;";

std::string raster_16x16() {  // row 0: 8 set, 8 clear; row 1 all set; the rest empty
    std::string rf = "RF2,16,16";
    for (int i = 0; i < 256; ++i) rf += i < 8 || (i >= 16 && i < 32) ? ",1" : ",0";
    return rf + ";FT11,2;";
}

// 1001 small squares: the 1000th subpolygon makes FP fill at once, the next PM0 starts afresh.
std::string thousand_subpolygons() {
    std::string plot;
    for (int i = 0; i < 1001; ++i)
        plot += "PU;PA" + std::to_string((i % 40) * 100) + "," + std::to_string((i / 40) * 100) +
                ";PM0;PR40,0,0,40,-40,0;PM2;FP;";
    return plot;
}

// ini: [Settings] lines; expected: the summaries, or {"<n> entities", the last one}
struct Plot {
    const char* name;
    std::string ini, plot;
    std::vector<std::string> expected, releases = {"14", "2000"};
};

const std::vector<Plot> kPlots = {
    // Solid fills stay pending until something else is drawn or the page ends.
    {"pending_then_line", "", kFilled + "PU;PD800,0;", {kSolid, kLine}},
    {"pending_at_end", "", kFilled, {kSolid}},
    {"pm0_alone_pending", "", kSquare, {kSolid}},
    {"pen_change_finishes", "", kFilled + "SP2;PU;", {kSolid}},
    {"batched_pair", "", kFilled + kSecond, {kCombined}},
    {"hole_beside_square", "",
     kFilled + "PU;PA120,120;PM0;" + kInner + "FP;PU;PA800,0;PM0;PD1200,0,1200,400,800,400;PM2;FP;",
     {solid("3: 10,10 0,10 0,0 10,0 | path 18: 3,3 3,7 7,7 7,3"), solid("2: 30,10 20,10 20,0 30,0")}},
    {"circle_adds_nothing", "", kSquare + "PU;PA0,0;PM0;CI100;PM2;FP;", {kSolidFrom10}},
    {"subpolygons_uncombined", "", kSubpolygons + "FP;",
     {solid("2: 0,0 10,0 10,10 0,10 | path 2: 3,3 7,3 7,7 3,7")}},
    {"non_zero_rule", "", kSubpolygons + "FP1;", {kSolid, "LWPOLYLINE closed 3,3 7,3 7,7 3,7"}},
    {"ft7_keeps_pending", "", kFilled + "FT7;" + kSecond, {kCombined}},
    {"ft_solid_keeps_pending", "", kSquare + "FT;FP;" + kSecond, {kCombined}},
    {"ft10_completes_pending", "", kFilled + "FT10,50;" + kSecond, {kSolid, solid("2: 5,5 15,5 15,15 5,15")}},
    {"thousand_subpolygons", "", thousand_subpolygons(),
     {"1001 entities", solid("2: 0,62.5 1,62.5 1,63.5 0,63.5")}, {"2000"}},
    // Edges.
    {"ep", "", kSquare + "EP;", {kOutline}},
    {"pm1_pm2_closes_once", "", "PA0,0;PM0;PD400,0,400,400,0,400;PM1;PM2;EP;", {kOutline}},
    {"shade_deferred_edge", "", "FT10,30;" + kSquare + "EP;FP;", {kSolid, kOutline}},
    {"solid_drops_deferred_edge", "", kSquare + "EP;FP;", {kSolid}},
    {"fp_then_ep", "", kFilled + "EP;", {kSolid, kOutline}},  // the fill FP left pending comes first
    {"pen_up_not_outlined", "", "PA0,0;PM0;PD400,0;PU400,400;PD0,400;PM2;EP;",
     {"LWPOLYLINE open 0,0 10,0", "LWPOLYLINE open 10,10 0,10 0,0"}},
    {"circle_outline", "", "PA0,0;PM0;CI400;PM2;EP;", {"CIRCLE 0,0 r10"}},
    {"two_point_subpolygon", "", "PA0,0;PM0;PD400,0;PM2;FP;EP;", {"LWPOLYLINE open 0,0 10,0"}},
    {"outside_clip_window", "", "IW0,0,400,400;PA800,800;PM0;PD1200,800,1200,1200;PM2;FP;", {}},
    {"empty_buffer", "", "FP;EP;", {}},
    // White fills; outlines instead of hatches.
    {"white_trans_on", "", kWhite + kFilled, {shade("255")}},
    {"white_trans_off", "TransWhiteFill=0\n", kWhite + kFilled + "PU;PD800,0;", {kLine}},
    {"white_off_deferred_edge", "TransWhiteFill=0\n", kWhite + "FT10,50;" + kSquare + "EP;FP;", {kOutline}},
    {"outlines_only_combined", "FillOutlinesOnly=1\n", kFilled + kSecond,
     {"LWPOLYLINE closed 10,5 15,5 15,15 5,15 5,10 0,10 0,0 10,0"}},
    {"r13_outline", "", kFilled, {"POLYLINE"}, {"13"}},
    {"circle_polygon", "", "PA0,0;PM0;CI400;PM2;FP;", {solid("0: arc 0,0 r10 0..360")}},
    {"circle_polygon_r13", "", "PA0,0;PM0;CI400;PM2;FP;", {"CIRCLE 0,0 r10"}, {"13"}},
    // Rectangles and wedges.
    {"ra_pen_stays", "", "RA400,400;PD800,0;", {kSolid, kLine}},
    {"rr_relative", "", "PA400,400;RR-400,-400;", {kSolidFrom10}},
    {"ea_er", "", "EA400,400;PA800,0;ER400,400;", {kOutline, "LWPOLYLINE closed 20,0 30,0 30,10 20,10"}},
    {"er_reopens_path", "", "PD;ER400,400;PR400,0;PU;",
     {"LWPOLYLINE open 0,0 0.0125,0", kOutline, "LWPOLYLINE open 0,0 10,0"}},
    {"pe_rectangle", "", "PE9=\xbf\xbf_\xcb_\xcb;", {kSolid}},
    {"wedges", "", "PA1000,1000;WG400,0,90;EW400,90,-90;",
     {solid("2: 25,25b0 35,25b0.1989123674 32.07106781,32.07106781b0.1989123674 25,35b0"),
      "LWPOLYLINE closed 25,25 25,35b-0.198912 32.071068,32.071068b-0.198912 35,25"}},
    {"wedge_whole_circle", "", "PA1000,1000;WG400,0,360;", {solid("0: arc 25,25 r10 0..360")}},
    // Fill types.
    {"ft3", "", "FT3,2.5,45;" + kFilled,
     {hatch("HP0_0_06250004_3_45", "line 45; 0,0; -0.04419417382,0.04419417382")}},
    {"ft4", "", "FT4;" + kFilled,
     {hatch("HP1_9_65000804_3_0", "line 0; 0,0; 0,9.650008096 | line 90; 0,0; -9.650008096,6e-16")}},
    {"ft21", "", "FT21,5;" + kFilled,
     {hatch("HP1_2_41250204_3_0", "line 0; 0,0; 0,2.412502024 | line 90; 0,0; -2.412502024,1e-16")}},
    {"ft21_7_solid", "", "FT21,7;" + kFilled, {kSolid}},
    {"dashed_hatch_lines", "", "LT2;FT3,2.5,0;" + kFilled,
     {hatch("HP0_0_06250004_3_0", "line 0; 0,0; 0,0.0625; 0.5 -0.5")}},
    {"name_reused_after_ro", "", "FT3,2.5,0;RO90;FT3,2.5,0;" + kFilled,
     {"HATCH HP0_0_06250004_3_0 solid=0 | path 2: 0,0 0,10 -10,10 -10,0 | type=0 | line 0; 0,0; 0,0.0625"
      " | colour=7"}},
    {"raster_small", "", kRf1 + kFilled, {hatch("HP_FILL_PATTERN1", "line 0; 0,0; 0,0.4; -0.1 0 -0.7")}},
    {"rf_undefines", "", "RF1,4,2,1,0,0,0,0,0,0,0;RF1;FT11,1;" + kFilled, {kSolid}},
    {"raster_off", "UseRasterFillPattern=0\n", kRf1 + kFilled, {kSolid}},
    {"raster_large", "", raster_16x16() + kFilled,
     {hatch("HP_FILL_PATTERN2", "line 0; 0,0; 0,3.2; 1.6 -1.6 | line 0; 0,-0.2; 0,3.2")}},
    {"ansi31", "UseHatchPattern=1\nHatchPattern=ansi31\nHatchScale=10\n", kFilled,
     {hatch("ANSI31", "line 45; 0,0; -0.8838835,0.8838835", "1")}},
    {"ansi38_unknown", "UseHatchPattern=1\nHatchPattern=ANSI38\n", kFilled, {kSolid}},
    {"shade_levels", "PreferSolidFillToPattern=1\n",  // each level at the edge of its grey
     "FT10,80;" + kFilled + "SP1;FT10,50;" + kFilled + "SP1;FT10,25;" + kFilled + "SP1;FT10,24;" + kFilled,
     {shade("251"), shade("252"), shade("253"), shade("254")}},
};

class FillRuns : public ProgramTest {};

TEST_F(FillRuns, HatchesAndOutlines) {
    for (const Plot& plot : kPlots) {
        for (const std::string& release : plot.releases) {
            SCOPED_TRACE(std::string(plot.name) + " at " + release);
            const RunResult r = run_plot(plot.plot, {"/" + release}, "[Settings]\n" + plot.ini);
            ASSERT_EQ(r.status, 0) << r.text;
            const std::string dxf = read_file("A.DXF");
            std::vector<std::string> got = summarise_entities(dxf);
            if (plot.expected.size() == 2 && plot.expected[0].ends_with(" entities") && !got.empty())
                got = {std::to_string(got.size()) + " entities", got.back()};
            EXPECT_EQ(got, plot.expected);
            keep_counted(path("A.DXF"), std::string("fills_") + plot.name + "_" + release, release);
        }
    }
}

}  // namespace
}  // namespace penloom::testing
