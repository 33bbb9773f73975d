// Whole runs with labels: TEXT entities in R12 and 2000 drawings, the
// styles they use, settings that name the styles, and text bytes the
// writer must escape. Every drawing is kept, with its expected entities
// and styles, under $PENLOOM_E2E_DIR for the ezdxf read-back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "driver/context.h"
#include "driver/program.h"
#include "interpreter/label_support.h"

namespace penloom {
namespace {

namespace fs = std::filesystem;
using testing::entity_groups;

const std::string ETX = "\x03";

// A plot with labels of every kind: plain, rotated and centred, a
// typeface style, the alternate font over two lines, symbol mode, vertical
// labels, and bytes above 127 with a caret.
const std::string kPlot =
    "IN;SP1;PA1000,1000;LBHello" + ETX + "DI0,1;LO5;LBWorld" + ETX +
    "DI;LO1;PA1000,2000;SD7,5;SS;LBStyled" + ETX + "SA;PA1000,3000;LBAlt\r\nSecond" + ETX +
    "SS;SM*;PA3000,3000;SM;PA3000,1000;DV1;LBUp" + ETX + "DV0;PA1000,4000;LBUml\xe4ut ^caret" + ETX;

class LabelRun : public ::testing::Test {
   protected:
    void SetUp() override {
        old_cwd_ = fs::current_path();
        std::string base = (fs::temp_directory_path() / "penloom-labels-XXXXXX").string();
        ASSERT_NE(mkdtemp(base.data()), nullptr);
        root_ = base;
        fs::current_path(root_);
        fs::create_directory(root_ / "prog");
        const char* home = std::getenv("PENLOOM_HOME");
        if (home != nullptr) old_home_ = home;
        setenv("PENLOOM_HOME", (root_ / "prog").c_str(), 1);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
    }
    void TearDown() override {
        fs::current_path(old_cwd_);
        std::error_code ignored;
        fs::remove_all(root_, ignored);
        if (old_home_.empty())
            unsetenv("PENLOOM_HOME");
        else
            setenv("PENLOOM_HOME", old_home_.c_str(), 1);
    }

