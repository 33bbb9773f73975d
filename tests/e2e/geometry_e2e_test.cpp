// Whole runs over lines, arcs, circles, curves and encoded polylines at R12 and 2000, the entities compared
// exactly (vertices, bulges, closed flags, centres, radii, angles): units, scaling, P1/P2, page size, both
// rotations, and the /PARSE trace translated again.
#include <algorithm>

#include "e2e/e2e_support.h"

namespace penloom::testing {
namespace {

// Arc angles compare modulo 360.
::testing::AssertionResult same_line_work(const std::vector<Drawn>& got, std::vector<Drawn> expected) {
    for (std::size_t i = 0; i < std::min(got.size(), expected.size()); ++i) {
        if (expected[i].kind != "ARC") continue;
        expected[i].start += 360.0 * std::round((got[i].start - expected[i].start) / 360.0);
        expected[i].end += 360.0 * std::round((got[i].end - expected[i].end) / 360.0);
    }
    return same_entities(got, expected);
}

class GeometryRuns : public ProgramTest {
protected:
    // Translates `input` in the scratch folder to name.dxf, keeps it for the
    // read-back and returns its line work.
    std::vector<Drawn> translate(const std::string& input, const std::string& name, const std::string& ini,
                                 std::vector<std::string> switches) {
        write_settings("[Settings]\nDecimalPlaces=12\n" + ini);
        std::erase(switches, "");
        switches.insert(switches.begin(), {input, path(name + ".dxf")});
        const RunResult r = run(switches);
        EXPECT_EQ(r.status, 0) << r.text;
        const auto counts = keep_counted(path(name + ".dxf"), name, switches.back());
        EXPECT_EQ(counts.count(switches.back() == "/12" ? "LWPOLYLINE" : "POLYLINE"), 0u);
        std::map<std::string, int> ignored;
        return line_work_of(read_file(name + ".dxf"), ignored);
    }
};

Drawn dot(double x, double y) { return polyline({{x, y}, {x + 0.0125, y}}); }

TEST_F(GeometryRuns, PlotsBecomeTheseEntities) {
    const std::string square = "IN;SP1;PU0,0;PD4000,0,4000,4000,0,4000,0,0;PU;";
    const std::string bend = "SP1;PU0,0;PD1000,0,1000,500;PU;";
    const double inch = 100 / 25.4;
    const struct { const char* name; std::string ini, run_switch, plot; std::vector<Drawn> expected; }
    plots[] = {
        {"square_mm", "", "", square, {polyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true)}},
        {"square_inch", "OutputUnit=inch\n", "", square,
         {polyline({{0, 0}, {inch, 0}, {inch, inch}, {0, inch}}, true)}},
        {"ro90", "", "", "IN;RO90;" + bend, {polyline({{0, 0}, {0, 25}, {-12.5, 25}})}},
        {"run_r90", "", "/R=90", "IN;" + bend, {polyline({{0, 0}, {0, 25}, {-12.5, 25}})}},
        {"sc_anisotropic", "", "", "IN;SP1;IP0,0,4000,2000;SC0,100,0,100;PU0,0;PD100,100;PU;",
         {polyline({{0, 0}, {100, 50}})}},
        {"ir", "", "", "IN;SP1;IR25,25,75,75;SC0,10,0,10;PU0,0;PD10,10;PU;",
         {polyline({{196.25, 140.3}, {588.75, 420.925}})}},
        {"ps", "", "", "IN;PS10000;IP;SP1;SC0,1,0,1;PU0,0;PD1,1;PU;", {polyline({{0, 0}, {250, 166.65}})}},
        {"arcs", "", "", "IN;SP1;PU1000,0;PD;AA0,0,90;PU1000,0;PD;AA0,0,-90;PU1000,0;PD;AA0,0,720;PU;",
         {dot(25, 0), arc(0, 0, 25, 0, 90), dot(0, 25), dot(25, 0), arc(0, 0, 25, -90, 0), dot(0, -25),
          dot(25, 0), circle(0, 0, 25), dot(25, 0)}},
        {"three_point_arc", "", "", "IN;SP1;PU1000,0;PD;AT0,-1000,-1000,0;PU;",
         {dot(25, 0), arc(0, 0, 25, -180, 0), dot(-25, 0)}},
        {"bezier", "", "", "IN;SP1;PU0,0;PD;BR0,0,0,0,5,5;PU;",  // 0.125 (i/5)^3
         {polyline({{0, 0}, {0, 0}, {0.001, 0.001}, {0.008, 0.008}, {0.027, 0.027}, {0.064, 0.064},
                    {0.125, 0.125}})}},
        // A width change with the pen down splits the path where it changes.
        {"pen_width_split", "", "", "SP1;PA0,0;PD100,0;PW0.7;PD200,0;PU;",
         {polyline({{0, 0}, {2.5, 0}}), polyline({{2.5, 0}, {5, 0}})}},
        {"pe_8bit_fraction", "", "", "IN;SP1;PE>\xC3<=\xBF\xBFO\xDEh\xCE;",
         {polyline({{0, 0}, {6.25, -3.125}})}},
        {"polyline_widths", "UsePolylineWidths=1\n", "", "IN;SP1;PU1000,0;PD;AA0,0,90;PU;PU400,0;CI10;",
         {polyline({{25, 0, std::tan(M_PI / 8)}, {0, 25}}), polyline({{10.25, 0, 1}, {9.75, 0, 1}}, true)}},
    };
    for (const auto& plot : plots) {
        for (const char* release : {"/12", "/2000"}) {
            const std::string name = std::string("geometry_") + plot.name + "_" + (release + 1);
            SCOPED_TRACE(name);
            write_file(name + ".plt", plot.plot);
            const auto got = translate(path(name + ".plt"), name, plot.ini, {plot.run_switch, release});
            EXPECT_TRUE(same_line_work(got, plot.expected));
        }
    }
}

TEST_F(GeometryRuns, TraceReplaysToTheSameEntities) {
    const std::string plots[] = {
        "IN;SP1;PU0,0;PD400,0;PE<=\xBF\xBFO\xDEh\xCE=\xBF\xBF;PU;",
        "IN;SP1;PA0,0;PD;PE7>a=__eb<A_A_;PU;PA400,400;PD800,400;PU;",
    };
    for (int i = 0; i < 2; ++i) {
        const std::string name = "geometry_trace_" + std::to_string(i + 1);
        SCOPED_TRACE(name);
        write_file(name + ".plt", plots[i]);
        const std::vector<Drawn> direct = translate(path(name + ".plt"), name, "", {"/PARSE", "/2000"});
        const std::string trace = read_file(name + ".plx");
        ASSERT_NE(trace.find("PE-START\nPD"), std::string::npos) << trace;
        EXPECT_FALSE(direct.empty());
        EXPECT_TRUE(same_line_work(translate(path(name + ".plx"), name + "_replayed", "", {"/2000"}), direct))
            << "trace:\n" << trace;
    }
}

}  // namespace
}  // namespace penloom::testing
