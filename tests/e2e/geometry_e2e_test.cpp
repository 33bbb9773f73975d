// Whole runs over small plots of lines, arcs, circles, curves and encoded
// polylines: the DXF written at R12 and at 2000 is read back with a small
// group reader and its entities compared exactly (kind, vertices and
// bulges, closed flags, centres, radii, angles). Units, scaling, P1/P2,
// page size, frame advance, clipping and both rotations are covered. Every
// drawing is also copied, with its expectations, under $PENLOOM_E2E_DIR for
// the ezdxf read-back. A plot traced with /PARSE and its ".plx" trace
// translated again give the same entities.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "driver/context.h"
#include "driver/program.h"
#include "interpreter/drawn_entities.h"

namespace penloom {
namespace {

namespace fs = std::filesystem;
using testing::arc;
using testing::circle;
using testing::Drawn;
using testing::polyline;

std::string trim(const std::string& text) {
    auto first = text.find_first_not_of(" \r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \r") - first + 1);
}

// The line work of the ENTITIES section. VERTEX entities go into their
// POLYLINE; the POLYLINE's own point is not a vertex.
std::vector<Drawn> line_work_of(const std::string& dxf, std::map<std::string, int>& counts) {
    std::istringstream in(dxf);
    std::string code_text, value;
    std::vector<Drawn> out;
    bool inside = false;
    std::string previous, type;
    Drawn* current = nullptr;
    bool in_vertex = false;
    while (std::getline(in, code_text) && std::getline(in, value)) {
        const int code = std::atoi(trim(code_text).c_str());
        value = trim(value);
        if (code == 2 && previous == "SECTION") inside = value == "ENTITIES";
        previous = code == 0 ? value : "";
        if (!inside) continue;
        const double number = std::atof(value.c_str());
        if (code == 0) {
            type = value;
            in_vertex = type == "VERTEX";
            if (type == "LWPOLYLINE" || type == "POLYLINE" || type == "CIRCLE" || type == "ARC") {
                ++counts[type];
                out.push_back(Drawn{});
                current = &out.back();
                current->kind = type == "POLYLINE" ? "LWPOLYLINE" : type;
            } else if (!in_vertex) {
                current = nullptr;
            }
            if (in_vertex && current) current->vertices.push_back({});
            continue;
        }
        if (!current) continue;
        if (current->kind == "LWPOLYLINE") {
            const bool lightweight = type == "LWPOLYLINE";
            if (code == 70 && !in_vertex) current->closed = (std::atoi(value.c_str()) & 1) != 0;
            if (lightweight && code == 10) current->vertices.push_back({number, 0, 0});
            if ((lightweight || in_vertex) && !current->vertices.empty()) {
                if (in_vertex && code == 10) current->vertices.back().x = number;
                if (code == 20) current->vertices.back().y = number;
                if (code == 42) current->vertices.back().bulge = number;
            }
        } else {
            if (code == 10) current->cx = number;
            if (code == 20) current->cy = number;
            if (code == 40) current->radius = number;
            if (code == 50) current->start = number;
            if (code == 51) current->end = number;
        }
    }
    return out;
}

// Arc angles compare modulo 360.
bool same_line_work(const std::vector<Drawn>& got, std::vector<Drawn> expected) {
    if (got.size() != expected.size()) return false;
    for (std::size_t i = 0; i < got.size(); ++i) {
        Drawn& e = expected[i];
        if (e.kind == "ARC") {
            e.start += 360.0 * std::round((got[i].start - e.start) / 360.0);
            e.end += 360.0 * std::round((got[i].end - e.end) / 360.0);
        }
        if (!testing::same_geometry(got[i], e)) return false;
    }
    return true;
}

std::string describe(const std::vector<Drawn>& list) {
    std::ostringstream text;
    for (const Drawn& d : list) text << "\n   " << d;
    return text.str();
}

class GeometryRuns : public ::testing::Test {
protected:
    void SetUp() override {
        std::string base = (fs::temp_directory_path() / "penloom-geometry-XXXXXX").string();
        std::vector<char> buffer(base.begin(), base.end());
        buffer.push_back('\0');
        ASSERT_NE(mkdtemp(buffer.data()), nullptr);
        root_ = buffer.data();
        fs::create_directory(root_ + "/prog");
        const char* old = std::getenv("PENLOOM_HOME");
        if (old) old_home_ = old;
        setenv("PENLOOM_HOME", (root_ + "/prog").c_str(), 1);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
        if (old_home_)
            setenv("PENLOOM_HOME", old_home_->c_str(), 1);
        else
            unsetenv("PENLOOM_HOME");
    }

