// Whole runs writing DWG at /2004, /2000, /14, /13 and /12: plots of pens, arcs and
// circles, text, widened polylines and fills of every kind, each also
// written as the DXF of the same release (2000 for a 2004 DWG; full precision). Every pair
// is kept for the read-back (tests/dwg/dwg_readback.py: the structure
// checker and two independent DWG readers, held against ezdxf's reading of
// the DXF). Also what a DWG run shares with a DXF run: its messages and
// statuses, /TEST, a failed write leaving the older file, the trace DXF, and
// the releases the program does not write as DWG going to the plug-in.

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "e2e/e2e_support.h"

namespace penloom::testing {
namespace {

using Lines = std::vector<std::string>;

const Lines kReleases = {"2004", "2000", "14", "13", "12"};
const std::map<std::string, std::string> kMagic = {
    {"2004", "AC1018"}, {"2000", "AC1015"}, {"14", "AC1014"}, {"13", "AC1012"}, {"12", "AC1009"}};
const std::map<std::string, std::string> kFormat = {
    {"2004", "(R2004,2005,2006 format)"}, {"2000", "(R2000,2002 format)"}, {"14", "(R14 format)"},
    {"13", "(R13 format)"}, {"12", "(R11-12 format)"}};

// The DXF twin of a DWG: of the same release, but 2000 for a 2004 DWG (the
// DXF writer stops there).
const std::string& twin(const std::string& release) {
    static const std::string r2000 = "2000";
    return release == "2004" ? r2000 : release;
}

// Full precision in the DXF twin, so that its numbers are the drawing's own.
const std::string kExact = "[Settings]\nDecimalPlaces=16\n";

std::string square(int x, int y, int side) {
    const std::string a = std::to_string(x), b = std::to_string(y), c = std::to_string(x + side),
                      d = std::to_string(y + side);
    return "PU;PA" + a + "," + b + ";PM0;PD" + c + "," + b + "," + c + "," + d + "," + a + "," + d +
           ";PM2;";
}

struct Plot {
    const char* name;
    std::string ini;  // further [Settings] lines
    std::string plot;
};

// Raster pattern 1: a 4 x 2 checker. The fills: FT1, FT3, FT4, FT10, FT11
// (the raster), FT2, FT21 (a line and a cross pattern), wedges, circles,
// rectangles, edges, and a square with a square hole.
const std::string kRaster = "RF1,4,2,1,0,1,0,0,1,0,1;";

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
     "SL0.4;PA100,3000;LBSlanted*;SD1,21,2,1,4,20,5,0,6,3;SS;PA100,4000;LBStick font*;"},
    {"widths", "UsePolylineWidths=1\n",
     "IN;SP1;PW1.5;PA0,0;PD1000,0,1000,1000,0,1000,0,0;PU;SP2;PW0.25;PA2000,0;PD3000,500,4000,0;PU;"
     "PW2;PA0,2000;PD;AA500,2000,180;PU;"},
    {"fills", "",
     "IN;SP1;FT1;" + square(0, 0, 400) + "FP;" + "FT3,50,45;" + square(600, 0, 400) + "FP;" +
         "FT4,60,30;" + square(1200, 0, 400) + "FP;" + "FT10,40;" + square(1800, 0, 400) + "FP;" +
         kRaster + "FT11,1;" + square(2400, 0, 400) + "FP;" +
         "FT1;PA3000,200;WG150,0,270;PA3600,200;CI100;" +
         "PU;PA0,800;RA300,1100;FT3,20,0;RR200,300;PA800,800;EA1100,1100;EP;" + "FT2;" +
         square(1400, 800, 300) + "FP;" + "FT21,1;" + square(1800, 800, 300) + "FP;" + "FT21,6;" +
         square(2200, 800, 300) + "FP;" +
         "FT1;PU;PA2600,800;PM0;PD3200,800,3200,1400,2600,1400;PM1;" +
         "PU2800,1000;PD3000,1000,3000,1200,2800,1200;PM2;FP;EP;"},
};

void copy_file(const std::string& from, const std::string& to);

