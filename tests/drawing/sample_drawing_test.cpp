// The sample drawing saved at every version and at 0, 6 and 16 decimal
// places, each with an expectation file for the ezdxf read-back; and what the
// files must hold whatever reads them: section order, R12 omissions, unique
// and consecutive handles below $HANDSEED.
#include <map>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "drawing/drawing.h"
#include "sample_drawing.h"
#include "test_support.h"

namespace penloom::testing {
namespace {

const char* const release_names[] = {"", "", "", "", "r12", "r13", "r14", "r2000"};

std::string json_list(const std::vector<std::string>& names) {
    std::string s = "[";
    for (std::size_t i = 0; i < names.size(); ++i)
        s += (i ? ", \"" : "\"") + names[i] + "\"";
    return s + "]";
}

std::string expectation(const SampleDrawing& sample, int version) {
    std::ostringstream j;
    j << "{\n  \"acadver\": \"" << version_string(version) << "\",\n  \"entities\": {";
    bool first = true;
    for (const auto& [type, count] : expected_model_space_counts(sample, version)) {
        j << (first ? "" : ", ") << "\"" << type << "\": " << count;
        first = false;
    }
    j << "},\n  \"layers\": " << json_list({"0", "PEN1", "PEN2", "PEN3"}) << ",\n";
    j << "  \"linetypes_include\": " << json_list({"CONTINUOUS", "DASH3", "CENTER2"}) << ",\n";
    j << "  \"text_styles\": " << json_list({"STANDARD", "HP_STYLE_5"}) << ",\n";
    j << "  \"appids_include\": " << json_list({"ACAD", "PENLOOM"}) << ",\n";
    // The code-page name is upper case from R14 on.
    j << "  \"header\": {\"$EXTMIN\": [-10, -10, 0], \"$EXTMAX\": [200, 120, 0], \"$LIMMAX\": [210, 130], "
      << "\"$DWGCODEPAGE\": \"" << (version >= version_r14 ? "ANSI_1252" : "ansi_1252") << "\"}\n}\n";
    return j.str();
}

struct Saved {
    int version;
    int places;
    std::string text;
};

class SampleDrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::int16_t error = 0;
        ASSERT_TRUE(init_library(lib, "", error));
    }
    void TearDown() override { close_library(lib); }

    // Saves the sample (made at version 7, or 6 for R12..R14) as
    // e2e-out/drawing/sample-<release>-p<places>.dxf with its expectations.
    Saved save(int version, int places) {
        SampleDrawing sample = build_sample_drawing(lib, version >= version_2000 ? 7 : 6);
        const std::string base = e2e_dir() + "/sample-" + release_names[version] + "-p" + std::to_string(places);
        EXPECT_TRUE(save_drawing(*sample.drawing, base + ".dxf", file_kind_ascii_dxf, version, false, places, 1, 0))
            << error_message(last_error(lib));
        write_file(base + ".expect.json", expectation(sample, version));
        return Saved{version, places, read_file(base + ".dxf")};
    }

    DrawingLibrary lib;
};

TEST_F(SampleDrawingTest, EveryVersionAndPrecisionHasItsSections) {
    for (int version : {4, 5, 6, 7}) {
        for (int places : {0, 6, 16}) {
            SCOPED_TRACE(std::string(release_names[version]) + " P=" + std::to_string(places));
            const Saved s = save(version, places);
            std::vector<std::string> sections;
            const auto groups = split_groups(s.text);
            for (std::size_t i = 0; i + 1 < groups.size(); ++i)
                if (groups[i].second == "SECTION")
                    sections.push_back(groups[i + 1].second);
            const std::vector<std::string> expected =
                version == 4 ? std::vector<std::string>{"HEADER", "TABLES", "BLOCKS", "ENTITIES"}
                             : std::vector<std::string>{"HEADER", "CLASSES", "TABLES", "BLOCKS", "ENTITIES", "OBJECTS"};
            EXPECT_EQ(sections, expected);
            ASSERT_FALSE(groups.empty());
            EXPECT_EQ(groups.back(), (std::pair<std::string, std::string>{"  0", "EOF"}));
        }
    }
}

TEST_F(SampleDrawingTest, R12HasNoHatchNoLwpolylineAndNoSubclassMarkers) {
    const Saved s = save(4, 6);
    EXPECT_EQ(s.text.find("HATCH"), std::string::npos);
    EXPECT_EQ(s.text.find("LWPOLYLINE"), std::string::npos);
    EXPECT_EQ(s.text.find("AcDb"), std::string::npos);
    EXPECT_EQ(s.text.find("\r\n100\r\n"), std::string::npos);
    EXPECT_NE(s.text.find("$VISRETAIN"), std::string::npos);
    EXPECT_EQ(s.text.find("$PLINEGEN"), std::string::npos);
}

TEST_F(SampleDrawingTest, HandlesAreUniqueAndBelowHandseed) {
    for (int version : {4, 5, 6, 7}) {
        SCOPED_TRACE(release_names[version]);
        const Saved s = save(version, 6);
        const auto groups = split_groups(s.text);
        std::set<unsigned long long> handles;
        unsigned long long seed = 0;
        for (std::size_t i = 0; i < groups.size(); ++i) {
            const std::string& code = groups[i].first;
            if (groups[i].second == "$HANDSEED") {
                seed = std::stoull(groups[i + 1].second, nullptr, 16);
                ++i;
                continue;
            }
            if (code == "  5" || code == "105") {
                const unsigned long long h = std::stoull(groups[i].second, nullptr, 16);
                EXPECT_TRUE(handles.insert(h).second) << "duplicate handle " << groups[i].second;
            }
        }
        ASSERT_FALSE(handles.empty());
        EXPECT_LT(*handles.rbegin(), seed);
        EXPECT_GT(*handles.begin(), 0u);
        if (version >= 5) {
            // Every handle below the seed is used once: tables, records,
            // blocks, objects and entities were numbered consecutively.
            EXPECT_EQ(handles.size(), seed - 1);
        }
    }
}

}  // namespace
}  // namespace penloom::testing
