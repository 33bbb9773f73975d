// Hostile plots and hostile surroundings, run through the whole program:
// numbers that overflow the drawing (nothing non-finite may reach a DXF),
// degenerate scaling, counts and sizes that must not cost unbounded time or
// memory (each run under a deadline), and the output and input files under
// faults: a full disk, an output name that leads back to the input, the
// folder write probe. Drawings that ezdxf must read are kept under
// $PENLOOM_E2E_DIR.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "driver/context.h"
#include "interpreter/vectors.h"
#include "support/dxf_text.h"
#include "support/program_run.h"
#include "support/readback.h"

namespace penloom::testing {
namespace {

using Counts = std::map<std::string, int>;
using Lines = std::vector<std::string>;

// Processor seconds (the program runs in this process: a busy machine does
// not count). Generous for sanitizer builds: a release build needs well under
// a second for every plot here, the unbounded versions took six to ten.
constexpr double kDeadlineSeconds = 4.0;

double cpu_seconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::string repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

// 1e<zeros> and 1e-<zeros + 1> as plot numbers (HP-GL has no exponent).
std::string power_of_ten(int zeros) { return std::string("1").append(static_cast<std::size_t>(zeros), '0'); }
std::string tiny(int zeros) { return std::string("0.").append(static_cast<std::size_t>(zeros), '0') + "1"; }

const std::string kHuge = power_of_ten(250);  // times a 1e250 factor: beyond any double

// Every real group whose value is no finite number ("nan", "inf", either case).
Lines non_finite_groups(const std::string& dxf) {
    Lines out;
    for (const DxfGroup& g : dxf_groups(dxf)) {
        const int c = g.code;
        const bool real = (c >= 10 && c <= 59) || (c >= 110 && c <= 149) || (c >= 210 && c <= 239) ||
                          (c >= 460 && c <= 469) || (c >= 1010 && c <= 1059);
        if (real && g.value.find_first_of("nNiI") != std::string::npos)
            out.push_back(std::to_string(c) + "=" + trimmed(g.value));
    }
    return out;
}

// One line per entity: its type, then "code=value" (values trimmed) without
// handles, owners, markers, reactors, layer, colour and lineweight.
Lines entity_summaries(const std::vector<DxfRecord>& records) {
    static const std::vector<int> skipped = {5, 330, 100, 102, 8, 62, 370};
    Lines out;
    for (const DxfRecord& r : records) {
        std::string line = r.type;
        for (const DxfGroup& g : r.groups)
            if (std::find(skipped.begin(), skipped.end(), g.code) == skipped.end())
                line.append(" ").append(std::to_string(g.code)).append("=").append(trimmed(g.value));
        out.push_back(line);
    }
    return out;
}
Lines entity_summaries(const std::string& dxf) { return entity_summaries(dxf_entities(dxf)); }

Counts entity_counts(const std::vector<DxfRecord>& records) {
    Counts counts;
    for (const DxfRecord& r : records) ++counts[r.type];
    return counts;
}
Counts entity_counts(const std::string& dxf) { return entity_counts(dxf_entities(dxf)); }

// $EXTMIN and $EXTMAX as "10=x 20=y 30=z | 10=x 20=y 30=z".
std::string extents(const std::string& dxf) {
    std::string out;
    for (const char* name : {"$EXTMIN", "$EXTMAX"})
        for (int code : {10, 20, 30})
            out += (out.empty() ? "" : code == 10 ? " | " : " ") + std::to_string(code) + "=" +
                   trimmed(values_of(dxf_groups(dxf), name, code).at(0));
    return out;
}

// The sidecar's exact entity counts (VERTEX and SEQEND are no model-space entities).
std::string counts_json(const Counts& counts) {
    std::string json = "\"entities\": {";
    for (const auto& [type, n] : counts)
        if (type != "VERTEX" && type != "SEQEND")
            json += (json.back() == '{' ? "\"" : ", \"") + type + "\": " + std::to_string(n);
    return json + "}";
}

class Limits : public ProgramTest {
protected:
    // Runs the plot as A.PLT -> A.DXF at 2000 and checks the deadline.
    RunResult timed(const std::string& plot) {
        const double start = cpu_seconds();
        RunResult r = run_plot(plot, {"/2000"});
        EXPECT_LT(cpu_seconds() - start, kDeadlineSeconds);
        return r;
    }
};

// ---------------------------------------------------------------------------
// Numbers beyond what a drawing holds. A point, size or pattern that
// overflows (not finite, or 1e300 and more in magnitude) keeps its entity out
// of the drawing and out of the extents; everything else is written, large
// numbers in exponent form.

TEST_F(Limits, OverflowedNumbersNeverReachTheDrawing) {
    // SC type 2 takes its factors as given: 1e250 user units per plotter unit.
    const std::string h = kHuge, scale = "SC0," + h + ",0," + h + ",2;", e20 = "1.000000E+20";
    const std::string none = "10=" + e20 + " 20=" + e20 + " 30=0.0 | 10=-" + e20 + " 20=-" + e20 + " 30=0.0";
    const std::string o = "10=0.0 20=0.0 30=0.0", line = o + " | 10=1.0 20=0.0 30=0.0";
    const std::string lw = "LWPOLYLINE 90=2 70=0 ";
    // entities: entity_summaries, exactly; extents: extents()
    struct Row { const char *name, *release; std::string plot; Lines entities; std::string extents; };
    const std::vector<Row> rows = {
        {"a path through an overflowed point is left out, the next one stays", "/2000",
         scale + "PA0,0;PD" + h + ",0;PU;SC;PA0,0;PD40,0;PU;", {lw + "10=0.0 20=0.0 10=1.0 20=0.0"}, line},
        {"the same as R12 POLYLINE", "/12", scale + "PA0,0;PD" + h + ",0,0,0;PU;SC;PA0,0;PD40,0;PU;",
         {"POLYLINE 66=1 " + o + " 70=128 210=0.0 220=0.0 230=1.0", "VERTEX " + o + " 70=0",
          "VERTEX 10=1.0 20=0.0 30=0.0 70=0", "SEQEND"}, line},
        {"a circle with an overflowed radius", "/2000", "PA0,0;" + scale + "CI" + h + ";SC;CI40;",
         {"CIRCLE " + o + " 40=1.0 210=0.0 220=0.0 230=1.0"},
         "10=-1.0 20=-1.0 30=0.0 | 10=1.0 20=1.0 30=0.0"},
        {"an arc round an overflowed centre is left out: the pen's dot stays", "/2000",
         "PA40,0;" + scale + "PD;AA" + h + ",0,90;PU;", {lw + "10=1.0 20=0.0 10=1.0125 20=0.0"}, none},
        {"a label at an overflowed point, then one at the origin", "/2000",
         scale + "PA" + h + "," + h + ";SC;LBab\003PA0,0;LBcd\003", {"TEXT " + o + " 40=2.84 1=cd"},
         o + " | 10=5.64 20=0.0 30=0.0"},
        {"a rectangle fill and outline reaching an overflowed corner", "/2000",
         "PA0,0;" + scale + "RA" + h + "," + h + ";EA" + h + "," + h + ";", {}, o + " | " + o},
        {"a wedge of an overflowed radius", "/2000", "PA0,0;" + scale + "WG" + h + ",0,90;EW" + h + ",0,90;",
         {}, none},
        {"a curve through overflowed control points", "/2000",
         "PA0,0;" + scale + "PD;BZ" + h + ",0,0," + h + "," + h + "," + h + ";PU;", {}, none},
        {"a hatch spacing that overflows fills solid", "/2000",
         scale + "FT3," + h + ";PA0,0;RA" + tiny(248) + "," + tiny(248) + ";",
         {"HATCH " + o + " 210=0.0 220=0.0 230=1.0 2=SOLID 70=1 71=0 91=1 92=2 72=0 73=1 93=4 10=0.0 20=0.0 "
          "10=0.25 20=0.0 10=0.25 20=0.25 10=0.0 20=0.25 97=0 75=0 76=0 98=1 10=0.0 20=0.0"},
         o + " | 10=0.25 20=0.25 30=0.0"},
        {"huge but finite coordinates are written in exponent form", "/2000",
         "PA0,0;PD" + power_of_ten(254) + ",-" + power_of_ten(253) + ";PU;",
         {lw + "10=0.0 20=0.0 10=2.500000E+252 20=-2.500000E+251"},
         "10=0.0 20=-2.500000E+251 30=0.0 | 10=2.500000E+252 20=0.0 30=0.0"},
        {"a number token is cut to its first 255 characters", "/2000",
         "PA0,0;PD4" + std::string(300, '0') + "," + tiny(300) + ";PU;",
         {lw + "10=0.0 20=0.0 10=1.000000E+253 20=0.0"}, o + " | 10=1.000000E+253 20=0.0 30=0.0"},
        {"negative zero and tiny negatives are written as 0.0", "/2000", "PA-0,-0;PD-0.00001,40;PU;",
         {lw + "10=0.0 20=0.0 10=0.0 20=1.0"}, o + " | 10=0.0 20=1.0 30=0.0"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].name);
        const RunResult r = run_plot("IN;SP1;" + rows[i].plot, {rows[i].release});
        ASSERT_EQ(r.status, 0) << r.text;
        const std::string dxf = read_file("A.DXF");
        EXPECT_EQ(non_finite_groups(dxf), Lines{});
        EXPECT_EQ(entity_summaries(dxf), rows[i].entities);
        EXPECT_EQ(extents(dxf), rows[i].extents);
        keep_drawings("limits_overflow_row" + std::to_string(i), counts_json(entity_counts(dxf)));
    }
}

// Every drawing command at once under an overflowing scale, at both ends of
// the releases: what overflowed is left out, what stays finite (one user
// unit, labels sized in centimetres) is drawn, nothing non-finite is
// written, and ezdxf reads the drawing.
TEST_F(Limits, EveryCommandUnderAnOverflowingScaleWritesOnlyFiniteNumbers) {
    const std::string h = kHuge, hh = kHuge + "," + kHuge;
    const std::string plot = "IN;SP1;PA0,0;SC0," + h + ",0," + h + ",2;PD;PR" + hh + ";PA0,0;AR" + hh +
                             ",45;AT" + h + ",0,0," + h + ";PU;EA" + hh + ";RR" + hh + ";EW" + h +
                             ",0,45;WG" + h + ",0,45;FT3," + h + ";PM0;PD1,1,2,0;PM2;FP;EP;SI" + hh +
                             ";LBx\003SR" + hh + ";LBy\003DI" + h + ",1;LBz\003PW" + h + ";PD3,3;PU;LT1," +
                             h + ",1;PD4,4;PU;PE=" + repeat("~", 40) + ";";
    const std::vector<std::pair<std::string, Counts>> releases = {
        {"/12", {{"POLYLINE", 5}, {"VERTEX", 12}, {"SEQEND", 5}, {"TEXT", 3}}},
        {"/2000",
         {{"HATCH", 1}, {"LWPOLYLINE", 2}, {"POLYLINE", 2}, {"VERTEX", 4}, {"SEQEND", 2}, {"TEXT", 3}}},
    };
    for (const auto& [release, counts] : releases) {
        SCOPED_TRACE(release);
        const RunResult r = run_plot(plot, {release});
        ASSERT_EQ(r.status, 0) << r.text;
        const std::string dxf = read_file("A.DXF");
        EXPECT_EQ(non_finite_groups(dxf), Lines{});
        EXPECT_EQ(entity_counts(dxf), counts);
        keep_drawings("limits_overflow" + release.substr(1), counts_json(counts));
    }
}

// Windows of no size and P1 on P2 fall back to unit scaling; nothing
// divides by zero.
TEST_F(Limits, DegenerateScalingFallsBackToUnitScaling) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"SC0,0,0,0;PA40,40;PD80,40;PU;", "10=1.0 20=1.0 10=2.0 20=1.0"},
        {"IP100,100,100,100;SC0,10,0,10;PA0,0;PD4,0;PU;", "10=0.0 20=0.0 10=0.1 20=0.0"},
        {"SC0,0,0,0,2;PA0,8;PD4,8;PU;", "10=0.0 20=0.2 10=0.1 20=0.2"},              // point factors of 0
        {"SC0,0.0005,0,0.0005;PA40,0;PD40,40;PU;", "10=1.0 20=0.0 10=1.0 20=1.0"},  // below 0.001 units
        // P2 beyond 32 bits is truncated to -2147483648 plotter units.
        {"IP0,0," + kHuge + "," + kHuge + ";SC0,1,0,1;PA0,0;PD1,0;PU;",
         "10=0.0 20=0.0 10=-53687091.2 20=0.0"},
    };
    for (const auto& [plot, points] : rows) {
        SCOPED_TRACE(plot.substr(0, 40));
        const RunResult r = run_plot("IN;SP1;" + plot, {"/2000"});
        ASSERT_EQ(r.status, 0) << r.text;
        EXPECT_EQ(entity_summaries(read_file("A.DXF")), Lines{"LWPOLYLINE 90=2 70=0 " + points});
    }
}

