// Finishing a drawing: the stored dates, the viewport fit with its
// fallbacks, and the header an empty plot gets at every release, read back
// from the file the program wrote.
#include <cstdlib>
#include <ctime>

#include "construction/drawing_header.h"
#include "driver_fixture.h"

namespace penloom::testing {
namespace {

TEST(JulianDate, CalendarDatesAndTimes) {
    const struct { int day, month, year, hour, minute, second; std::int32_t julian, milliseconds; } rows[] = {
        {1, 1, 2000, 12, 0, 0, 2451545, 43200000},
        {1, 3, 2000, 0, 0, 0, 2451605, 0},   // the day after a leap day
        {28, 2, 1900, 0, 0, 1, 2415079, 1000},
        {0, 0, 0, 0, 0, 0, 0, 0},           // no date at all
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.julian);
        const JulianDate d = julian_date(row.day, row.month, row.year, row.hour, row.minute, row.second);
        EXPECT_EQ(d.day, row.julian);
        EXPECT_EQ(d.milliseconds, row.milliseconds);
    }
}

TEST(FitView, AspectAndHeightFallbacks) {
    const struct { const char* name; double width, height, present; double aspect, view_height; } rows[] = {
        {"landscape", 400, 300, 297, 400.0 / 300.0, 300},
        {"too wide keeps the default aspect", 1000, 50, 297, 0.688564, 50},
        {"ratio 10 is still taken", 100, 10, 297, 10, 10},
        {"a horizontal line", 100, 0, 297, 0.688564, 68.8564},
        {"a single point takes the viewport's own height", 0, 0, -297, 0.688564, 297},
        {"and at least half a unit", 0, 0, 0.2, 0.688564, 0.5},
        {"flat drawings below 0.01 keep the default aspect", 5, 0.005, 297, 0.688564, 0.005},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ViewFit fit = fit_view(row.width, row.height, row.present);
        EXPECT_NEAR(fit.aspect, row.aspect, 1e-12);
        EXPECT_NEAR(fit.height, row.view_height, 1e-9);
    }
}

// The value line that follows a header variable's name and group code.
std::string header_value(const std::string& dxf, const std::string& name, const std::string& code) {
    const std::string key = "  9\r\n" + name + "\r\n" + code + "\r\n";
    std::size_t at = dxf.find(key);
    if (at == std::string::npos) return "<missing>";
    at += key.size();
    return dxf.substr(at, dxf.find("\r\n", at) - at);
}

// An empty plot still gives a complete drawing at every release, dated now.
TEST_F(DriverTest, EmptyPlotCarriesTheFinishedHeaderAtEveryRelease) {
    write_file("EMPTY.PLT", "IN;SP1;PU;");
    // $HANDLING is missing from 2000 on; the code page is upper case from R14 on.
    const struct { const char *release, *acadver, *handling, *codepage; } rows[] = {
        {"/12", "AC1009", "     0", "ansi_1252"},
        {"/13", "AC1012", "     0", "ansi_1252"},
        {"/14", "AC1014", "     1", "ANSI_1252"},
        {"/2000", "AC1015", "<missing>", "ANSI_1252"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.release);
        const std::string out = std::string("E") + (row.release + 1) + ".DXF";
        RunResult r = run({"EMPTY.PLT", out, row.release});
        ASSERT_EQ(r.status, 0) << r.text;
        const std::string dxf = read_file(out);
        EXPECT_EQ(header_value(dxf, "$ACADVER", "  1"), row.acadver);
        EXPECT_EQ(header_value(dxf, "$HANDLING", " 70"), row.handling);
        EXPECT_EQ(header_value(dxf, "$DWGCODEPAGE", "  3"), row.codepage);
        // Created within a minute of now: Julian day plus the fraction of the day.
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        const JulianDate today = julian_date(local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour,
                                             local.tm_min, local.tm_sec);
        EXPECT_NEAR(std::atof(header_value(dxf, "$TDCREATE", " 40").c_str()),
                    today.day + today.milliseconds / 86400000.0, 1.0 / 1440);
        EXPECT_EQ(header_value(dxf, "$TDUPDATE", " 40"), header_value(dxf, "$TDCREATE", " 40"));
        keep_for_readback(path(out), std::string("empty_plot_") + (row.release + 1),
                          "\"acadver\": \"" + std::string(row.acadver) + "\", \"entities\": {}, "
                          "\"appids_include\": [\"PENLOOM\"], \"header\": {\"$LTSCALE\": 1.0, \"$FILLMODE\": 1}");
    }
}

}  // namespace
}  // namespace penloom::testing
