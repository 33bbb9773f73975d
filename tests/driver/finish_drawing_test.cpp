// Finishing a drawing: the stored dates, the viewport fit with its
// fallbacks, and the header an empty plot gets at every release, read back
// from the file the program wrote.
#include <cstdlib>
#include <ctime>

#include "construction/drawing_header.h"
#include "driver_fixture.h"
#include "support/dxf_text.h"

namespace penloom::testing {
namespace {

TEST(JulianDate, CalendarDatesAndTimes) {
    const struct { int day, month, year, hour, minute, second; std::int32_t julian, milliseconds; } rows[] = {
        {1, 1, 2000, 12, 0, 0, 2451545, 43200000}, {1, 3, 2000, 0, 0, 0, 2451605, 0},  // after a leap day
        {28, 2, 1900, 0, 0, 1, 2415079, 1000},     {0, 0, 0, 0, 0, 0, 0, 0},           // no date at all
    };
    for (const auto& r : rows) {
        const JulianDate d = julian_date(r.day, r.month, r.year, r.hour, r.minute, r.second);
        EXPECT_EQ(std::to_string(d.day) + " " + std::to_string(d.milliseconds),
                  std::to_string(r.julian) + " " + std::to_string(r.milliseconds));
    }
}

TEST(FitView, AspectAndHeightFallbacks) {
    const struct { double width, height, present; double aspect, view_height; } rows[] = {
        {400, 300, 297, 400.0 / 300.0, 300},  {1000, 50, 297, 0.688564, 50},  // too wide: the default aspect
        {100, 10, 297, 10, 10},                // ratio 10 is still taken
        {100, 0, 297, 0.688564, 68.8564},     // a horizontal line
        {0, 0, -297, 0.688564, 297},          // a single point takes the viewport's own height,
        {0, 0, 0.2, 0.688564, 0.5},           // and at least half a unit
        {5, 0.005, 297, 0.688564, 0.005},     // flat drawings below 0.01 keep the default aspect
    };
    for (const auto& row : rows) {
        const ViewFit fit = fit_view(row.width, row.height, row.present);
        EXPECT_NEAR(fit.aspect, row.aspect, 1e-12) << row.width << " x " << row.height;
        EXPECT_NEAR(fit.height, row.view_height, 1e-9) << row.width << " x " << row.height;
    }
}

// An empty plot still gives a complete drawing at every release, dated now
// (the code page of each release: the sample drawing's tests).
TEST_F(DriverTest, EmptyPlotCarriesTheFinishedHeaderAtEveryRelease) {
    write_file("EMPTY.PLT", "IN;SP1;PU;");
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const JulianDate today = julian_date(local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour,
                                         local.tm_min, local.tm_sec);
    // $HANDLING is missing from 2000 on.
    const struct { const char *release, *acadver; std::vector<std::string> handling; } rows[] = {
        {"/12", "AC1009", {"     0"}}, {"/13", "AC1012", {"     0"}}, {"/14", "AC1014", {"     1"}},
        {"/2000", "AC1015", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.release);
        const std::string out = std::string("E") + (row.release + 1) + ".DXF";
        RunResult r = run({"EMPTY.PLT", out, row.release});
        ASSERT_EQ(r.status, 0) << r.text;
        const DxfGroups header = dxf_groups(read_file(out));
        EXPECT_EQ(values_of(header, "$ACADVER", 1), std::vector<std::string>{row.acadver});
        EXPECT_EQ(values_of(header, "$HANDLING", 70), row.handling);
        // Created within a minute of now: Julian day plus the fraction of the day.
        EXPECT_NEAR(std::atof(values_of(header, "$TDCREATE", 40).at(0).c_str()),
                    today.day + today.milliseconds / 86400000.0, 1.0 / 1440);
        EXPECT_EQ(values_of(header, "$TDUPDATE", 40), values_of(header, "$TDCREATE", 40));
        const std::string sidecar = "\"acadver\": \"" + std::string(row.acadver) +
                                    "\", \"entities\": {}, \"appids_include\": [\"PENLOOM\"], "
                                    "\"header\": {\"$LTSCALE\": 1.0, \"$FILLMODE\": 1}";
        keep_for_readback(path(out), std::string("empty_plot_") + (row.release + 1), sidecar);
    }
}

}  // namespace
}  // namespace penloom::testing