// Pen widths are taken as given: beyond 2.055 mm (and below 0) the
// lineweight is 0; polyline widths are written as they are, large ones in
// exponent form.
TEST_F(Limits, PenWidthExtremes) {
    const std::string plot = "IN;SP1;PW" + kHuge + ";PD1,1;PU;PW-5;PD2,2;PU;PW" + tiny(12) + ";PD3,3;PU;";
    for (const auto& [ini, widths] : std::vector<std::pair<std::string, Lines>>{
             {"", {}}, {"[Settings]\nUsePolylineWidths=1\n", {"1.000000E+250", "-5.0", "0.0"}}}) {
        SCOPED_TRACE(ini);
        const RunResult r = run_plot(plot, {"/2000"}, ini);
        ASSERT_EQ(r.status, 0) << r.text;
        const std::string dxf = read_file("A.DXF");
        const DxfGroups groups = dxf_groups(dxf);
        EXPECT_EQ(values_of(groups, "LWPOLYLINE", 370), Lines(3, "     0"));
        Lines got = values_of(groups, "LWPOLYLINE", 43);
        for (std::string& w : got) w = trimmed(w);
        EXPECT_EQ(got, widths);
        EXPECT_EQ(non_finite_groups(dxf), Lines{});
    }
}

// ---------------------------------------------------------------------------
// Counts and sizes from the plot that must not cost unbounded time or
// memory. Each plot runs under the deadline and its drawing is checked.