    // Runs the program on A.PLT with the release switch; returns the DXF.
    std::string run(const std::string& plot, const std::string& release,
                    const std::string& ini = "") {
        std::ofstream(root_ / "prog" / "penloom.ini") << ini;
        std::ofstream(root_ / "A.PLT", std::ios::binary) << plot;
        fs::remove(root_ / "A.DXF");
        ctx_ = std::make_unique<Context>();
        status_ = run_program(*ctx_, {"A.PLT", release});
        std::ifstream in(root_ / "A.DXF", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Keeps A.DXF for the read-back with its expectations (JSON members).
    void keep_for_readback(const std::string& label, const std::string& expect) const {
        const char* e2e = std::getenv("PENLOOM_E2E_DIR");
        if (e2e == nullptr) return;
        fs::create_directories(e2e);
        const std::string base = std::string(e2e) + "/labels_" + label;
        fs::copy_file(root_ / "A.DXF", base + ".dxf", fs::copy_options::overwrite_existing);
        std::ofstream(base + ".expect.json") << "{" << expect << "}\n";
    }

    std::unique_ptr<Context> ctx_;
    int status_ = 0;
    fs::path root_;

   private:
    fs::path old_cwd_;
    std::string old_home_;
};

// IN sets the width factor to 1; the alternate and typeface styles carry
// group 7, STANDARD does not.
const std::vector<std::string> kTexts2000 = {
    "10=25.0 20=25.0 30=0.0 40=2.84 1=Hello",
    "10=39.1 20=25.0 30=0.0 40=2.84 1=World 50=90.0 72=     1 11=39.1 21=25.0 31=0.0 73=     2",
    "10=25.0 20=50.0 30=0.0 40=2.84 1=Styled 7=HP_STYLE_5",
    "10=25.0 20=75.0 30=0.0 40=2.84 1=Alt 7=STD_1",
    "10=25.0 20=69.32 30=0.0 40=2.84 1=Second 7=STD_1",
    "10=75.0 20=73.58 30=0.0 40=2.84 1=* 7=HP_STYLE_5 72=     4 11=75.0 21=73.58 31=0.0 73=     2",
    "10=75.0 20=25.0 30=0.0 40=2.84 1=U 7=HP_STYLE_5",
    "10=75.0 20=20.74 30=0.0 40=2.84 1=p 7=HP_STYLE_5",
    "10=25.0 20=100.0 30=0.0 40=2.84 1=Uml\xe4ut ^ caret 7=HP_STYLE_5",
};

TEST_F(LabelRun, Release2000) {
    const std::string dxf = run(kPlot, "/2000");
    ASSERT_EQ(status_, 0) << ctx_->out.text();
    EXPECT_EQ(entity_groups(dxf, "TEXT"), kTexts2000);
    keep_for_readback("r2000",
                      "\"acadver\": \"AC1015\", \"entities_include\": {\"TEXT\": 9}, "
                      "\"text_styles\": [\"STANDARD\", \"HP_STYLE_5\", \"STD_1\"]");
}

TEST_F(LabelRun, Release12) {
    const std::string dxf = run(kPlot, "/12");
    ASSERT_EQ(status_, 0) << ctx_->out.text();
    // R12 writes the same groups (no subclass markers, which are left out here).
    EXPECT_EQ(entity_groups(dxf, "TEXT"), kTexts2000);
    EXPECT_EQ(dxf.find("AcDbText"), std::string::npos);
    keep_for_readback("r12",
                      "\"acadver\": \"AC1009\", \"entities_include\": {\"TEXT\": 9}, "
                      "\"text_styles\": [\"STANDARD\", \"HP_STYLE_5\", \"STD_1\"]");
}

TEST_F(LabelRun, NamedStylesFromTheSettings) {
    const std::string ini =
        "[Settings]\nStdTextStyle=MYSTD\nAltTextStyle=MYALT\nOutputUnit=inch\n"
        "[Stylename]\n5=ARIAL\n[MapTypefaceToFont]\n5=romans.shx\n";
    const std::string dxf = run("LBA" + ETX + "SA;LBB" + ETX + "SD7,5;SS;LBC" + ETX, "/2000", ini);
    ASSERT_EQ(status_, 0) << ctx_->out.text();
    // f = 0.025 / 25.4 inch per plotter unit; the advance stays 2.82 as stored.
    const auto texts = entity_groups(dxf, "TEXT");
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "10=0.0 20=0.0 30=0.0 40=0.111811 1=A 41=0.8 7=MYSTD");
    EXPECT_EQ(texts[1], "10=2.82 20=0.0 30=0.0 40=0.111811 1=B 7=MYALT");
    EXPECT_EQ(texts[2], "10=5.64 20=0.0 30=0.0 40=0.111811 1=C 7=ARIAL");
    // New styles in inches: fixed and last height 0.15.
    EXPECT_NE(
        dxf.find("  2\r\nARIAL\r\n 70\r\n     0\r\n 40\r\n0.15\r\n 41\r\n1.0\r\n 50\r\n0.0\r\n"
                 " 71\r\n     0\r\n 42\r\n0.15\r\n  3\r\nromans.shx\r\n"),
        std::string::npos);
    keep_for_readback("named_styles",
                      "\"acadver\": \"AC1015\", \"entities\": {\"TEXT\": 3}, "
                      "\"text_styles\": [\"STANDARD\", \"MYSTD\", \"MYALT\", \"ARIAL\"]");
}

TEST_F(LabelRun, TheFirstLabelUpdatesStandard) {
    const std::string dxf = run("IN;LBA" + ETX, "/2000");
    ASSERT_EQ(status_, 0) << ctx_->out.text();
    EXPECT_NE(
        dxf.find("  2\r\nSTANDARD\r\n 70\r\n     0\r\n 40\r\n3.75\r\n 41\r\n1.0\r\n 50\r\n0.0\r\n"
                 " 71\r\n     0\r\n 42\r\n3.75\r\n  3\r\ntxt\r\n"),
        std::string::npos);
    keep_for_readback("standard",
                      "\"acadver\": \"AC1015\", \"entities\": {\"TEXT\": 1}, "
                      "\"text_styles\": [\"STANDARD\"]");
}

}  // namespace
}  // namespace penloom
