// Releases 2004 and 2007 and DWG outputs go through the converter plug-in:
// whole runs with the real plug-in beside the program, without it, and with
// the setting that keeps the temporary drawing. The 2004 and 2007 drawings
// must hold what the 2000 drawing of the same plot holds, labels with
// Windows-1252 letters included, and are read back by ezdxf.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "driver/context.h"
#include "driver/program.h"

namespace penloom {
namespace {

namespace fs = std::filesystem;

// A plot with lines on two pens, a dashed line, a circle and a label whose
// last four bytes are ä ö ü € in Windows-1252.
const std::string kPlot =
    "IN;SP1;PA0,0;PD1000,0,1000,1000;PU;SP2;LT2;PA0,0;PD0,2000;PU;LT;CI400;LBabc\xe4\xf6\xfc\x80\x03";

class ConverterRuns : public ::testing::Test {
protected:
    void SetUp() override {
        const char* binary = std::getenv("PENLOOM_BIN");
        if (binary == nullptr) GTEST_SKIP() << "PENLOOM_BIN is not set";
        plugin_ = fs::path(binary).parent_path() / "crdll.so";
        old_cwd_ = fs::current_path();
        std::string base = (fs::temp_directory_path() / "penloom-releases-XXXXXX").string();
        ASSERT_NE(mkdtemp(base.data()), nullptr);
        root_ = base;
        fs::current_path(root_);
        fs::create_directory(root_ / "prog");
        setenv("PENLOOM_HOME", (root_ / "prog").c_str(), 1);
        std::ofstream(root_ / "A.PLT", std::ios::binary) << kPlot;
    }
    void TearDown() override {
        if (root_.empty()) return;
        fs::current_path(old_cwd_);
        unsetenv("PENLOOM_HOME");
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    void install_plugin() { fs::copy_file(plugin_, root_ / "prog" / "crdll.so"); }
    void settings(const std::string& text) { std::ofstream(root_ / "prog" / "penloom.ini") << text; }

    int run(const std::vector<std::string>& args) {
        Context ctx;
        int status = run_program(ctx, args);
        printed_ = ctx.out.text();
        return status;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(root_ / name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path plugin_, root_, old_cwd_;
    std::string printed_;
};

// Entity names of the ENTITIES section, counted.
std::map<std::string, int> entity_counts(const std::string& dxf) {
    std::map<std::string, int> counts;
    std::size_t at = dxf.find("ENTITIES\r\n");
    std::size_t end = dxf.find("ENDSEC", at);
    const std::string marker = "\r\n  0\r\n";  // a group code 0 line, not a value
    for (at = dxf.find(marker, at); at < end; at = dxf.find(marker, at + 1)) {
        std::size_t name = at + marker.size();
        std::string type = dxf.substr(name, dxf.find("\r\n", name) - name);
        if (type != "ENDSEC" && type != "VERTEX" && type != "SEQEND") ++counts[type];
    }
    return counts;
}

TEST_F(ConverterRuns, NewerReleasesHoldWhatTheDrawingHolds) {
    install_plugin();
    ASSERT_EQ(run({"A.PLT", "R2000.DXF", "/2000"}), 0) << printed_;
    std::map<std::string, int> counts = entity_counts(read("R2000.DXF"));
    EXPECT_EQ(counts, (std::map<std::string, int>{{"CIRCLE", 1}, {"LWPOLYLINE", 1}, {"POLYLINE", 1}, {"TEXT", 1}}));

    struct Case {
        const char* release;
        const char* acadver;
    };
    for (const Case& c : {Case{"/2000", "AC1015"}, Case{"/2004", "AC1018"}, Case{"/2007", "AC1021"}}) {
        SCOPED_TRACE(c.release);
        std::string out = std::string("R") + (c.release + 1) + ".DXF";
        ASSERT_EQ(run({"A.PLT", out, c.release}), 0) << printed_;
        EXPECT_FALSE(fs::exists(root_ / "~tmphp~.dxf"));
        const char* e2e = std::getenv("PENLOOM_E2E_DIR");
        if (e2e == nullptr) continue;
        fs::create_directories(e2e);
        std::string base = std::string(e2e) + "/release_" + (c.release + 1);
        fs::copy_file(root_ / out, base + ".dxf", fs::copy_options::overwrite_existing);
        std::ofstream expect(base + ".expect.json");
        expect << "{\"acadver\": \"" << c.acadver << "\", \"entities\": {";
        const char* comma = "";
        for (const auto& [type, n] : counts) {
            expect << comma << "\"" << type << "\": " << n;
            comma = ", ";
        }
        expect << "}, \"layers\": [\"0\", \"LAY001\", \"LAY002\"], \"linetypes\": [\"DASH3\"],"
               << " \"texts\": [\"abc\\u00e4\\u00f6\\u00fc\\u20ac\"]}\n";
    }
}

TEST_F(ConverterRuns, TheTemporaryDrawingStaysWhenTracing) {
    install_plugin();
    settings("[Settings]\ntrace=1\n");
    ASSERT_EQ(run({"A.PLT", "B.DXF", "/2004"}), 0) << printed_;
    EXPECT_NE(read("~tmphp~.dxf").find("AC1015"), std::string::npos);
    EXPECT_NE(read("B.DXF").find("AC1018"), std::string::npos);
}

TEST_F(ConverterRuns, WithoutThePluginTheBatchStops) {
    EXPECT_EQ(run({"A.PLT", "/2004"}), -2);
    EXPECT_NE(printed_.find("A.PLT -> A.DXF (R2004,2005,2006 format) 1 load_dll_dc() FAILED:\n\n"
                            "End Translation. (0 files processed)\n"),
              std::string::npos)
        << printed_;
    EXPECT_FALSE(fs::exists(root_ / "A.DXF"));
    EXPECT_FALSE(fs::exists(root_ / "~tmphp~.dxf"));
}

TEST_F(ConverterRuns, DwgIsRefusedAndLeavesNoFile) {
    install_plugin();
    EXPECT_EQ(run({"A.PLT", "A.DWG"}), 5);
    EXPECT_NE(printed_.find("A.PLT -> A.DWG (R11-12 format) "), std::string::npos);
    EXPECT_FALSE(fs::exists(root_ / "A.DWG"));
    EXPECT_FALSE(fs::exists(root_ / "~tmphp~.dxf"));
}

}  // namespace
}  // namespace penloom
