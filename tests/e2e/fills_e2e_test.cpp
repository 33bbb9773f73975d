// Whole runs over plots with filled and outlined polygons, rectangles,
// wedges and every fill type: the DXF written at R14 and at 2000 is read
// back with the group reader and each entity compared as a one-line
// summary (HATCH pattern, lines, paths; outlines). Every drawing is also
// kept with its entity counts under $PENLOOM_E2E_DIR for the ezdxf
// read-back.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "interpreter/fill_support.h"
#include "support/program_run.h"
#include "support/readback.h"

namespace penloom::testing {
namespace {

const std::string kSquare = "PA0,0;PM0;PD400,0,400,400,0,400;PM2;";
const std::string kPath = " | path 2: 0,0 10,0 10,10 0,10 | type=";
const std::string kSolid = "HATCH SOLID solid=1" + kPath + "0 | colour=7";
const std::string kOutline = "LWPOLYLINE closed 0,0 10,0 10,10 0,10";

struct Plot {
    const char* name;
    std::string ini;
    std::string plot;
    std::vector<std::string> expected;
};

std::string raster_16x16() {
    std::string rf = "RF2,16,16";
    for (int i = 0; i < 16; ++i) rf += i < 8 ? ",1" : ",0";
    for (int i = 0; i < 16; ++i) rf += ",1";
    for (int i = 0; i < 14 * 16; ++i) rf += ",0";
    return rf + ";FT11,2;";
}

const std::vector<Plot> kPlots = {
    {"pending_then_line", "", kSquare + "FP;PU;PD800,0;", {kSolid, "LWPOLYLINE open 0,0 20,0"}},
    {"pending_at_end", "", kSquare + "FP;", {kSolid}},
    {"batched_pair",
     "",
     kSquare + "FP;PU;PA200,200;PM0;PD600,200,600,600,200,600;PM2;FP;",
     {"HATCH SOLID solid=1 | path 2: 10,5 15,5 15,15 5,15 5,10 0,10 0,0 10,0 | type=0 | colour=7"}},
    {"hole_beside_square",
     "",
     kSquare + "FP;PU;PA120,120;PM0;PD280,120,280,280,120,280;PM2;FP;PU;PA800,0;PM0;PD1200,0,1200,"
               "400,800,400;PM2;FP;",
     {"HATCH SOLID solid=1 | path 3: 10,10 0,10 0,0 10,0 | path 18: 3,3 3,7 7,7 7,3 | type=0 | "
      "colour=7",
      "HATCH SOLID solid=1 | path 2: 30,10 20,10 20,0 30,0 | type=0 | colour=7"}},
    {"non_zero_rule",
     "",
     "PA0,0;PM0;PD400,0,400,400,0,400;PM1;PU120,120;PD280,120,280,280,120,280;PM2;FP1;",
     {kSolid, "LWPOLYLINE closed 3,3 7,3 7,7 3,7"}},
    {"shade_deferred_edge", "", "FT10,30;" + kSquare + "EP;FP;", {kSolid, kOutline}},
    {"white_trans_on",
     "",
     "PC1,255,255,255;" + kSquare + "FP;",
     {"HATCH SOLID solid=1" + kPath + "0 | colour=255"}},
    {"white_trans_off",
     "[Settings]\nTransWhiteFill=0\n",
     "PC1,255,255,255;" + kSquare + "FP;PU;PD800,0;",
     {"LWPOLYLINE open 0,0 20,0"}},
    {"ft3",
     "",
     "FT3,2.5,45;" + kSquare + "FP;",
     {"HATCH HP0_0_06250004_3_45 solid=0" + kPath +
      "0 | line 45; 0,0; -0.04419417382,0.04419417382 | colour=7"}},
    {"ft4",
     "",
     "FT4;" + kSquare + "FP;",
     {"HATCH HP1_9_65000804_3_0 solid=0" + kPath +
      "0 | line 0; 0,0; 0,9.650008096 | line 90; 0,0; -9.650008096,6e-16 | colour=7"}},
    {"ft21",
     "",
     "FT21,5;" + kSquare + "FP;",
     {"HATCH HP1_2_41250204_3_0 solid=0" + kPath +
      "0 | line 0; 0,0; 0,2.412502024 | line 90; 0,0; -2.412502024,1e-16 | colour=7"}},
    {"raster_small",
     "",
     "RF1,4,2,1,0,0,0,0,0,0,0;FT11,1;" + kSquare + "FP;",
     {"HATCH HP_FILL_PATTERN1 solid=0" + kPath + "0 | line 0; 0,0; 0,0.4; -0.1 0 -0.7 | colour=7"}},
    {"raster_large",
     "",
     raster_16x16() + kSquare + "FP;",
     {"HATCH HP_FILL_PATTERN2 solid=0" + kPath +
      "0 | line 0; 0,0; 0,3.2; 1.6 -1.6 | line 0; 0,-0.2; 0,3.2 | colour=7"}},
    {"ansi31",
     "[Settings]\nUseHatchPattern=1\nHatchPattern=ansi31\nHatchScale=10\n",
     kSquare + "FP;",
     {"HATCH ANSI31 solid=0" + kPath + "1 | line 45; 0,0; -0.8838835,0.8838835 | colour=7"}},
    {"circle_polygon",
     "",
     "PA0,0;PM0;CI400;PM2;FP;",
     {"HATCH SOLID solid=1 | path 0: arc 0,0 r10 0..360 | type=0 | colour=7"}},
    {"wedges",
     "",
     "PA1000,1000;WG400,0,90;EW400,90,-90;",
     {"HATCH SOLID solid=1 | path 2: 25,25b0 35,25b0.1989123674 "
      "32.07106781,32.07106781b0.1989123674 25,35b0 "
      "| type=0 | colour=7",
      "LWPOLYLINE closed 25,25 25,35b-0.198912 32.071068,32.071068b-0.198912 35,25"}},
    {"rectangles",
     "",
     "RA400,400;PA800,0;ER400,400;",
     {kSolid, "LWPOLYLINE closed 20,0 30,0 30,10 20,10"}},
};

class FillRuns : public ProgramTest {};

TEST_F(FillRuns, HatchesAtR14And2000) {
    for (const Plot& plot : kPlots) {
        for (const std::string release : {"14", "2000"}) {
            SCOPED_TRACE(std::string(plot.name) + " at " + release);
            write_settings(plot.ini);
            write_file("A.PLT", plot.plot);
            const std::string name = std::string("fills_") + plot.name + "_" + release;
            const RunResult r = run({"A.PLT", path(name + ".dxf"), "/" + release});
            ASSERT_EQ(r.status, 0) << r.text;
            const std::string dxf = read_file(name + ".dxf");
            const std::vector<std::string> got = summarise_entities(dxf);
            EXPECT_EQ(got, plot.expected);
            std::map<std::string, int> counts;
            for (const std::string& line : got) ++counts[line.substr(0, line.find(' '))];
            std::string json = "\"acadver\": \"" +
                               std::string(release == "14" ? "AC1014" : "AC1015") +
                               "\", \"entities\": {";
            bool first = true;
            for (const auto& [type, count] : counts) {
                json += first ? "\"" : ", \"";
                json += type + "\": " + std::to_string(count);
                first = false;
            }
            keep_for_readback(path(name + ".dxf"), name, json + "}");
        }
    }
}

}  // namespace
}  // namespace penloom::testing