// Keeps a DWG as <name>.dwg with its DXF twin for the read-back; a 2004 DWG's
// sidecar tells the read-back which release to expect.
void keep_pair(const std::string& dwg, const std::string& dxf, const std::string& name,
               const std::string& release) {
    copy_file(dwg, readback_dir() + name + ".dwg");
    if (release == "2004") spill(readback_dir() + name + ".dwg.json", "{\"release\": \"AC1018\"}\n");
    keep_counted(dxf, name, twin(release));
}

void copy_file(const std::string& from, const std::string& to) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

class DwgRuns : public ProgramTest {
   protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (std::getenv("PENLOOM_BIN") == nullptr) GTEST_SKIP() << "PENLOOM_BIN is not set";
    }

    // What a run prints for one file: the banner, the progress line (which ends in a blank),
    // then `end`.
    std::string one_file(const std::string& output, const std::string& release,
                         const std::string& end) const {
        return banner() + "\nA.PLT -> " + output + " " + kFormat.at(release) + end;
    }

    void install_plugin() const {
        const std::filesystem::path bin = std::getenv("PENLOOM_BIN");
        std::filesystem::copy_file(bin.parent_path() / "crdll.so", prog() + "crdll.so");
    }

    // Writes `plot` to DWG and to DXF at `release`, checks both runs, and keeps the pair as
    // <name>_<release>.dwg and .dxf for the read-back.
    void write_pair(const std::string& name, const std::string& ini, const std::string& plot,
                    const std::string& release) {
        SCOPED_TRACE(name + " at /" + release);
        write_settings(kExact + ini);
        write_file("A.PLT", plot);
        const RunResult dwg = run({"A.PLT", "A.DWG", "/" + release});
        ASSERT_EQ(dwg.status, 0) << dwg.text;
        EXPECT_EQ(dwg.text,
                  one_file("A.DWG", release, "  OK.\nEnd Translation. (1 files processed)\n"));
        EXPECT_EQ(read_file("A.DWG").substr(0, 6), kMagic.at(release));
        EXPECT_EQ(list(""), (Lines{"A.DWG", "A.PLT", "prog"}))
            << "no temporary or trace file stays";
        const RunResult dxf = run({"A.PLT", "A.DXF", "/" + twin(release)});
        ASSERT_EQ(dxf.status, 0) << dxf.text;
        keep_pair(path("A.DWG"), path("A.DXF"), name + "_" + release, release);
        std::filesystem::remove(path("A.DWG"));
        std::filesystem::remove(path("A.DXF"));
    }
};

TEST_F(DwgRuns, PlotsAtEveryRelease) {
    for (const Plot& p : kPlots)
        for (const std::string& release : kReleases) write_pair(p.name, p.ini, p.plot, release);
}

// The plots the e2e suite compares with an independent rendering.
TEST_F(DwgRuns, ReferencePlotsAtEveryRelease) {
    const char* source = std::getenv("PENLOOM_SOURCE");
    if (source == nullptr) GTEST_SKIP() << "PENLOOM_SOURCE is not set";
    for (const char* name :
         {"arcs", "circles", "clipping", "curves", "lines", "rotation", "scaling"}) {
        const std::string plot = slurp(std::string(source) + "/tests/e2e/plots/" + name + ".hpgl");
        ASSERT_FALSE(plot.empty()) << name;
        for (const std::string& release : kReleases)
            write_pair(std::string("plot_") + name, "", plot, release);
    }
}

// A wildcard run writes one DWG per page: two plots, the first of two pages,
// into a folder named with *.DWG; each kept with the DXF twin of a *.DXF run.
TEST_F(DwgRuns, BatchWritesADwgPerPage) {
    write_settings(kExact);
    write_file("A.PLT", "IN;SP1;PA0,0;PD500,500;PU;PG;SP2;PA0,0;CI300;PU;");
    write_file("B.PLT", kPlots[2].plot);
    make_folder("dwg");
    make_folder("dxf");
    const RunResult dwg = run({"*.PLT", "dwg/*.DWG", "/14"});
    ASSERT_EQ(dwg.status, 0) << dwg.text;
    EXPECT_EQ(list("dwg"), (Lines{"A-2.DWG", "A.DWG", "B.DWG"}));
    ASSERT_EQ(run({"*.PLT", "dxf/*.DXF", "/14"}).status, 0);
    for (const char* name : {"A", "A-2", "B"}) {
        const std::string kept = std::string("batch_") + (name[1] == '-' ? "A2" : name) + "_14";
        copy_file(path(std::string("dwg/") + name + ".DWG"), readback_dir() + kept + ".dwg");
        keep_counted(path(std::string("dxf/") + name + ".DXF"), kept, "14");
    }
}

