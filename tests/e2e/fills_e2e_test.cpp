// Whole runs over plots with filled and outlined polygons, rectangles,
// wedges and every fill type: the DXF of each plot (at R14 and 2000 unless
// a row names its release) is read back with the group reader and each
// entity compared as a one-line summary (HATCH pattern, lines, paths;
// outlines). Every drawing is also kept with its entity counts under
// $PENLOOM_E2E_DIR for the ezdxf read-back.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "interpreter/fill_support.h"
#include "support/program_run.h"
#include "support/readback.h"

namespace penloom::testing {
namespace {

// A 10 x 10 square at the origin (drawing units).
const std::string kSquare = "PA0,0;PM0;PD400,0,400,400,0,400;PM2;";
const std::string kPath = " | path 2: 0,0 10,0 10,10 0,10 | type=";
const std::string kSolid = "HATCH SOLID solid=1" + kPath + "0 | colour=7";
const std::string kOutline = "LWPOLYLINE closed 0,0 10,0 10,10 0,10";
const std::string kSecond = "PU;PA200,200;PM0;PD600,200,600,600,200,600;PM2;FP;";
const std::string kCombined =
    "HATCH SOLID solid=1 | path 2: 10,5 15,5 15,15 5,15 5,10 0,10 0,0 10,0 | type=0 | colour=7";
const std::string kSubpolygons =
    "PA0,0;PM0;PD400,0,400,400,0,400;PM1;PU120,120;PD280,120,280,280,120,280;PM2;";
const std::string kRf1 = "RF1,4,2,1,0,0,0,0,0,0,0;FT11,1;";
const std::string kFt3 = "HATCH HP0_0_06250004_3_45 solid=0" + kPath +
                         "0 | line 45; 0,0; -0.04419417382,0.04419417382 | colour=7";

std::string raster_16x16() {  // row 0: 8 set, 8 clear; row 1 all set; the rest empty
    std::string rf = "RF2,16,16";
    for (int i = 0; i < 16; ++i) rf += i < 8 ? ",1" : ",0";
    for (int i = 0; i < 16; ++i) rf += ",1";
    for (int i = 0; i < 14 * 16; ++i) rf += ",0";
    return rf + ";FT11,2;";
}

struct Plot {
    const char* name;
    std::string ini;  // [Settings] lines
    std::string plot;
    std::vector<std::string> expected;
    std::vector<std::string> releases = {"14", "2000"};
};

const std::vector<Plot> kPlots = {
    // Solid fills stay pending until something else is drawn or the page ends.
    {"pending_then_line", "", kSquare + "FP;PU;PD800,0;", {kSolid, "LWPOLYLINE open 0,0 20,0"}},
    {"pending_at_end", "", kSquare + "FP;", {kSolid}},
    {"pm0_alone_pending", "", kSquare, {kSolid}},
    {"pen_change_finishes", "", kSquare + "FP;SP2;PU;", {kSolid}},
    {"batched_pair", "", kSquare + "FP;" + kSecond, {kCombined}},
    {"hole_beside_square", "",
     kSquare + "FP;PU;PA120,120;PM0;PD280,120,280,280,120,280;PM2;FP;PU;PA800,0;PM0;"
               "PD1200,0,1200,400,800,400;PM2;FP;",
     {"HATCH SOLID solid=1 | path 3: 10,10 0,10 0,0 10,0 | path 18: 3,3 3,7 7,7 7,3 | type=0 | "
      "colour=7",
      "HATCH SOLID solid=1 | path 2: 30,10 20,10 20,0 30,0 | type=0 | colour=7"}},
    {"circle_adds_nothing", "", kSquare + "PU;PA0,0;PM0;CI100;PM2;FP;",
     {"HATCH SOLID solid=1 | path 2: 10,10 0,10 0,0 10,0 | type=0 | colour=7"}},
    {"subpolygons_uncombined", "", kSubpolygons + "FP;",
     {"HATCH SOLID solid=1 | path 2: 0,0 10,0 10,10 0,10 | path 2: 3,3 7,3 7,7 3,7 | type=0 | "
      "colour=7"}},
    {"non_zero_rule", "", kSubpolygons + "FP1;", {kSolid, "LWPOLYLINE closed 3,3 7,3 7,7 3,7"}},
    {"ft7_keeps_pending", "", kSquare + "FP;FT7;" + kSecond, {kCombined}},
    {"ft_solid_keeps_pending", "", kSquare + "FT;FP;" + kSecond, {kCombined}},
    {"ft10_completes_pending", "", kSquare + "FP;FT10,50;" + kSecond,
     {kSolid, "HATCH SOLID solid=1 | path 2: 5,5 15,5 15,15 5,15 | type=0 | colour=7"}},
    {"thousand_subpolygons", "",
     [] {  // 1000 subpolygons make FP fill at once; the next PM0 starts afresh
         std::string plot;
         for (int i = 0; i < 1001; ++i)
             plot += "PU;PA" + std::to_string((i % 40) * 100) + "," + std::to_string((i / 40) * 100) +
                     ";PM0;PR40,0,0,40,-40,0;PM2;FP;";
         return plot;
     }(),
     [] {
         std::vector<std::string> out(1000, "");
         out.push_back("HATCH SOLID solid=1 | path 2: 0,62.5 1,62.5 1,63.5 0,63.5 | type=0 | colour=7");
         return out;
     }(),
     {"2000"}},
    // Edges.
    {"ep", "", kSquare + "EP;", {kOutline}},
    {"pm1_pm2_closes_once", "", "PA0,0;PM0;PD400,0,400,400,0,400;PM1;PM2;EP;", {kOutline}},
    {"shade_deferred_edge", "", "FT10,30;" + kSquare + "EP;FP;", {kSolid, kOutline}},
    {"solid_drops_deferred_edge", "", kSquare + "EP;FP;", {kSolid}},
    // A solid FP only marks the fill pending; the EP after it empties the buffer.
    {"fp_then_ep", "", kSquare + "FP;EP;", {kOutline}},
    {"pen_up_not_outlined", "", "PA0,0;PM0;PD400,0;PU400,400;PD0,400;PM2;EP;",
     {"LWPOLYLINE open 0,0 10,0", "LWPOLYLINE open 10,10 0,10 0,0"}},
    {"circle_outline", "", "PA0,0;PM0;CI400;PM2;EP;", {"CIRCLE 0,0 r10"}},
    {"two_point_subpolygon", "", "PA0,0;PM0;PD400,0;PM2;FP;EP;", {"LWPOLYLINE open 0,0 10,0"}},
    {"outside_clip_window", "", "IW0,0,400,400;PA800,800;PM0;PD1200,800,1200,1200;PM2;FP;", {}},
    {"empty_buffer", "", "FP;EP;", {}},
    // White fills.
    {"white_trans_on", "", "PC1,255,255,255;" + kSquare + "FP;",
     {"HATCH SOLID solid=1" + kPath + "0 | colour=255"}},
    {"white_trans_off", "TransWhiteFill=0\n", "PC1,255,255,255;" + kSquare + "FP;PU;PD800,0;",
     {"LWPOLYLINE open 0,0 20,0"}},
    {"white_off_deferred_edge", "TransWhiteFill=0\n", "PC1,255,255,255;FT10,50;" + kSquare + "EP;FP;",
     {kOutline}},
    // Outlines instead of hatches.
    {"outlines_only", "FillOutlinesOnly=1\n", kSquare + "FP;", {kOutline}},
    {"outlines_only_combined", "FillOutlinesOnly=1\n", kSquare + "FP;" + kSecond,
     {"LWPOLYLINE closed 10,5 15,5 15,15 5,15 5,10 0,10 0,0 10,0"}},
    {"r13_outline", "", kSquare + "FP;", {"POLYLINE"}, {"13"}},
    {"circle_polygon", "", "PA0,0;PM0;CI400;PM2;FP;",
     {"HATCH SOLID solid=1 | path 0: arc 0,0 r10 0..360 | type=0 | colour=7"}},
    {"circle_polygon_r13", "", "PA0,0;PM0;CI400;PM2;FP;", {"CIRCLE 0,0 r10"}, {"13"}},
    // Rectangles and wedges.
    {"ra_pen_stays", "", "RA400,400;PD800,0;", {kSolid, "LWPOLYLINE open 0,0 20,0"}},
    {"rr_relative", "", "PA400,400;RR-400,-400;",
     {"HATCH SOLID solid=1 | path 2: 10,10 0,10 0,0 10,0 | type=0 | colour=7"}},
    {"ea_er", "", "EA400,400;PA800,0;ER400,400;",
     {kOutline, "LWPOLYLINE closed 20,0 30,0 30,10 20,10"}},
    {"er_reopens_path", "", "PD;ER400,400;PR400,0;PU;",
     {"LWPOLYLINE open 0,0 0.0125,0", kOutline, "LWPOLYLINE open 0,0 10,0"}},
    {"pe_rectangle", "", "PE9=\xbf\xbf_\xcb_\xcb;", {kSolid}},
    {"wedges", "", "PA1000,1000;WG400,0,90;EW400,90,-90;",
     {"HATCH SOLID solid=1 | path 2: 25,25b0 35,25b0.1989123674 "
      "32.07106781,32.07106781b0.1989123674 25,35b0 | type=0 | colour=7",
      "LWPOLYLINE closed 25,25 25,35b-0.198912 32.071068,32.071068b-0.198912 35,25"}},
    {"wedge_whole_circle", "", "PA1000,1000;WG400,0,360;",
     {"HATCH SOLID solid=1 | path 0: arc 25,25 r10 0..360 | type=0 | colour=7"}},
    // Fill types.
    {"ft3", "", "FT3,2.5,45;" + kSquare + "FP;", {kFt3}},
    {"ft4", "", "FT4;" + kSquare + "FP;",
     {"HATCH HP1_9_65000804_3_0 solid=0" + kPath +
      "0 | line 0; 0,0; 0,9.650008096 | line 90; 0,0; -9.650008096,6e-16 | colour=7"}},
    {"ft21", "", "FT21,5;" + kSquare + "FP;",
     {"HATCH HP1_2_41250204_3_0 solid=0" + kPath +
      "0 | line 0; 0,0; 0,2.412502024 | line 90; 0,0; -2.412502024,1e-16 | colour=7"}},
    {"ft21_7_solid", "", "FT21,7;" + kSquare + "FP;", {kSolid}},
    {"dashed_hatch_lines", "", "LT2;FT3,2.5,0;" + kSquare + "FP;",
     {"HATCH HP0_0_06250004_3_0 solid=0" + kPath + "0 | line 0; 0,0; 0,0.0625; 0.5 -0.5 | colour=7"}},
    {"name_reused_after_ro", "", "FT3,2.5,0;RO90;FT3,2.5,0;" + kSquare + "FP;",
     {"HATCH HP0_0_06250004_3_0 solid=0 | path 2: 0,0 0,10 -10,10 -10,0 | type=0 | line 0; "
      "0,0; 0,0.0625 | colour=7"}},
    {"raster_small", "", kRf1 + kSquare + "FP;",
     {"HATCH HP_FILL_PATTERN1 solid=0" + kPath + "0 | line 0; 0,0; 0,0.4; -0.1 0 -0.7 | colour=7"}},
    {"rf_undefines", "", "RF1,4,2,1,0,0,0,0,0,0,0;RF1;FT11,1;" + kSquare + "FP;", {kSolid}},
    {"raster_off", "UseRasterFillPattern=0\n", kRf1 + kSquare + "FP;", {kSolid}},
    {"raster_large", "", raster_16x16() + kSquare + "FP;",
     {"HATCH HP_FILL_PATTERN2 solid=0" + kPath +
      "0 | line 0; 0,0; 0,3.2; 1.6 -1.6 | line 0; 0,-0.2; 0,3.2 | colour=7"}},
    {"ansi31", "UseHatchPattern=1\nHatchPattern=ansi31\nHatchScale=10\n", kSquare + "FP;",
     {"HATCH ANSI31 solid=0" + kPath + "1 | line 45; 0,0; -0.8838835,0.8838835 | colour=7"}},
    {"ansi38_unknown", "UseHatchPattern=1\nHatchPattern=ANSI38\n", kSquare + "FP;", {kSolid}},
    {"shade_grey_253", "PreferSolidFillToPattern=1\n", "FT10,30;" + kSquare + "FP;PU;PD800,0;",
     {"HATCH SOLID solid=1" + kPath + "0 | colour=253", "LWPOLYLINE open 0,0 20,0"}},
    {"shade_levels", "PreferSolidFillToPattern=1\n",
     "FT10,80;" + kSquare + "FP;SP1;FT10,10;" + kSquare + "FP;",
     {"HATCH SOLID solid=1" + kPath + "0 | colour=251",
      "HATCH SOLID solid=1" + kPath + "0 | colour=254"}},
};

class FillRuns : public ProgramTest {};

TEST_F(FillRuns, HatchesAndOutlines) {
    for (const Plot& plot : kPlots) {
        for (const std::string& release : plot.releases) {
            SCOPED_TRACE(std::string(plot.name) + " at " + release);
            write_settings("[Settings]\n" + plot.ini);
            write_file("A.PLT", plot.plot);
            const std::string name = std::string("fills_") + plot.name + "_" + release;
            const RunResult r = run({"A.PLT", path(name + ".dxf"), "/" + release});
            ASSERT_EQ(r.status, 0) << r.text;
            std::vector<std::string> got = summarise_entities(read_file(name + ".dxf"));
            std::map<std::string, int> counts;
            for (const std::string& line : got) ++counts[line.substr(0, line.find(' '))];
            const bool last_only = !plot.expected.empty() && plot.expected[0].empty();
            for (std::size_t i = 0; last_only && i + 1 < got.size(); ++i) got[i].clear();
            EXPECT_EQ(got, plot.expected);
            const char* acadver = release == "13" ? "AC1012" : release == "14" ? "AC1014" : "AC1015";
            std::string json = std::string("\"acadver\": \"") + acadver + "\", \"entities\": {";
            for (const auto& [type, count] : counts)
                json += (json.back() == '{' ? "\"" : ", \"") + type + "\": " + std::to_string(count);
            keep_for_readback(path(name + ".dxf"), name, json + "}");
        }
    }
}

}  // namespace
}  // namespace penloom::testing
