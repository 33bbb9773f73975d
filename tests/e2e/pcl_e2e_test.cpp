// Whole runs over PCL and HP-RTL jobs built byte by byte: PJL headers,
// raster and font data whose payloads look like escape sequences and
// HP-GL, HP-GL/2 entered and left in the middle, form feeds as page ends,
// and jobs cut short. Every drawing written is also copied, with its
// expectations, under $PENLOOM_E2E_DIR for the ezdxf read-back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/program_run.h"

namespace penloom::testing {
namespace {

using namespace std::string_literals;

const std::string ESC = "\x1b";
const std::string kPjlHeader = ESC + "%-12345X@PJL JOB\r\n";
// A raster row whose payload holds ESC%1B and HP-GL: never interpreted.
const std::string kRasterRow = ESC + "*b12W" + "\x1b%1BPD0,0;\x00\xff"s;

class PclJob : public ProgramTest {
protected:
    int run(const std::string& plot) { return run_plot(plot).status; }

    // Keeps each drawing for the read-back as R12 with the given further
    // expectations (JSON members).
    void keep(const std::string& label, const std::string& expect) const {
        keep_drawings("pcl_" + label, "\"acadver\": \"AC1009\"" + expect);
    }
};

TEST_F(PclJob, HpRtlJobReentersHpglAtTheCursor) {
    // PJL switches to HP-RTL; raster data, a cursor move, then HP-GL/2 at
    // the cursor: one inch right, two inches down from the top-left corner.
    const std::string plot = kPjlHeader + "@PJL ENTER LANGUAGE=HPRTL\r\n" + ESC + "E" + ESC +
                             "*r1A" + kRasterRow + ESC + "*rC" + ESC + "*p300x600Y" + ESC +
                             "%1BSP1;PR;PD1000,0;PU;";
    ASSERT_EQ(run(plot), 0) << last.out.text();
    EXPECT_EQ(drawings(), std::vector<std::string>{"A.DXF"});
    // The line starts at the cursor: (25.4, 510.45) millimetres.
    keep("hprtl", ", \"entities\": {\"POLYLINE\": 1}, \"header\": "
                  "{\"$EXTMIN\": [25.4, 510.45, 0], \"$EXTMAX\": [50.4, 510.45, 0]}");
}

TEST_F(PclJob, PjlPclJobWithHpglInside) {
    // PJL enters PCL: skipped to ESC%1B; inside HP-GL the PCL switch ESC%0A
    // is no switch in such a job, and its data runs to the next ESC.
    const std::string plot = kPjlHeader + "@PJL ENTER LANGUAGE = PCL\r\n" + ESC + "E" + ESC +
                             "&l1o2A" + ESC + "%1BIN;SP1;PA0,0;PD400,400;PU;" + ESC + "%0A" + ESC +
                             "*p10X" + ESC + "%0BPA0,0;" + ESC + "%-12345X@PJL EOJ\r\n";
    ASSERT_EQ(run(plot), 0) << last.out.text();
    EXPECT_EQ(drawings(), std::vector<std::string>{"A.DXF"});
    keep("pjl_pcl", ", \"entities\": {\"POLYLINE\": 1}");
}

TEST_F(PclJob, FormFeedEndsThePageWhenSomethingWasDrawn) {
    // HP-GL/2 draws, PCL's form feed ends the page, and the second page is
    // drawn after more raster data. Padding keeps the form feed away from
    // the end of the file.
    const std::string page = "IN;SP1;PA0,0;PD1000,1000;PU;";
    const std::string plot = "IN;" + ESC + "%0A" + ESC + "%1B" + page + ESC + "%0A\f" + kRasterRow +
                             ESC + "%1B" + page + std::string(300, ';');
    ASSERT_EQ(run(plot), 0) << last.out.text();
    EXPECT_EQ(drawings(), (std::vector<std::string>{"A-2.DXF", "A.DXF"}));
    keep("form_feed", ", \"entities\": {\"POLYLINE\": 1}");
}

// Each job ends with the input in one drawing, nothing left hanging.
TEST_F(PclJob, JobsCutShortEndCleanly) {
    const std::string cases[] = {
        "IN;" + ESC + "%0A" + ESC + "*b999999999W" + "\x1b%1BPD;"s,  // a count past the end
        "IN;PA0,0;" + ESC + "%0A" + ESC + "(s12",                   // a sequence cut by the end
        "IN;" + ESC + "%0A" + ESC + "*b40000V" + std::string(40, 'x'),  // a plane count above its limit
        "IN;" + ESC + "%0A" + ESC + "*c59E;;;" + ESC + "%0BPA0,0;",     // stop characters
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(run(cases[i]), 0) << last.out.text();
        EXPECT_EQ(drawings(), std::vector<std::string>{"A.DXF"});
        keep("cut_" + std::to_string(i), ", \"entities\": {}");
    }
}

}  // namespace
}  // namespace penloom::testing