std::string long_zigzag_path(int points) {
    std::string plot = "PA0,10;PD";
    for (int i = 0; i < points; ++i)
        plot.append(i > 0 ? "," : "")
            .append(std::to_string(i)).append(",").append(std::to_string(10 + i % 2));
    return plot;
}

TEST_F(Limits, HostileCountsStayBounded) {
    const std::string hatch = "HATCH 10=0.0 20=0.0 30=0.0 210=0.0 220=0.0 230=1.0 2=";
    const std::string lw = "LWPOLYLINE 90=2 70=0 ", line = lw + "10=0.0 20=0.0 10=1.0 20=0.0";
    const std::string text = "TEXT 10=0.0 20=0.0 30=0.0 40=2.84 1=";
    const std::string arc = " 10=0.0 20=0.0 30=0.0 40=1.0 210=0.0 220=0.0 230=1.0 50=";
    std::string raster = "RF1,255,255", patterns;
    for (int i = 0; i < 255 * 255; ++i) raster += (i % 255) % 2 == 0 ? ",1" : ",0";
    for (int i = 0; i < 20000; ++i) patterns += "LT1," + std::to_string(i) + ".5,1;";
    // counts: every entity type of the drawing, exactly; first: the first entity's summary begins
    // so; contains: and the summaries, joined, hold these.
    struct Row { const char* name; std::string plot; Counts counts; std::string first; Lines contains = {}; };
    const std::vector<Row> rows = {
        {"RF at its largest, 255 by 255 pixels", raster + ";FT11,1;PA0,0;RA40,40;", {{"HATCH", 1}},
         hatch + "HP_FILL_PATTERN1 70=0",
         {" 78=255 53=0.0 43=0.0 44=0.0 45=0.0 46=51.0 79=255 49=0.2 49=-0.2 "}},
        {"RF beyond 255 pixels a side is undefined: its fill is solid",
         "RF1,256,1,1;FT11,1;PA0,0;RA40,40;RF1,2147483647,2147483647;RA80,80;", {{"HATCH", 2}},
         hatch + "SOLID 70=1"},
        {"RF numbers out of range change nothing", "RF-1,2,2,1,1,1,1;RF256,1,1,1;FT11,0;PA0,0;RA40,40;",
         {{"HATCH", 1}}, hatch + "SOLID 70=1"},
        {"NP counts below 2, beyond 32 bits and above 256",
         "NP-5;SP3;PD1,1;PU;NP99999999999;SP3;PD2,2;PU;NP2147483647;SP255;PD3,3;PU;SP300;PD4,4;PU;",
         {{"LWPOLYLINE", 4}}, lw + "10=0.0 20=0.0 10=0.025 20=0.025"},
        {"a label of a million characters without terminator keeps 5100",
         "PA0,0;LB" + std::string(1000000, 'A'), {{"TEXT", 1}}, text + std::string(5100, 'A')},
        {"100000 labels in a row join into one text of 5100",
         "PA0,0;" + repeat("LBabc\003", 100000) + "PA40,0;PD80,0;PU;", {{"TEXT", 1}, {"LWPOLYLINE", 1}},
         text + repeat("abc", 1700)},
        {"a PE number of 20 largest digits ends there",
         "PA0,0;PE=" + repeat("~", 20) + repeat("?", 19) + "\277;",
         {{"LWPOLYLINE", 1}}, lw + "10=0.0 20=0.0 10=-2.305843E+17 20=0.0"},
        // 20 digits a number: 5000 zeros, 2500 moves by (0,0) with the pen down.
        {"a PE run of 100000 digits", "PA0,0;PE" + repeat("?", 100000) + ";PD40,0;PU;", {{"LWPOLYLINE", 1}},
         "LWPOLYLINE 90=2502 70=0 10=0.0 20=0.0 10=0.0 20=0.0", {" 10=0.0 20=0.0 10=1.0 20=0.0 "}},
        {"a pen-down path of 100000 points", long_zigzag_path(100000) + ";PU;", {{"LWPOLYLINE", 1}},
         "LWPOLYLINE 90=100001 70=0 10=0.0 20=0.25 10=0.0 20=0.25 10=0.025 20=0.275"},
        {"a polygon of 100000 points", "PM0;" + long_zigzag_path(100000) + ",99999,0,0,0;PM2;FP;",
         {{"HATCH", 1}}, hatch + "SOLID 70=1 71=0 91=1 92=2 72=0 73=1 93=100002"},
        {"100000 PM0 without PM2", "PA0,0;" + repeat("PM0;PD10,10;", 100000) + "PM2;FP;PU0,0;PD40,0;PU;",
         {{"LWPOLYLINE", 1}}, line},
        // A drawing holds 256 linetypes, CONTINUOUS included: the 255 patterns
        // made first stay in use, a pattern beyond them draws solid lines.
        {"20000 pattern lengths make 255 linetypes, then lines are solid",
         patterns + "LT1,254.5,1;PD40,0;PU;LT1,255.5,1;PD80,0;PU;",
         {{"LWPOLYLINE", 1}, {"POLYLINE", 1}, {"VERTEX", 2}, {"SEQEND", 1}},
         "POLYLINE 6=DOT2254 66=1 10=0.0 20=0.0 30=0.0 70=128", {lw + "10=1.0 20=0.0 10=2.0 20=0.0"}},
        {"DL with 200000 numbers", "DL1," + repeat("1,", 200000) + "1;PA0,0;PD40,0;PU;",
         {{"LWPOLYLINE", 1}}, line},
        {"AA and CI with chord angles near 0 stay true arcs",
         "CT1;PA40,0;PD;AA0,0,90,0.0000001;PU;CI40,0.0000001;CT0;PA40,0;PD;AR-40,0,-90,360;PU;",
         {{"ARC", 2}, {"CIRCLE", 1}, {"LWPOLYLINE", 4}}, lw + "10=1.0 20=0.0 10=1.0125 20=0.0",
         {"ARC" + arc + "0.0 51=90.0 ", "CIRCLE 10=0.0 20=1.0 30=0.0 40=1.0 ",
          "ARC" + arc + "-90.0 51=0.0 "}},
        // The start point and 50 points of the curve (the first on the start).
        {"BZ of a huge curve has at most 50 points", "PA0,0;PD;BZ0,400000,400000,400000,400000,0;PU;",
         {{"LWPOLYLINE", 1}}, "LWPOLYLINE 90=51 70=0 10=0.0 20=0.0"},
        {"WG with a sweep of 1e200 degrees is a full circle", "PA0,0;WG40,0," + power_of_ten(200) + ";",
         {{"HATCH", 1}},
         hatch + "SOLID 70=1 71=0 91=1 92=0 93=1 72=2 10=0.0 20=0.0 40=1.0 50=0.0 51=360.0 73=1"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.name);
        const RunResult r = timed("IN;SP1;" + row.plot);
        ASSERT_EQ(r.status, 0) << r.text;
        const std::string dxf = read_file("A.DXF");
        const std::vector<DxfRecord> records = dxf_entities(dxf);
        EXPECT_EQ(entity_counts(records), row.counts);
        const Lines entities = entity_summaries(records);
        ASSERT_FALSE(entities.empty());
        EXPECT_EQ(entities.front().substr(0, row.first.size()), row.first);
        std::string all;
        for (const std::string& e : entities) all += e + " ";
        for (const std::string& part : row.contains) EXPECT_NE(all.find(part), std::string::npos) << part;
        EXPECT_EQ(non_finite_groups(dxf), Lines{});
        // The long ones would only slow the read-back down.
        if (dxf.size() < (std::size_t{1} << 20))
            keep_drawings("limits_bounded_row" + std::to_string(i), counts_json(row.counts));
    }
}

