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

class FuzzRegressions : public ProgramTest {};

// The generated hatch's line angle takes off the run rotation, and the
// RotateC setting is stored unchecked: at the ends of the int range the
// difference overflowed int (a sanitizer report, and a wrapped angle).
TEST_F(FuzzRegressions, HatchAngleWithExtremeRotateC) {
    struct Row {
        const char* name;
        const char* rotate_c;
        double line_angle;  // degrees, group 53 of the HATCH
    };
    const Row rows[] = {
        // 45 + (0 - -2147483648) = 2147483693, above 360: minus 360 once.
        {"lowest int", "-2147483648", 2147483333.0},
        // 45 + (0 - 2147483647) = -2147483602, below -360: plus 360 once.
        {"highest int", "2147483647", -2147483242.0},
        {"ordinary", "0", 45.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RunResult result = run_plot("IN;FT3,50,45;RA1000,1000;", {"/2000"},
                                    std::string("[Settings]\nRotateC=") + row.rotate_c + "\n");
        ASSERT_EQ(result.status, 0) << result.text;
        ASSERT_EQ(drawings(), std::vector<std::string>{"A.DXF"});
        std::vector<std::string> angles;
        for (const DxfRecord& record : dxf_section(read_file("A.DXF"), "ENTITIES"))
            if (record.type == "HATCH")
                for (const std::string& value : record.values(53)) angles.push_back(value);
        ASSERT_EQ(angles.size(), 1u);
        EXPECT_NEAR(std::strtod(angles[0].c_str(), nullptr), row.line_angle, 1e-4);
        keep_drawings(std::string("rotate_c_") + row.rotate_c, R"("entities_include": {"HATCH": 1})");
    }
}

}  // namespace
}  // namespace penloom::testing
