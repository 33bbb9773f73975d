// Releases 2004 and 2007 and DWG outputs go through the converter plug-in:
// whole runs with the real plug-in beside the program, without it, and with
// the setting that keeps the temporary drawing. The 2004 and 2007 drawings
// must hold what the 2000 drawing of the same plot holds, labels with
// Windows-1252 letters included, and are read back by ezdxf.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "support/dxf_text.h"
#include "support/program_run.h"
#include "support/readback.h"

namespace penloom::testing {
namespace {

namespace fs = std::filesystem;

// A plot with lines on two pens, a dashed line, a circle and a label whose
// last four bytes are ä ö ü € in Windows-1252.
const std::string kPlot =
    "IN;SP1;PA0,0;PD1000,0,1000,1000;PU;SP2;LT2;PA0,0;PD0,2000;PU;LT;CI400;"
    "LBabc\xe4\xf6\xfc\x80\x03";

class ConverterRuns : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (std::getenv("PENLOOM_BIN") == nullptr) GTEST_SKIP() << "PENLOOM_BIN is not set";
        write_file("A.PLT", kPlot);
    }
    void install_plugin() const {
        fs::copy_file(fs::path(std::getenv("PENLOOM_BIN")).parent_path() / "crdll.so",
                      prog() + "crdll.so");
    }
};

TEST_F(ConverterRuns, NewerReleasesHoldWhatTheDrawingHolds) {
    install_plugin();
    const std::map<std::string, int> counts{
        {"CIRCLE", 1}, {"LWPOLYLINE", 1}, {"POLYLINE", 1}, {"TEXT", 1}};
    for (const auto& [release, acadver] : {std::pair{"2000", "AC1015"}, std::pair{"2004", "AC1018"},
                                           std::pair{"2007", "AC1021"}}) {
        SCOPED_TRACE(release);
        const std::string out = std::string("R") + release + ".DXF";
        const RunResult r = run({"A.PLT", out, std::string("/") + release});
        ASSERT_EQ(r.status, 0) << r.text;
        EXPECT_FALSE(exists("~tmphp~.dxf"));
        std::map<std::string, int> got;
        for (const DxfRecord& e : dxf_entities(read_file(out)))
            if (e.type != "VERTEX" && e.type != "SEQEND") ++got[e.type];
        EXPECT_EQ(got, counts);
        keep_for_readback(
            path(out), std::string("release_") + release,
            std::string("\"acadver\": \"") + acadver +
                "\", \"entities\": {\"CIRCLE\": 1, \"LWPOLYLINE\": 1, \"POLYLINE\": 1, "
                "\"TEXT\": 1}, \"layers\": [\"0\", \"LAY001\", \"LAY002\"], "
                "\"linetypes\": [\"DASH3\"], "
                "\"texts\": [\"abc\\u00e4\\u00f6\\u00fc\\u20ac\"]");
    }
}

TEST_F(ConverterRuns, TheTemporaryDrawingStaysWhenTracing) {
    install_plugin();
    write_settings("[Settings]\ntrace=1\n");
    const RunResult r = run({"A.PLT", "B.DXF", "/2004"});
    ASSERT_EQ(r.status, 0) << r.text;
    EXPECT_NE(read_file("~tmphp~.dxf").find("AC1015"), std::string::npos);
    EXPECT_NE(read_file("B.DXF").find("AC1018"), std::string::npos);
}

TEST_F(ConverterRuns, WithoutThePluginOrForDwgNothingIsWritten) {
    RunResult r = run({"A.PLT", "/2004"});
    EXPECT_EQ(r.status, -2);
    EXPECT_NE(r.text.find("A.PLT -> A.DXF (R2004,2005,2006 format) 1 load_dll_dc() FAILED:\n\n"
                          "End Translation. (0 files processed)\n"),
              std::string::npos)
        << r.text;
    EXPECT_FALSE(exists("A.DXF"));
    EXPECT_FALSE(exists("~tmphp~.dxf"));
    install_plugin();
    r = run({"A.PLT", "A.DWG"});
    EXPECT_EQ(r.status, 5);
    EXPECT_NE(r.text.find("A.PLT -> A.DWG (R11-12 format) "), std::string::npos);
    EXPECT_FALSE(exists("A.DWG"));
    EXPECT_FALSE(exists("~tmphp~.dxf"));
}

}  // namespace
}  // namespace penloom::testing