// The pen-down path grows in fixed steps only while it is short: a path of
// a million points is moved a few dozen times, not a thousand (each move
// copies the whole path). Counted directly, so a busy machine cannot hide it.
TEST(PathGrowth, LongPathsDoubleTheirRoom) {
    Context ctx;
    put_pen_down(ctx);
    std::size_t room = 0;
    int moves = 0;
    for (int i = 0; i < 1000000; ++i) {
        add_path_vertex(ctx, i, i % 2, 0.0, false);
        if (ctx.gs.path.vertices.capacity() != room) ++moves;
        room = ctx.gs.path.vertices.capacity();
    }
    // 32, then steps of 64 to 1024 up to 2016, 62 steps of 1024 to 65504,
    // one more to 66528, then 4 doublings.
    EXPECT_EQ(moves, 73);
    EXPECT_EQ(room, std::size_t{66528} * 16);
    EXPECT_EQ(ctx.gs.path.vertices.size(), 1000001u);
}

// Byte counts of PCL data are skipped byte by byte: a count beyond the end
// of the input ends the input (nothing is allocated or sought), a negative
// one skips nothing.
TEST_F(Limits, PclByteCountsEndAtTheEndOfInput) {
    const std::string pcl = "\033E\033%0BIN;SP1;PA0,0;PD40,0;PU;\033%0A";
    const std::string back = "\033%0BSP1;PA0,40;PD40,40;PU;";
    const std::vector<std::pair<std::string, int>> rows = {  // data, lines drawn
        {"\033*b2000000000W", 1},  {"\033)s99999999999W", 1},  // a font header count saturated
        {"\033(s2000000000W", 1},  {"\033&p4000000000X", 1},
        {"\033*b2000000000V" + std::string(40000, 'x'), 2},     // a raster plane is cut to 32767
        {"\033*b-2000000000W", 2}, {"\033*b3WXYZ", 2},
    };
    for (const auto& [data, lines] : rows) {
        SCOPED_TRACE(data.substr(1, 14));
        const RunResult r = timed(pcl + data + back);
        ASSERT_EQ(r.status, 0) << r.text;
        EXPECT_EQ(entity_counts(read_file("A.DXF")), (Counts{{"LWPOLYLINE", lines}}));
    }
}

