// Regression tests for faults the fuzz targets (fuzz/) found: each row is
// the smallest input that showed the fault, run through the whole program,
// with the exact result the fixed program gives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/dxf_text.h"
#include "support/program_run.h"

namespace penloom::testing {
namespace {

using FuzzRegressions = ProgramTest;

// The generated hatch's line angle takes off the run rotation, and the
// RotateC setting is stored unchecked: at the ends of the int range the
// difference overflowed int (a sanitizer report, and a wrapped angle).
TEST_F(FuzzRegressions, HatchAngleWithExtremeRotateC) {
    const std::pair<std::string, double> rows[] = {  // RotateC, the HATCH's line angle (group 53)
        {"-2147483648", 2147483333.0},  // 45 + (0 - -2147483648) = 2147483693, above 360: minus 360 once
        {"2147483647", -2147483242.0},  // 45 + (0 - 2147483647) = -2147483602, below -360: plus 360 once
        {"0", 45.0},
    };
    for (const auto& [rotate_c, angle] : rows) {
        SCOPED_TRACE(rotate_c);
        const RunResult r = run_plot("IN;FT3,50,45;RA1000,1000;", {"/2000"},
                                     "[Settings]\nRotateC=" + rotate_c);
        ASSERT_EQ(r.status, 0) << r.text;
        const std::vector<std::string> angles = values_of(dxf_groups(read_file("A.DXF")), "HATCH", 53);
        ASSERT_EQ(angles.size(), 1u);
        EXPECT_NEAR(std::strtod(angles[0].c_str(), nullptr), angle, 1e-4);
        keep_drawings("rotate_c_" + rotate_c, R"("entities_include": {"HATCH": 1})");
    }
}

}  // namespace
}  // namespace penloom::testing