    static void write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Translates `input` (a path in the scratch folder) to name.dxf; returns
    // the DXF text, empty on failure.
    std::string translate(const std::string& input, const std::string& name, const std::string& ini,
                          const std::vector<std::string>& switches) {
        write(root_ + "/prog/penloom.ini", "[Settings]\nDecimalPlaces=12\n" + ini);
        std::vector<std::string> args{input, root_ + "/" + name + ".dxf"};
        args.insert(args.end(), switches.begin(), switches.end());
        Context ctx;
        const int status = run_program(ctx, args);
        EXPECT_EQ(status, 0) << ctx.out.text();
        return read(root_ + "/" + name + ".dxf");
    }

    // Keeps a copy with its expectations for the ezdxf read-back.
    static void keep_for_readback(const std::string& name, const std::string& dxf, bool r12,
                                  const std::map<std::string, int>& counts) {
        const char* dir = std::getenv("PENLOOM_E2E_DIR");
        if (!dir) return;
        fs::create_directories(dir);
        write(std::string(dir) + "/" + name + ".dxf", dxf);
        std::string json = "{\"acadver\": \"" + std::string(r12 ? "AC1009" : "AC1015") + "\", \"entities\": {";
        bool first = true;
        for (const auto& [type, count] : counts) {
            json += (first ? "\"" : ", \"") + type + "\": " + std::to_string(count);
            first = false;
        }
        write(std::string(dir) + "/" + name + ".expect.json", json + "}}\n");
    }