// ---------------------------------------------------------------------------
// Output and input under faults.

// A folder whose file system is full: a real 32 KB tmpfs when this process
// may mount one (root with CAP_SYS_ADMIN), otherwise a file-size limit of
// 16 KB with SIGXFSZ ignored, so that writes fail with EFBIG as they would
// with ENOSPC. Either way the drawing cannot be written.
class FullFolder {
public:
    explicit FullFolder(std::string folder) : folder_(std::move(folder)) {
        std::filesystem::create_directories(folder_);
        mounted_ = ::mount("penloom-full", folder_.c_str(), "tmpfs", 0, "size=32k") == 0;
    }
    ~FullFolder() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    }
    FullFolder(const FullFolder&) = delete;
    FullFolder& operator=(const FullFolder&) = delete;
    bool mounted() const { return mounted_; }

    // Runs `body` with the disk full (the limit is set only meanwhile).
    template <class Body>
    void while_full(Body body) {
        if (mounted_) return body();
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        struct sigaction ignore {}, previous{};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &previous);
        rlimit limited = old;
        limited.rlim_cur = 16384;
        ::setrlimit(RLIMIT_FSIZE, &limited);
        body();
        ::setrlimit(RLIMIT_FSIZE, &old);
        ::sigaction(SIGXFSZ, &previous, nullptr);
    }