// With `trace` on, the DXF of the same drawing and release stays beside the
// DWG; it is the one a DXF run writes (the read-back takes it as the twin).
TEST_F(DwgRuns, TraceKeepsTheDxfOfTheSameRelease) {
    const std::string plot = kPlots[0].plot + kPlots[2].plot;
    for (const std::string& release : kReleases) {
        SCOPED_TRACE(release);
        write_settings(kExact + "trace=1\n");
        write_file("A.PLT", plot);
        const RunResult r = run({"A.PLT", "A.DWG", "/" + release});
        ASSERT_EQ(r.status, 0) << r.text;
        EXPECT_EQ(list(""), (Lines{"A.DWG", "A.PLT", "prog", "~tmphp~.dxf"}));
        const std::string traced = read_file("~tmphp~.dxf");
        EXPECT_NE(traced.find("$ACADVER\r\n  1\r\n" + kMagic.at(twin(release)) + "\r\n"),
                  std::string::npos);
        keep_pair(path("A.DWG"), path("~tmphp~.dxf"), "trace_" + release, release);
        ASSERT_EQ(run({"A.PLT", "B.DXF", "/" + twin(release)}).status, 0);
        EXPECT_EQ(dxf_entities(traced).size(), dxf_entities(read_file("B.DXF")).size());
        for (const char* name : {"A.DWG", "B.DXF", "~tmphp~.dxf"})
            std::filesystem::remove(path(name));
    }
}

// Replaces every "A.DXF" in `text` by "A.DWG".
std::string as_dwg(std::string text) {
    for (std::size_t at = text.find("A.DXF"); at != std::string::npos; at = text.find("A.DXF", at))
        text.replace(at, 5, "A.DWG");
    return text;
}

TEST_F(DwgRuns, TestRunWritesNothing) {
    write_file("A.PLT", kPlots[0].plot);
    for (const std::string& release : kReleases) {
        SCOPED_TRACE(release);
        const RunResult dxf = run({"A.PLT", "A.DXF", "/" + release, "/TEST"});
        const RunResult r = run({"A.PLT", "A.DWG", "/" + release, "/TEST"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.text, as_dwg(dxf.text));
        EXPECT_NE(r.text.find("Test Run. NO FILES WILL BE TRANSLATED."), std::string::npos);
        EXPECT_EQ(list(""), (Lines{"A.PLT", "prog"}));
    }
}

// Save failures print what a DXF run prints for the same failure, with the
// same status: here a folder that does not exist.
TEST_F(DwgRuns, SaveErrorsAreThoseOfDxf) {
    write_file("A.PLT", kPlots[0].plot);
    for (const std::string& release : kReleases) {
        SCOPED_TRACE(release);
        const RunResult dxf = run({"A.PLT", path("none/A.DXF"), "/" + release});
        const RunResult dwg = run({"A.PLT", path("none/A.DWG"), "/" + release});
        EXPECT_NE(dxf.status, 0);
        EXPECT_EQ(dwg.status, dxf.status);
        EXPECT_EQ(dwg.text, as_dwg(dxf.text));
        EXPECT_FALSE(exists("none"));
    }
}

// DWG of 2007 is not written by the program: it goes to the
// plug-in, which refuses (status 5) and writes nothing, not even the
// temporary DXF.
TEST_F(DwgRuns, OtherReleasesGoToThePluginWhichRefuses) {
    install_plugin();
    write_file("A.PLT", kPlots[0].plot);
    const std::map<std::string, std::string> formats = {{"2007", "(R2007,2008,2009 format)"}};
    for (const auto& [release, format] : formats) {
        SCOPED_TRACE(release);
        const RunResult r = run({"A.PLT", "A.DWG", "/" + release});
        EXPECT_EQ(r.status, 5);
        EXPECT_EQ(r.text, banner() + "\nA.PLT -> A.DWG " + format +
                              " \nEnd Translation. (0 files processed)\n");
        EXPECT_EQ(list(""), (Lines{"A.PLT", "prog"}));
    }
}

}  // namespace
}  // namespace penloom::testing