    std::string root_;
    std::optional<std::string> old_home_;
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

const double kS = std::sqrt(0.5);

TEST_F(GeometryRuns, PlotsBecomeTheseEntities) {
    const Plot plots[] = {
        {"square_mm", "", {}, "IN;SP1;PU0,0;PD4000,0,4000,4000,0,4000,0,0;PU;",
         {polyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true)}},
        {"square_inch", "OutputUnit=inch\n", {}, "IN;SP1;PU0,0;PD4000,0,4000,4000,0,4000,0,0;PU;",
         {polyline({{0, 0}, {100 / 25.4, 0}, {100 / 25.4, 100 / 25.4}, {0, 100 / 25.4}}, true)}},
        {"ro90", "", {}, "IN;RO90;SP1;PU0,0;PD1000,0,1000,500;PU;", {polyline({{0, 0}, {0, 25}, {-12.5, 25}})}},
        {"run_r90", "", {"/R=90"}, "IN;SP1;PU0,0;PD1000,0,1000,500;PU;",
         {polyline({{0, 0}, {0, 25}, {-12.5, 25}})}},
        {"run_r180", "", {"/R=180"}, "IN;SP1;PU0,0;PD1000,0,1000,500;PU;",
         {polyline({{0, 0}, {-25, 0}, {-25, -12.5}})}},
        {"run_r270", "", {"/R=270"}, "IN;SP1;PU0,0;PD1000,0,1000,500;PU;",
         {polyline({{0, 0}, {0, -25}, {12.5, -25}})}},
        {"sc_anisotropic", "", {}, "IN;SP1;IP0,0,4000,2000;SC0,100,0,100;PU0,0;PD100,100;PU;",
         {polyline({{0, 0}, {100, 50}})}},
        {"sc_isotropic", "", {}, "IN;SP1;IP0,0,4000,2000;SC0,100,0,100,1;PU0,0;PD100,100;PU;",
         {polyline({{0, 0}, {100, 100}})}},
        {"ir", "", {}, "IN;SP1;IR25,25,75,75;SC0,10,0,10;PU0,0;PD10,10;PU;",
         {polyline({{196.25, 140.3}, {588.75, 420.925}})}},
        {"ps", "", {}, "IN;PS10000;IP;SP1;SC0,1,0,1;PU0,0;PD1,1;PU;", {polyline({{0, 0}, {250, 166.65}})}},
        {"fr", "", {}, "IN;SP1;PS10000,20000;FR;PU0,10000;PD400,10000;PU;", {polyline({{0, 0}, {10, 0}})}},
        {"iw_pieces", "", {}, "IN;SP1;IW0,0,400,400;PU200,200;PD600,200,600,300,200,300,200,350;PU;",
         {polyline({{5, 5}, {10, 5}}), polyline({{10, 7.5}, {5, 7.5}, {5, 8.75}})}},
        {"iw_edges", "", {}, "IN;SP1;IW0,0,400,400;PU0,0;PD400,0,400,400,800,400;PU;",
         {polyline({{0, 0}, {10, 0}, {10, 10}})}},
        {"dots", "", {}, "IN;SP1;PU0,0;PD;PU;PU400,0;PD400,0;PU;", {dot(0, 0), dot(10, 0)}},
        {"arcs", "", {}, "IN;SP1;PU1000,0;PD;AA0,0,90;PU;PU1000,0;PD;AA0,0,-90;PU;PU1000,0;PD;AA0,0,720;PU;",
         {dot(25, 0), arc(0, 0, 25, 0, 90), dot(0, 25), dot(25, 0), arc(0, 0, 25, -90, 0), dot(0, -25),
          dot(25, 0), circle(0, 0, 25), dot(25, 0)}},
        {"arc_45", "", {}, "IN;SP1;PU0,-1000;PD;AA0,0,45;PU;",
         {dot(0, -25), arc(0, 0, 25, -90, -45), dot(25 * kS, -25 * kS)}},
        {"three_point", "", {}, "IN;SP1;PD400,0;AT800,0,1200,0;PU;PU0,0;PD400,0;AT800,0,400,0;PU;",
         {polyline({{0, 0}, {10, 0}}), polyline({{10, 0}, {30, 0}}), polyline({{0, 0}, {10, 0}}), dot(10, 0)}},
        {"three_point_arc", "", {}, "IN;SP1;PU1000,0;PD;AT0,-1000,-1000,0;PU;",
         {dot(25, 0), arc(0, 0, 25, -180, 0), dot(-25, 0)}},
        {"circle_pen_up", "", {}, "IN;SP1;PU400,400;CI40;", {circle(10, 10, 1)}},
        {"bezier", "", {}, "IN;SP1;PU0,0;PD;BR0,0,0,0,5,5;PU;", small_bezier()},
        {"pe_7bit", "", {}, "IN;SP1;PE7<=__A_A_;", {polyline({{0, 0}, {0.025, 0.025}})}},
        {"pe_8bit_fraction", "", {}, "IN;SP1;PE>\xC3<=\xBF\xBFO\xDEh\xCE;", {polyline({{0, 0}, {6.25, -3.125}})}},
        {"polyline_widths", "UsePolylineWidths=1\n", {}, "IN;SP1;PU1000,0;PD;AA0,0,90;PU;PU400,0;CI10;",
         {polyline({{25, 0, std::tan(M_PI / 8)}, {0, 25}}), polyline({{10.25, 0, 1}, {9.75, 0, 1}}, true)}},
    };
    for (const Plot& plot : plots) {
        for (bool r12 : {true, false}) {
            const std::string name = std::string("geometry_") + plot.name + (r12 ? "_r12" : "_2000");
            SCOPED_TRACE(name);
            const std::string input = root_ + "/" + name + ".plt";
            write(input, plot.plot);
            std::vector<std::string> switches = plot.switches;
            switches.push_back(r12 ? "/12" : "/2000");
            const std::string dxf = translate(input, name, plot.ini, switches);
            ASSERT_FALSE(dxf.empty());
            std::map<std::string, int> counts;
            const std::vector<Drawn> got = line_work_of(dxf, counts);
            EXPECT_TRUE(same_line_work(got, plot.expected))
                << "got:" << describe(got) << "\nexpected:" << describe(plot.expected);
            EXPECT_EQ(counts.count(r12 ? "LWPOLYLINE" : "POLYLINE"), 0u);
            keep_for_readback(name, dxf, r12, counts);
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
        const std::string input = root_ + "/" + name + ".plt";
        write(input, plot);
        const std::string direct = translate(input, name, "", {"/PARSE", "/2000"});
        const std::string trace = read(root_ + "/" + name + ".plx");
        ASSERT_NE(trace.find("PE-START\nPD"), std::string::npos) << trace;
        const std::string replayed = translate(root_ + "/" + name + ".plx", name + "_replayed", "", {"/2000"});
        std::map<std::string, int> counts, replay_counts;
        const auto first = line_work_of(direct, counts);
        const auto second = line_work_of(replayed, replay_counts);
        EXPECT_FALSE(first.empty());
        EXPECT_TRUE(same_line_work(second, first)) << "direct:" << describe(first) << "\nreplayed:" << describe(second)
                                                   << "\ntrace:\n" << trace;
        keep_for_readback(name, direct, false, counts);
        keep_for_readback(name + "_replayed", replayed, false, replay_counts);
    }
}

}  // namespace
}  // namespace penloom