private:
    std::string folder_;
    bool mounted_ = false;
};

class OutputSafety : public ProgramTest {};

TEST_F(OutputSafety, FullDiskLeavesTheOlderDrawingAndNoTemporaryFile) {
    FullFolder full(path("full"));
    std::cout << "[          ] full disk by " << (full.mounted() ? "a 32 KB tmpfs" : "RLIMIT_FSIZE") << "\n";
    std::string plot = "IN;SP1;";  // 600 lines make a drawing of well over 32 KB
    for (int i = 0; i < 600; ++i)
        plot += "PU" + std::to_string(i * 10) + ",0;PD" + std::to_string(i * 10) + ",100;";
    write_file("A.PLT", plot + "PU;");
    write_file("full/A.DXF", "older drawing\n");
    const std::string out = path("full/A.DXF");
    const std::string failed = " \n\nFile read error: (disk full?)\n\nERROR Saving file: " + out +
                               "\nError is 27: Disk full\n\nEnd Translation. (0 files processed)\n";
    const std::vector<std::pair<Lines, std::string>> rows = {
        {{"A.PLT", out, "/2000"}, "(R2000,2002 format)"},
        // A wildcard into the full folder: the probe is made and removed.
        {{"*.PLT", path("full/*.DXF"), "/12"}, "(R11-12 format)"},
    };
    for (const auto& [args, format] : rows) {
        SCOPED_TRACE(args[0]);
        RunResult r;
        full.while_full([&] { r = run(args); });
        EXPECT_EQ(r.status, 127);
        EXPECT_EQ(r.text, banner() + "\nA.PLT -> " + out + " " + format + failed);
        EXPECT_EQ(list("full"), Lines{"A.DXF"});
        EXPECT_EQ(read_file("full/A.DXF"), "older drawing\n");
    }
    // With room again the same run writes the drawing.
    const RunResult r = run({"A.PLT", path("B.DXF"), "/2000"});
    EXPECT_EQ(r.status, 0) << r.text;
    EXPECT_EQ(entity_counts(read_file("B.DXF")), (Counts{{"LWPOLYLINE", 600}}));
}

