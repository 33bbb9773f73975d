// The sample drawing saved at every version and at 0, 6 and 16 decimal
// places, each with an expectation file for the ezdxf read-back; and what the
// files must hold whatever reads them: section order, unique and consecutive
// handles below $HANDSEED, R12 without HATCH, LWPOLYLINE and subclass markers.
#include <set>
#include <string>

#include "drawing_fixture.h"
#include "sample_drawing.h"
#include "support/dxf_text.h"

namespace penloom::testing {
namespace {

const char* const release_names[] = {"", "", "", "", "r12", "r13", "r14", "r2000"};

// Saves the sample (made at version 7, or 6 for R12..R14) for the read-back
// as sample-<release>-p<places>.dxf with its expectations; returns its groups.
DxfGroups save_sample(DrawingLibrary& lib, int version, int places) {
    SampleDrawing sample = build_sample_drawing(lib, version >= version_2000 ? 7 : 6);
    const std::string path =
        readback_dir("drawing") + "sample-" + release_names[version] + "-p" + std::to_string(places) + ".dxf";
    EXPECT_TRUE(save_drawing(*sample.drawing, path, file_kind_ascii_dxf, version, false, places, 1, 0))
        << error_message(last_error(lib));
    std::string counts;
    for (const auto& [type, count] : expected_model_space_counts(sample, version))
        counts += (counts.empty() ? "\"" : ", \"") + type + "\": " + std::to_string(count);
    // The code-page name is upper case from R14 on.
    write_sidecar(path, "\"acadver\": \"" + std::string(version_string(version)) + "\", \"entities\": {" +
                            counts + "}, \"layers\": [\"0\", \"PEN1\", \"PEN2\", \"PEN3\"], "
                            "\"linetypes_include\": [\"CONTINUOUS\", \"DASH3\", \"CENTER2\"], "
                            "\"text_styles\": [\"STANDARD\", \"HP_STYLE_5\"], "
                            "\"appids_include\": [\"ACAD\", \"PENLOOM\"], "
                            "\"header\": {\"$EXTMIN\": [-10, -10, 0], \"$EXTMAX\": [200, 120, 0], "
                            "\"$LIMMAX\": [210, 130], \"$DWGCODEPAGE\": \"" +
                            (version >= version_r14 ? "ANSI_1252" : "ansi_1252") + "\"}");
    return dxf_groups(slurp(path));
}

TEST_F(DrawingTest, EveryVersionAndPrecisionHasItsSectionsAndHandles) {
    for (int version : {4, 5, 6, 7}) {
        for (int places : {0, 6, 16}) {
            SCOPED_TRACE(std::string(release_names[version]) + " P=" + std::to_string(places));
            const DxfGroups groups = save_sample(lib, version, places);
            std::string sections;
            std::set<unsigned long long> handles;
            unsigned long long seed = 0;
            for (std::size_t i = 0; i + 1 < groups.size(); ++i) {
                if (groups[i].value == "SECTION") sections += groups[i + 1].value + " ";
                if (groups[i].value == "$HANDSEED") {
                    seed = std::stoull(groups[++i].value, nullptr, 16);
                } else if (groups[i].code == 5 || groups[i].code == 105) {
                    EXPECT_TRUE(handles.insert(std::stoull(groups[i].value, nullptr, 16)).second)
                        << groups[i].value;
                }
            }
            EXPECT_EQ(sections, version == 4 ? "HEADER TABLES BLOCKS ENTITIES "
                                             : "HEADER CLASSES TABLES BLOCKS ENTITIES OBJECTS ");
            EXPECT_EQ(groups.back(), (DxfGroup{0, "EOF"}));
            ASSERT_FALSE(handles.empty());
            EXPECT_LT(*handles.rbegin(), seed);
            EXPECT_GT(*handles.begin(), 0u);
            // From R13 on every handle below the seed is used once: tables,
            // records, blocks, objects and entities were numbered consecutively.
            EXPECT_EQ(version < 5 || handles.size() == seed - 1, true) << handles.size() << " below " << seed;
        }
    }
    const std::string r12 = slurp(readback_dir("drawing") + "sample-r12-p6.dxf");
    for (const char* absent : {"HATCH", "LWPOLYLINE", "AcDb", "\r\n100\r\n", "$PLINEGEN"})
        EXPECT_EQ(r12.find(absent), std::string::npos) << absent;
}

}  // namespace
}  // namespace penloom::testing
