// Whole runs over what real plot files do and a literal reading of the plotter rules would lose:
// fills edged after FP (PCB plotters), circles and arcs under anisotropic scaling (ellipses), plots of
// dots alone (extents), a page end followed by white space, and comments without quotes.
#include <cmath>
#include <numbers>

#include "e2e/e2e_support.h"
#include "e2e/fill_support.h"

namespace penloom::testing {
namespace {

constexpr double kPi = std::numbers::pi;

class RealPlots : public ProgramTest {
protected:
    // Translates `plot` to name.dxf at `release` with 12 decimal places, keeps it for the read-back
    // (with `members`) and returns its text.
    std::string translate(const std::string& name, const std::string& plot, const std::string& release,
                          const std::string& members = "") {
        write_settings("[Settings]\nDecimalPlaces=12\n");
        write_file(name + ".plt", plot);
        const RunResult r = run({path(name + ".plt"), path(name + ".dxf"), release});
        EXPECT_EQ(r.status, 0) << r.text;
        keep_counted(path(name + ".dxf"), "real_" + name, release, members);
        return read_file(name + ".dxf");
    }
};

double number(const DxfRecord& r, int code) { return std::strtod(r.value(code).c_str(), nullptr); }

std::vector<DxfRecord> records_of(const std::string& dxf, const std::string& type) {
    std::vector<DxfRecord> out;
    for (const DxfRecord& r : dxf_entities(dxf))
        if (r.type == type) out.push_back(r);
    return out;
}

std::map<std::string, int> type_counts(const std::string& dxf) {
    std::map<std::string, int> counts;
    for (const DxfRecord& r : dxf_entities(dxf))
        if (r.type != "VERTEX" && r.type != "SEQEND") ++counts[r.type];
    return counts;
}

// ---- FP;EP ----

// A pad as KiCad's plotter writes it: the polygon (or a circle in polygon mode), filled, then edged.
std::string kicad_board(int pads) {
    std::string plot = "IN;\nVS3;\nPU;PA;SP1;\n";
    for (int i = 0; i < pads; ++i) {
        const int x = 1000 + 600 * (i % 10), y = 1000 + 600 * (i / 10);
        if (i % 3 == 0) {
            plot += "PU " + std::to_string(x) + ", " + std::to_string(y) + ";\nPM 0;\nCI 150.000;\nPM 2; FP; EP;\n";
            continue;
        }
        plot += "PU " + std::to_string(x) + ", " + std::to_string(y) + ";\nPM 0;\n";
        plot += "PD " + std::to_string(x + 300) + ", " + std::to_string(y) + ";\n";
        plot += "PD " + std::to_string(x + 300) + ", " + std::to_string(y + 200) + ";\n";
        plot += "PD " + std::to_string(x) + ", " + std::to_string(y + 200) + ";\n";
        plot += "PD " + std::to_string(x) + ", " + std::to_string(y) + ";\nPM 2; FP; EP;\n";
    }
    return plot + "PU;\nSP0;\n";
}

TEST_F(RealPlots, FillsEdgedAfterTheirFillKeepTheFill) {
    const std::string square = "SP1;PA0,0;PM0;PD400,0,400,400,0,400;PM2;";
    const std::string outline = "LWPOLYLINE closed 0,0 10,0 10,10 0,10";
    const struct { const char* name; std::string plot; std::vector<std::string> want; } rows[] = {
        {"solid", square + "FP;EP;",
         {"HATCH SOLID solid=1 | path 2: 0,0 10,0 10,10 0,10 | type=0 | colour=7", outline}},
        {"shaded", "FT10,30;" + square + "FP;EP;",
         {"HATCH SOLID solid=1 | path 2: 0,0 10,0 10,10 0,10 | type=0 | colour=7", outline}},
        {"hatched", "FT3,100,45;" + square + "FP;EP;",
         {"HATCH HP0_2_50000004_3_45 solid=0 | path 2: 0,0 10,0 10,10 0,10 | type=0 | line 45; 0,0; -1.767766953,1.767766953"
          " | colour=7",
          outline}},
        // Only the polygon an FP asked for is filled; the next one is edged alone.
        {"edge_without_fp", square + "FP;PU;PA800,0;PM0;PD1200,0,1200,400,800,400;PM2;EP;",
         {"HATCH SOLID solid=1 | path 2: 0,0 10,0 10,10 0,10 | type=0 | colour=7", outline,
          "LWPOLYLINE closed 20,0 30,0 30,10 20,10"}},
        {"ep_then_fp_still_defers", square + "EP;FP;",
         {"HATCH SOLID solid=1 | path 2: 0,0 10,0 10,10 0,10 | type=0 | colour=7"}},
        {"ep_alone_only_edges", square + "EP;", {outline}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(summarise_entities(translate(std::string("fp_ep_") + row.name, "IN;" + row.plot, "/2000")),
                  row.want);
    }

    // 50 pads and tracks: every one filled (HATCH) and edged (LWPOLYLINE or CIRCLE), fill first.
    const std::string dxf = translate("kicad_board", kicad_board(50), "/2000");
    EXPECT_EQ(type_counts(dxf), (std::map<std::string, int>{{"CIRCLE", 17}, {"HATCH", 50}, {"LWPOLYLINE", 33}}));
    std::string order;
    for (const DxfRecord& r : dxf_entities(dxf)) order += r.type == "HATCH" ? 'H' : 'E';
    std::string alternating;
    for (int i = 0; i < 50; ++i) alternating += "HE";
    EXPECT_EQ(order, alternating);
}

// ---- Anisotropic scaling ----

// SC0,100,0,50 on the default P1/P2 (31400 x 22450 plotter units): a user unit is 7.85 mm wide and
// 11.225 mm high.
constexpr double kUx = 7.85, kUy = 11.225;
const std::string kAnisotropic = "IN;SP1;SC0,100,0,50;";

struct Ellipse {
    double cx, cy, mx, my, ratio, start, end;
};

Ellipse ellipse_of(const DxfRecord& r) {
    return {number(r, 10), number(r, 20), number(r, 11), number(r, 21), number(r, 40), number(r, 41), number(r, 42)};
}

// The ellipse's point at parameter t: the minor axis is the major turned a quarter counter-clockwise.
std::pair<double, double> point_at(const Ellipse& e, double t) {
    return {e.cx + std::cos(t) * e.mx - std::sin(t) * e.ratio * e.my,
            e.cy + std::cos(t) * e.my + std::sin(t) * e.ratio * e.mx};
}

// Distance from p to the segment a-b.
double to_segment(std::pair<double, double> p, std::pair<double, double> a, std::pair<double, double> b) {
    const double dx = b.first - a.first, dy = b.second - a.second, l2 = dx * dx + dy * dy;
    double t = l2 > 0 ? ((p.first - a.first) * dx + (p.second - a.second) * dy) / l2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.first - a.first - t * dx, p.second - a.second - t * dy);
}

TEST_F(RealPlots, CirclesUnderAnisotropicScalingAreEllipses) {
    // CI at (50,25); AA about (10,20) from (10,10) through 90 degrees; EW's whole circle at (80,40);
    // the same arc mirrored (x from 100 down to 0) and turned by RO90.
    const std::string plot = kAnisotropic + "PA50,25;CI10;PA10,10;PD;AA10,20,90;PU;PA80,40;EW10,0,360;" +
                             "SC100,0,0,50;PA10,10;PD;AA10,20,90;PU;";
    const std::string dxf = translate("ellipses", plot, "/2000");
    EXPECT_EQ(type_counts(dxf).count("CIRCLE") + type_counts(dxf).count("ARC"), 0u);
    const std::vector<DxfRecord> found = records_of(dxf, "ELLIPSE");
    ASSERT_EQ(found.size(), 4u);
    const double ratio = kUx / kUy;
    const struct { const char* name; double cx, cy, start, end; std::pair<double, double> from, to; } want[] = {
        {"CI", 50 * kUx, 25 * kUy, 0, 2 * kPi, {50 * kUx, 35 * kUy}, {50 * kUx, 35 * kUy}},
        {"AA", 10 * kUx, 20 * kUy, kPi, 1.5 * kPi, {10 * kUx, 10 * kUy}, {20 * kUx, 20 * kUy}},
        {"EW", 80 * kUx, 40 * kUy, 0, 2 * kPi, {80 * kUx, 50 * kUy}, {80 * kUx, 50 * kUy}},
        // Mirrored: the drawn arc turns clockwise, so the ellipse runs from its end to its start.
        {"AA mirrored", 90 * kUx, 20 * kUy, 0.5 * kPi, kPi, {80 * kUx, 20 * kUy}, {90 * kUx, 10 * kUy}},
    };
    for (std::size_t i = 0; i < found.size(); ++i) {
        SCOPED_TRACE(want[i].name);
        const Ellipse e = ellipse_of(found[i]);
        EXPECT_NEAR(e.cx, want[i].cx, 1e-9);
        EXPECT_NEAR(e.cy, want[i].cy, 1e-9);
        EXPECT_NEAR(e.mx, 0.0, 1e-9);
        EXPECT_NEAR(e.my, 10 * kUy, 1e-9);
        EXPECT_NEAR(e.ratio, ratio, 1e-12);
        EXPECT_NEAR(e.start, want[i].start, 1e-12);
        EXPECT_NEAR(e.end, want[i].end, 1e-12);
        EXPECT_NEAR(point_at(e, e.start).first, want[i].from.first, 1e-9);
        EXPECT_NEAR(point_at(e, e.start).second, want[i].from.second, 1e-9);
        EXPECT_NEAR(point_at(e, e.end).first, want[i].to.first, 1e-9);
        EXPECT_NEAR(point_at(e, e.end).second, want[i].to.second, 1e-9);
    }

    // A filled wedge: its boundary's arc points lie on the ellipse, from angle 0 to 90 degrees.
    const std::string wedge = translate("ellipse_wedge", kAnisotropic + "PA80,40;WG10,0,90;", "/2000");
    const std::vector<DxfRecord> hatches = records_of(wedge, "HATCH");
    ASSERT_EQ(hatches.size(), 1u);
    const std::vector<std::string> xs = hatches[0].values(10), ys = hatches[0].values(20);
    ASSERT_GT(xs.size(), 10u);
    // 10 groups: the elevation point, the centre, the arc's points, the seed point.
    EXPECT_EQ(xs[1], "628.0");
    for (std::size_t k = 2; k + 1 < xs.size(); ++k) {
        const double u = (std::stod(xs[k]) - 80 * kUx) / (10 * kUx), v = (std::stod(ys[k]) - 40 * kUy) / (10 * kUy);
        ASSERT_NEAR(u * u + v * v, 1.0, 1e-9) << k;
    }
    EXPECT_NEAR(std::stod(xs[2]), 90 * kUx, 1e-9);
    EXPECT_NEAR(std::stod(ys[xs.size() - 2]), 50 * kUy, 1e-9);

    // Isotropic scaling keeps true circles and arcs.
    const std::string round = translate("isotropic", "IN;SP1;SC0,100,0,100,1;PA50,25;CI10;", "/2000");
    EXPECT_EQ(type_counts(round), (std::map<std::string, int>{{"CIRCLE", 1}}));
}

TEST_F(RealPlots, AnisotropicCirclesAtR12AreFineChords) {
    // Radii of 10 and 1000 user units: the larger would need more than 2048 chords for 0.01.
    const std::string dxf = translate("ellipse_r12", kAnisotropic + "PA50,25;CI10;CI1000;", "/12");
    std::vector<std::vector<std::pair<double, double>>> polylines;
    for (const DxfRecord& r : dxf_entities(dxf)) {
        if (r.type == "POLYLINE") polylines.emplace_back();
        if (r.type == "VERTEX") polylines.back().emplace_back(number(r, 10), number(r, 20));
    }
    ASSERT_EQ(polylines.size(), 2u);
    const double radii[] = {10, 1000};
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(radii[i]);
        const auto& points = polylines[i];
        EXPECT_LE(points.size(), 2048u);
        const Ellipse e{50 * kUx, 25 * kUy, radii[i] * kUx, 0, kUy / kUx, 0, 2 * kPi};
        double worst = 0.0, off = 0.0;
        for (std::size_t k = 0; k < points.size(); ++k) {
            const auto a = points[k], b = points[(k + 1) % points.size()];
            const double ta = std::atan2((a.second - e.cy) / (kUy * radii[i]), (a.first - e.cx) / (kUx * radii[i]));
            double tb = std::atan2((b.second - e.cy) / (kUy * radii[i]), (b.first - e.cx) / (kUx * radii[i]));
            if (tb < ta) tb += 2 * kPi;
            off = std::max(off, std::fabs(std::hypot((a.first - e.cx) / (kUx * radii[i]),
                                                     (a.second - e.cy) / (kUy * radii[i])) - 1.0));
            for (int s = 1; s < 8; ++s) worst = std::max(worst, to_segment(point_at(e, ta + (tb - ta) * s / 8), a, b));
        }
        EXPECT_LT(off, 1e-9);
        if (radii[i] == 10) {
            EXPECT_LE(worst, 0.01);
        } else {
            EXPECT_EQ(points.size(), 2048u);  // the cap wins over the chord error
        }
    }
}

// ---- Extents, page ends, comments ----

TEST_F(RealPlots, DotsAloneHaveExtents) {
    const std::string dxf = translate("dots", "IN;SP1;PA400,400;PD;PU;PA800,800;PD800,800;PU;", "/2000",
                                      R"(, "header": {"$EXTMIN": [10, 10, 0], "$EXTMAX": [20.0125, 20, 0]})");
    EXPECT_EQ(values_of(dxf_groups(dxf), "$EXTMIN", 10), std::vector<std::string>{"10.0"});
    EXPECT_EQ(values_of(dxf_groups(dxf), "$EXTMAX", 10), std::vector<std::string>{"20.0125"});
    EXPECT_EQ(values_of(dxf_groups(dxf), "$EXTMAX", 20), std::vector<std::string>{"20.0"});

    // A symbol-mode dot is a small filled circle: the extents are its box.
    const std::string symbol = translate("symbol_dot", "IN;SP1;SM.;PA400,400;", "/2000");
    const std::vector<DxfRecord> hatches = records_of(symbol, "HATCH");
    ASSERT_EQ(hatches.size(), 1u);
    const double r = number(hatches[0], 40);
    EXPECT_GT(r, 0.0);
    EXPECT_NEAR(std::stod(values_of(dxf_groups(symbol), "$EXTMIN", 10)[0]), 10 - r, 1e-9);
    EXPECT_NEAR(std::stod(values_of(dxf_groups(symbol), "$EXTMAX", 20)[0]), 10 + r, 1e-9);
}

TEST_F(RealPlots, PageEndsLeaveTheNextCommandWhole) {
    const std::string tail(300, ';');  // keeps the page end far from the end of the file
    for (const std::string separator : {"\n", "\r\n", " ", ";\n", "\n\n\n\n\n", "\t"}) {
        SCOPED_TRACE(::testing::PrintToString(separator));
        write_file("P.plt", "IN;SP1;PU0,0;PD100,0;PU;PG" + separator + "PU10,500;PD20,500;PU;" + tail);
        const RunResult r = run({path("P.plt"), path("P.dxf"), "/2000"});
        ASSERT_EQ(r.status, 0) << r.text;
        EXPECT_EQ(summarise_entities(read_file("P-2.DXF")),
                  std::vector<std::string>{"LWPOLYLINE open 0.25,12.5 0.5,12.5"});
    }
}

TEST_F(RealPlots, CommentsWithoutQuotesEndAtTheirTerminator) {
    const std::string line = "LWPOLYLINE open 0,0 10,0";
    const std::string upright = "LWPOLYLINE open 0,0 0,10";
    const std::string x255(255, 'x');
    const struct { const char* name; std::string plot; std::vector<std::string> want; } rows[] = {
        {"bare", "CO 1st quadrant;PU0,0;PD400,0;PU;", {line}},
        {"bare_after_line_break", "CO\n Concentric circles;PU0,0;PD400,0;PU;", {line}},
        {"empty", "CO;PU0,0;PD400,0;PU;", {line}},
        {"quoted_keeps_its_semicolon", "CO\"a;PD400,0;b\";PU0,0;PD0,400;PU;", {upright}},
        {"quoted_after_blanks", "CO  \"a;PD400,0;b\";PU0,0;PD0,400;PU;", {upright}},
        // ESC ends a bare comment and is read: ESC%1A enters PCL, where the rest is text.
        {"bare_into_escape", "CO bare\x1b%1APU0,0;PD400,0;PU;", {}},
        {"bare_to_the_end", "PU0,0;PD400,0;PU;CO trailing words", {line}},
        // A quoted comment still ends after 255 bytes without its closing quote.
        {"quoted_255_bytes", "CO\"" + x255 + "PU0,0;PD400,0;PU;\";", {line}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(summarise_entities(translate(std::string("co_") + row.name, "IN;SP1;" + row.plot, "/2000")),
                  row.want);
    }
}

}  // namespace
}  // namespace penloom::testing