// The input is only ever read: same bytes, same modification time, also
// read-only, traced, or reached again through the output name.
TEST_F(OutputSafety, InputIsNeverWritten) {
    const std::string plot = "IN;SP1;PA0,0;PD40,0;PU;", done = "End Translation. (1 files processed)\n";
    // link: "symbolic" or "hard": the output name is made a link to the input first
    struct Row {
        const char* name;
        std::string input;
        Lines args;
        std::string link;
        int status;
        std::string ends_with;
    };
    const std::vector<Row> rows = {
        {"read-only input with a parse trace", "A.PLT", {"A.PLT", "/PARSE"}, "", 0, done},
        {"a trace file as input writes no trace over itself", "A.PLX", {"A.PLX", "B.DXF", "/PARSE"}, "", 0,
         done},
        {"output name equal to the input name", "A.PLT", {"A.PLT", "A.PLT"}, "", 1,
         "ERROR: Output file should be DXF or DWG\n"},
        {"output name a link to the input", "A.PLT", {"A.PLT", "L.DXF"}, "symbolic", 0, done},
        {"output name a hard link of the input", "A.PLT", {"A.PLT", "H.DXF"}, "hard", 0, done},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (const std::string& name : list(""))
            if (name != "prog") std::filesystem::remove_all(path(name));
        write_file(row.input, plot);
        ::chmod(path(row.input).c_str(), 0444);
        const timespec old_times[2] = {{1000000000, 0}, {1000000000, 0}};
        ::utimensat(AT_FDCWD, path(row.input).c_str(), old_times, 0);
        if (row.link == "symbolic") std::filesystem::create_symlink(path(row.input), path(row.args[1]));
        if (row.link == "hard") std::filesystem::create_hard_link(path(row.input), path(row.args[1]));
        const RunResult r = run(row.args);
        EXPECT_EQ(r.status, row.status) << r.text;
        ASSERT_GE(r.text.size(), row.ends_with.size());
        EXPECT_EQ(r.text.substr(r.text.size() - row.ends_with.size()), row.ends_with);
        struct stat s {};
        EXPECT_EQ(::stat(path(row.input).c_str(), &s), 0);
        EXPECT_EQ(s.st_mtim.tv_sec, 1000000000);
        EXPECT_EQ(read_file(row.input), plot);
        if (row.status == 0 && row.args[1] != "/PARSE") {
            // The drawing replaced the link, not what it led to.
            EXPECT_FALSE(std::filesystem::is_symlink(path(row.args[1])));
            EXPECT_EQ(entity_counts(read_file(row.args[1])),
                      (Counts{{"POLYLINE", 1}, {"VERTEX", 2}, {"SEQEND", 1}}));
        }
    }
}

