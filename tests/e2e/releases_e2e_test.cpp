// DXF of releases 2004 and 2007, and DWG of the release the program does not write (2007), go
// through the converter plug-in: whole runs with the real plug-in beside the program and without
// it. The 2004 and 2007 drawings hold what the 2000 drawing of the same plot holds, Windows-1252
// letters included, and the temporary drawing goes unless tracing. DWG of 12 to 2004 never
// needs the plug-in.
#include "e2e/e2e_support.h"

namespace penloom::testing {
namespace {

// Lines on two pens, a dashed line, a circle and a label ending in ä ö ü € in Windows-1252.
const std::string kPlot =
    "IN;SP1;PA0,0;PD1000,0,1000,1000;PU;SP2;LT2;PA0,0;PD0,2000;PU;LT;CI400;LBabc\xe4\xf6\xfc\x80\x03";

class ConverterRuns : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (std::getenv("PENLOOM_BIN") == nullptr) GTEST_SKIP() << "PENLOOM_BIN is not set";
        write_file("A.PLT", kPlot);
    }
    void install_plugin() const {
        const std::filesystem::path bin = std::getenv("PENLOOM_BIN");
        std::filesystem::copy_file(bin.parent_path() / "crdll.so", prog() + "crdll.so");
    }
};

TEST_F(ConverterRuns, NewerReleasesHoldWhatTheDrawingHolds) {
    install_plugin();
    const std::map<std::string, int> counts{{"CIRCLE", 1}, {"LWPOLYLINE", 1}, {"POLYLINE", 1}, {"TEXT", 1}};
    for (const std::string release : {"2000", "2004", "2007"}) {
        SCOPED_TRACE(release);
        // The setting for 2007 keeps the temporary drawing, a 2000 one.
        write_settings(release == "2007" ? "[Settings]\ntrace=1\n" : "");
        const RunResult r = run({"A.PLT", "R" + release + ".DXF", "/" + release});
        ASSERT_EQ(r.status, 0) << r.text;
        const std::string temporary = exists("~tmphp~.dxf") ? read_file("~tmphp~.dxf") : "";
        EXPECT_EQ(temporary.find("AC1015") != std::string::npos, release == "2007");
        EXPECT_EQ(keep_counted(path("R" + release + ".DXF"), "release_" + release, release,
                               R"(, "layers": ["0", "LAY001", "LAY002"], "linetypes": ["DASH3"], )"
                               R"("texts": ["abc\u00e4\u00f6\u00fc\u20ac"])"),
                  counts);
    }
}

TEST_F(ConverterRuns, WithoutThePluginOrForDwgNothingIsWritten) {
    RunResult r = run({"A.PLT", "/2004"});
    EXPECT_EQ(r.status, -2);
    EXPECT_NE(r.text.find("A.PLT -> A.DXF (R2004,2005,2006 format) 1 load_dll_dc() FAILED:\n\n"
                          "End Translation. (0 files processed)\n"), std::string::npos) << r.text;
    install_plugin();
    const RunResult dwg = run({"A.PLT", "A.DWG", "/2007"});
    EXPECT_EQ(dwg.status, 5);
    EXPECT_NE(dwg.text.find("A.PLT -> A.DWG (R2007,2008,2009 format) "), std::string::npos);
    for (const char* name : {"A.DXF", "A.DWG", "~tmphp~.dxf"}) EXPECT_FALSE(exists(name)) << name;
}

// Each DWG is kept with the DXF of the same release (full precision) for the DWG read-back.
TEST_F(ConverterRuns, DwgOfTheWrittenReleasesNeedsNoPlugin) {
    write_settings("[Settings]\nDecimalPlaces=16\n");
    for (const std::string release : {"12", "13", "14", "2000"}) {
        SCOPED_TRACE(release);
        const RunResult r = run({"A.PLT", "A.DWG", "/" + release});
        EXPECT_EQ(r.status, 0) << r.text;
        EXPECT_EQ(read_file("A.DWG").substr(0, 4), "AC10");
        EXPECT_FALSE(exists("~tmphp~.dxf"));
        ASSERT_EQ(run({"A.PLT", "A.DXF", "/" + release}).status, 0);
        std::filesystem::copy_file(path("A.DWG"), readback_dir() + "no_plugin_" + release + ".dwg",
                                   std::filesystem::copy_options::overwrite_existing);
        keep_counted(path("A.DXF"), "no_plugin_" + release, release);
        std::filesystem::remove(path("A.DWG"));
    }
}

}  // namespace
}  // namespace penloom::testing
