// Whole runs writing DWG at /2004: plots of pens, arcs and circles, text,
// widened polylines and fills, and the e2e suite's reference plots, each
// also written as the /2000 DXF of the same drawing (the program writes DXF
// of 2004 only through the converter; the drawing is the same). Every pair
// is kept for the read-back (tests/dwg/dwg_readback.py) with a sidecar
// telling it to expect AC1018 from the readers. Also the trace DXF beside a
// 2004 DWG, and /TEST writing nothing.
#include <map>
#include <string>
#include <vector>

#include "e2e/e2e_support.h"

namespace penloom::testing {
namespace {

using Lines = std::vector<std::string>;

// Full precision in the DXF twin, so that its numbers are the drawing's own.
const std::string kExact = "[Settings]\nDecimalPlaces=16\n";
const std::string kFormat2004 = "(R2004,2005,2006 format)";
const std::string kFormat2000 = "(R2000,2002 format)";

std::string square(int x, int y, int side) {
    const std::string a = std::to_string(x), b = std::to_string(y), c = std::to_string(x + side),
                      d = std::to_string(y + side);
    return "PU;PA" + a + "," + b + ";PM0;PD" + c + "," + b + "," + c + "," + d + "," + a + "," + d +
           ";PM2;";
}

struct Plot {
    const char* name;
    std::string ini;
    std::string plot;
};

const std::vector<Plot> kPlots = {
    {"pens", "",
     "IN;SP1;PA0,0;PD1000,0,1000,1000;PU;SP2;LT2;PA0,0;PD0,2000,500,2500;PU;SP3;LT4,3;PA2000,0;"
     "PD3000,1000;PU;"
     "LT;SP4;PW0.7;PA3000,0;PD4000,0;PU;SP5;PR100,100;PD200,0,0,200;PU;"},
    {"arcs_circles", "",
     "IN;SP1;PA1000,1000;CI500;CI250,10;PA3000,1000;PD;AA3000,2000,90;AR500,500,-45;PU;PA5000,1000;"
     "WG400,30,120;EW300,200,90;PA6000,3000;PD;AT6500,3500,7000,3000;PU;SC0,100,0,50;PA50,50;CI20;"
     "SC;"},
    {"text", "",
     "IN;SP1;DT*;PA100,100;LBHello, "
     "DWG*;DI0,1;PA2000,100;LBRotated*;DI;SI0.5,0.8;PA100,2000;LBBig*;"
     "SL0.4;PA100,3000;LBSlanted*;"},
    {"widths", "UsePolylineWidths=1\n",
     "IN;SP1;PW1.5;PA0,0;PD1000,0,1000,1000,0,1000,0,0;PU;SP2;PW0.25;PA2000,0;PD3000,500,4000,0;"
     "PU;"},
    {"fills", "",
     "IN;SP1;FT1;" + square(0, 0, 400) + "FP;" + "FT3,50,45;" + square(600, 0, 400) + "FP;" +
         "FT4,60,30;" + square(1200, 0, 400) + "FP;" + "FT10,40;" + square(1800, 0, 400) + "FP;" +
         "FT1;PA3000,200;WG150,0,270;PA3600,200;CI100;"},
};

class DwgR2004Runs : public ProgramTest {
   protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (std::getenv("PENLOOM_BIN") == nullptr) GTEST_SKIP() << "PENLOOM_BIN is not set";
    }

    std::string one_file(const std::string& output, const std::string& format,
                         const std::string& end) const {
        return banner() + "\nA.PLT -> " + output + " " + format + end;
    }

    // Writes `plot` to DWG at /2004 and to DXF at /2000; keeps the pair as
    // <name>_2004.dwg and .dxf with the sidecar for the read-back.
    void write_pair(const std::string& name, const std::string& ini, const std::string& plot) {
        SCOPED_TRACE(name);
        write_settings(kExact + ini);
        write_file("A.PLT", plot);
        const RunResult dwg = run({"A.PLT", "A.DWG", "/2004"});
        ASSERT_EQ(dwg.status, 0) << dwg.text;
        EXPECT_EQ(dwg.text,
                  one_file("A.DWG", kFormat2004, "  OK.\nEnd Translation. (1 files processed)\n"));
        EXPECT_EQ(read_file("A.DWG").substr(0, 6), "AC1018");
        EXPECT_EQ(list(""), (Lines{"A.DWG", "A.PLT", "prog"}))
            << "no temporary or trace file stays";
        const RunResult dxf = run({"A.PLT", "A.DXF", "/2000"});
        ASSERT_EQ(dxf.status, 0) << dxf.text;
        const std::string kept = readback_dir() + name + "_2004";
        std::filesystem::copy_file(path("A.DWG"), kept + ".dwg",
                                   std::filesystem::copy_options::overwrite_existing);
        spill(kept + ".dwg.json", "{\"release\": \"AC1018\"}\n");
        keep_counted(path("A.DXF"), name + "_2004", "2000");
        std::filesystem::remove(path("A.DWG"));
        std::filesystem::remove(path("A.DXF"));
    }
};

TEST_F(DwgR2004Runs, Plots) {
    for (const Plot& p : kPlots) write_pair(p.name, p.ini, p.plot);
}

TEST_F(DwgR2004Runs, ReferencePlots) {
    const char* source = std::getenv("PENLOOM_SOURCE");
    if (source == nullptr) GTEST_SKIP() << "PENLOOM_SOURCE is not set";
    for (const char* name :
         {"arcs", "circles", "clipping", "curves", "lines", "rotation", "scaling"}) {
        const std::string plot = slurp(std::string(source) + "/tests/e2e/plots/" + name + ".hpgl");
        ASSERT_FALSE(plot.empty()) << name;
        write_pair(std::string("plot_") + name, "", plot);
    }
}

// With `trace` on, the 2000 DXF of the same drawing stays beside the 2004 DWG.
TEST_F(DwgR2004Runs, TraceKeepsTheDxfOfTheDrawing) {
    write_settings(kExact + "trace=1\n");
    write_file("A.PLT", kPlots[0].plot + kPlots[2].plot);
    const RunResult r = run({"A.PLT", "A.DWG", "/2004"});
    ASSERT_EQ(r.status, 0) << r.text;
    EXPECT_EQ(list(""), (Lines{"A.DWG", "A.PLT", "prog", "~tmphp~.dxf"}));
    const std::string trace = read_file("~tmphp~.dxf");
    EXPECT_NE(trace.find("AC1015"), std::string::npos);
    EXPECT_EQ(read_file("A.DWG").substr(0, 6), "AC1018");
}

TEST_F(DwgR2004Runs, TestRunWritesNothing) {
    write_file("A.PLT", kPlots[0].plot);
    const RunResult r = run({"A.PLT", "A.DWG", "/2004", "/TEST"});
    EXPECT_EQ(r.status, 0) << r.text;
    EXPECT_EQ(list(""), (Lines{"A.PLT", "prog"}));
}

}  // namespace
}  // namespace penloom::testing