// The write probe of a wildcard run's output folder never stays behind:
// not after a good run, not after a refused file, and a folder where it
// cannot be made gives the probe's message and status -36.
TEST_F(OutputSafety, WriteProbeNeverStaysBehind) {
    make_folder("out");
    const std::string good = "IN;SP1;PA0,0;PD40,0;PU;";
    const Lines args = {"*.PLT", path("out/*.DXF"), "/2000"};
    write_file("A.PLT", good);
    RunResult r = run(args);
    EXPECT_EQ(r.status, 0) << r.text;
    EXPECT_EQ(list("out"), Lines{"A.DXF"});
    // A PCL job is refused after the probe ran.
    std::filesystem::remove(path("out/A.DXF"));
    write_file("A.PLT", "\n\x1b%-12345X@PJL JOB\r\n@PJL ENTER LANGUAGE = PCL\r\n\x1b"
                        "E\x1b&l0Otext IN;SP1;");
    r = run(args);
    EXPECT_EQ(r.status, 1) << r.text;
    EXPECT_EQ(list("out"), Lines{});
    // A folder the probe cannot be made in (its name is taken by a folder).
    make_folder("out/WPROBE.CAD");
    write_file("A.PLT", good);
    r = run(args);
    EXPECT_EQ(r.status, -36);
    EXPECT_EQ(r.text, banner() + "Error: Unable to write to folder " + path("out/"));
    EXPECT_EQ(list("out"), Lines{"WPROBE.CAD"});
}

}  // namespace
}  // namespace penloom::testing
