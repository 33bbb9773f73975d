// Hostile plots and hostile surroundings, run through the whole program:
// numbers that overflow the drawing (nothing non-finite may reach a DXF),
// degenerate scaling, counts and sizes that must not cost unbounded time or
// memory (every run under a deadline), and the output and input files under
// faults. Drawings that ezdxf must read are kept under $PENLOOM_E2E_DIR.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "driver/context.h"
#include "interpreter/vectors.h"
#include "support/dxf_text.h"
#include "support/program_run.h"

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
    while (times-- > 0) out += text;
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
// handles, owners, markers, reactors, layer, colour, lineweight, z and extrusion.
Lines entity_summaries(const std::string& dxf) {
    static const std::vector<int> skipped = {5, 330, 100, 102, 8, 62, 370, 30, 210, 220, 230};
    Lines out;
    for (const DxfRecord& r : dxf_entities(dxf)) {
        std::string line = r.type;
        for (const DxfGroup& g : r.groups)
            if (std::find(skipped.begin(), skipped.end(), g.code) == skipped.end())
                line.append(" ").append(std::to_string(g.code)).append("=").append(trimmed(g.value));
        out.push_back(line);
    }
    return out;
}

Counts entity_counts(const std::string& dxf) {
    Counts counts;
    for (const DxfRecord& r : dxf_entities(dxf)) ++counts[r.type];
    return counts;
}

// $EXTMIN and $EXTMAX as "x,y x,y" (z is 0.0).
std::string extents(const std::string& dxf) {
    const DxfGroups groups = dxf_groups(dxf);
    auto point = [&](const char* name) {
        return trimmed(values_of(groups, name, 10).at(0)) + "," + trimmed(values_of(groups, name, 20).at(0));
    };
    return point("$EXTMIN") + " " + point("$EXTMAX");
}

class Limits : public ProgramTest {
protected:
    // Runs the plot as A.PLT -> A.DXF under the deadline and returns the drawing, checked to hold
    // no non-finite number; a drawing under 1 MB is kept for the read-back as `keep_as`.
    std::string drawn(const std::string& keep_as, const std::string& plot, const char* release = "/2000",
                      const std::string& ini = "") {
        const double start = cpu_seconds();
        const RunResult r = run_plot(plot, {release}, ini);
        EXPECT_LT(cpu_seconds() - start, kDeadlineSeconds);
        EXPECT_EQ(r.status, 0) << r.text;
        std::string dxf = read_file("A.DXF");
        EXPECT_EQ(non_finite_groups(dxf), Lines{});
        if (dxf.size() < (std::size_t{1} << 20)) keep_drawings("limits_" + keep_as, "");
        return dxf;
    }
};

// A point, size or pattern that overflows (not finite, or 1e300 and more in
// magnitude) keeps its entity out of the drawing and out of the extents;
// everything else is written, large numbers in exponent form. Windows of no
// size and P1 on P2 fall back to unit scaling.
TEST_F(Limits, OverflowedNumbersAndDegenerateScaling) {
    // SC type 2 takes its factors as given: 1e250 user units per plotter unit.
    const std::string h = kHuge, hh = h + "," + h, scale = "SC0," + h + ",0," + h + ",2;";
    const std::string lw = "LWPOLYLINE 90=2 70=0 ", o = "10=0.0 20=0.0";
    const std::string none = "1.000000E+20,1.000000E+20 -1.000000E+20,-1.000000E+20";
    // extents: as extents() writes them, not checked when empty
    struct Row { const char* name;
                 std::string plot; Lines entities; std::string extents = ""; const char* rel = "/2000"; };
    const std::vector<Row> rows = {
        {"path point, the next path stays", scale + "PA0,0;PD" + h + ",0;PU;SC;PA0,0;PD40,0;PU;",
         {lw + o + " 10=1.0 20=0.0"}, "0.0,0.0 1.0,0.0"},
        {"the same as R12 POLYLINE", scale + "PA0,0;PD" + h + ",0,0,0;PU;SC;PA0,0;PD40,0;PU;",
         {"POLYLINE 66=1 " + o + " 70=128", "VERTEX " + o + " 70=0", "VERTEX 10=1.0 20=0.0 70=0", "SEQEND"},
         "0.0,0.0 1.0,0.0", "/12"},
        {"circle radius", "PA0,0;" + scale + "CI" + h + ";SC;CI40;", {"CIRCLE " + o + " 40=1.0"},
         "-1.0,-1.0 1.0,1.0"},
        {"arc centre: the pen's dot stays", "PA40,0;" + scale + "PD;AA" + h + ",0,90;PU;",
         {lw + "10=1.0 20=0.0 10=1.0125 20=0.0"}, "1.0,0.0 1.0125,0.0"},
        {"label point, the next label stays", scale + "PA" + hh + ";SC;LBab\003PA0,0;LBcd\003",
         {"TEXT " + o + " 40=2.84 1=cd"}, "0.0,0.0 5.64,0.0"},
        {"rectangle corner", "PA0,0;" + scale + "RA" + hh + ";EA" + hh + ";", {}, "0.0,0.0 0.0,0.0"},
        {"wedge radius", "PA0,0;" + scale + "WG" + h + ",0,90;EW" + h + ",0,90;", {}, none},
        {"curve control points", "PA0,0;" + scale + "PD;BZ" + h + ",0,0," + hh + "," + h + ";PU;", {}, none},
        {"hatch spacing: solid", scale + "FT3," + h + ";PA0,0;RA" + tiny(248) + "," + tiny(248) + ";",
         {"HATCH " + o + " 2=SOLID 70=1 71=0 91=1 92=2 72=0 73=1 93=4 " + o +
          " 10=0.25 20=0.0 10=0.25 20=0.25 10=0.0 20=0.25 97=0 75=0 76=0 98=1 " + o}, "0.0,0.0 0.25,0.25"},
        {"huge but finite: exponent form", "PA0,0;PD" + power_of_ten(254) + ",-" + power_of_ten(253) + ";PU;",
         {lw + o + " 10=2.500000E+252 20=-2.500000E+251"}, "0.0,-2.500000E+251 2.500000E+252,0.0"},
        {"number token cut to 255 characters", "PA0,0;PD4" + std::string(300, '0') + "," + tiny(300) + ";PU;",
         {lw + o + " 10=1.000000E+253 20=0.0"}, "0.0,0.0 1.000000E+253,0.0"},
        {"negative zero and tiny negatives: 0.0", "PA-0,-0;PD-0.00001,40;PU;", {lw + o + " 10=0.0 20=1.0"},
         "0.0,0.0 0.0,1.0"},
        {"window of no size", "SC0,0,0,0;PA40,40;PD80,40;PU;", {lw + "10=1.0 20=1.0 10=2.0 20=1.0"}},
        {"P1 on P2", "IP100,100,100,100;SC0,10,0,10;PA0,0;PD4,0;PU;", {lw + o + " 10=0.1 20=0.0"}},
        {"point factors of 0", "SC0,0,0,0,2;PA0,8;PD4,8;PU;", {lw + "10=0.0 20=0.2 10=0.1 20=0.2"}},
        {"below 0.001", "SC0,0.0005,0,0.0005;PA40,0;PD40,40;PU;", {lw + "10=1.0 20=0.0 10=1.0 20=1.0"}},
        // P2 beyond 32 bits is truncated to -2147483648 plotter units.
        {"P2 beyond 32 bits",
         "IP0,0," + hh + ";SC0,1,0,1;PA0,0;PD1,0;PU;", {lw + o + " 10=-53687091.2 20=0.0"}},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].name);
        const std::string dxf = drawn("overflow" + std::to_string(i), "IN;SP1;" + rows[i].plot, rows[i].rel);
        EXPECT_EQ(entity_summaries(dxf), rows[i].entities);
        if (!rows[i].extents.empty()) {
            EXPECT_EQ(extents(dxf), rows[i].extents);
        }
    }
    // Every drawing command at once, at both ends of the releases: what stays
    // finite (one user unit, labels sized in centimetres) is drawn.
    const std::string plot = "IN;SP1;PA0,0;" + scale + "PD;PR" + hh + ";PA0,0;AR" + hh + ",45;AT" + h +
                             ",0,0," + h + ";PU;EA" + hh + ";RR" + hh + ";EW" + h + ",0,45;WG" + h +
                             ",0,45;FT3," + h + ";PM0;PD1,1,2,0;PM2;FP;EP;SI" + hh + ";LBx\003SR" + hh +
                             ";LBy\003DI" + h + ",1;LBz\003PW" + h + ";PD3,3;PU;LT1," + h +
                             ",1;PD4,4;PU;PE=" + repeat("~", 40) + ";";
    EXPECT_EQ(entity_counts(drawn("every_command12", plot, "/12")),
              (Counts{{"POLYLINE", 5}, {"VERTEX", 12}, {"SEQEND", 5}, {"TEXT", 3}}));
    EXPECT_EQ(entity_counts(drawn("every_command2000", plot)),
              (Counts{{"HATCH", 1}, {"LWPOLYLINE", 2}, {"POLYLINE", 2}, {"VERTEX", 4}, {"SEQEND", 2},
                      {"TEXT", 3}}));
}

// Pen widths are taken as given: beyond 2.055 mm (and below 0) the
// lineweight is 0; polyline widths are written as they are.
TEST_F(Limits, PenWidthExtremes) {
    const std::string plot = "IN;SP1;PW" + kHuge + ";PD1,1;PU;PW-5;PD2,2;PU;PW" + tiny(12) + ";PD3,3;PU;";
    for (const auto& [ini, widths] : std::vector<std::pair<std::string, Lines>>{
             {"", {}}, {"[Settings]\nUsePolylineWidths=1\n", {"1.000000E+250", "-5.0", "0.0"}}}) {
        SCOPED_TRACE(ini);
        const DxfGroups groups = dxf_groups(drawn("pen_widths" + std::to_string(widths.size()), plot, "/2000",
                                                  ini));
        EXPECT_EQ(values_of(groups, "LWPOLYLINE", 370), Lines(3, "     0"));
        Lines got = values_of(groups, "LWPOLYLINE", 43);
        for (std::string& w : got) w = trimmed(w);
        EXPECT_EQ(got, widths);
    }
}

std::string long_zigzag_path(int points) {
    std::string plot = "PA0,10;PD";
    for (int i = 0; i < points; ++i)
        plot.append(i > 0 ? "," : "").append(std::to_string(i)).append(i % 2 ? ",11" : ",10");
    return plot;
}

// Counts and sizes from the plot that must not cost unbounded time or memory.
TEST_F(Limits, HostileCountsStayBounded) {
    const std::string hatch = "HATCH 10=0.0 20=0.0 2=", lw = "LWPOLYLINE 90=2 70=0 ";
    const std::string line = lw + "10=0.0 20=0.0 10=1.0 20=0.0 ", text = "TEXT 10=0.0 20=0.0 40=2.84 1=";
    const std::string arc = "ARC 10=0.0 20=0.0 40=1.0 50=";
    std::string raster = "RF1,255,255", patterns;
    for (int i = 0; i < 255 * 255; ++i) raster += (i % 255) % 2 == 0 ? ",1" : ",0";
    for (int i = 0; i < 20000; ++i) patterns += "LT1," + std::to_string(i) + ".5,1;";
    // counts: every entity type, exactly; parts: the entity summaries, each followed by a blank, hold these
    struct Row { const char* name; std::string plot; Counts counts; Lines parts; };
    const std::vector<Row> rows = {
        {"RF at its largest, 255 by 255 pixels", raster + ";FT11,1;PA0,0;RA40,40;", {{"HATCH", 1}},
         {hatch + "HP_FILL_PATTERN1 70=0",
          " 78=255 53=0.0 43=0.0 44=0.0 45=0.0 46=51.0 79=255 49=0.2 49=-0.2 "}},
        {"RF beyond 255 pixels a side is undefined: its fill is solid",
         "RF1,256,1,1;FT11,1;PA0,0;RA40,40;RF1,2147483647,2147483647;RA80,80;", {{"HATCH", 2}},
         {hatch + "SOLID 70=1"}},
        {"RF numbers out of range change nothing", "RF-1,2,2,1,1,1,1;RF256,1,1,1;FT11,0;PA0,0;RA40,40;",
         {{"HATCH", 1}}, {hatch + "SOLID 70=1"}},
        {"NP counts below 2, beyond 32 bits and above 256",
         "NP-5;SP3;PD1,1;PU;NP99999999999;SP3;PD2,2;PU;NP2147483647;SP255;PD3,3;PU;SP300;PD4,4;PU;",
         {{"LWPOLYLINE", 4}}, {lw + "10=0.0 20=0.0 10=0.025 20=0.025 "}},
        {"a label of a million characters without terminator keeps 5100",
         "PA0,0;LB" + std::string(1000000, 'A'), {{"TEXT", 1}}, {text + std::string(5100, 'A') + " "}},
        {"100000 labels in a row join into one text of 5100",
         "PA0,0;" + repeat("LBabc\003", 100000) + "PA40,0;PD80,0;PU;", {{"TEXT", 1}, {"LWPOLYLINE", 1}},
         {text + repeat("abc", 1700) + " "}},
        {"PE number of 20 largest digits ends", "PA0,0;PE=" + repeat("~", 20) + repeat("?", 19) + "\277;",
         {{"LWPOLYLINE", 1}}, {lw + "10=0.0 20=0.0 10=-2.305843E+17 20=0.0 "}},
        // 20 digits a number: 5000 zeros, 2500 moves by (0,0) with the pen down.
        {"a PE run of 100000 digits", "PA0,0;PE" + repeat("?", 100000) + ";PD40,0;PU;", {{"LWPOLYLINE", 1}},
         {"LWPOLYLINE 90=2502 70=0 10=0.0 20=0.0 10=0.0 20=0.0", " 10=0.0 20=0.0 10=1.0 20=0.0 "}},
        {"a pen-down path of 100000 points", long_zigzag_path(100000) + ";PU;", {{"LWPOLYLINE", 1}},
         {"LWPOLYLINE 90=100001 70=0 10=0.0 20=0.25 10=0.0 20=0.25 10=0.025 20=0.275"}},
        {"a polygon of 100000 points", "PM0;" + long_zigzag_path(100000) + ",99999,0,0,0;PM2;FP;",
         {{"HATCH", 1}}, {hatch + "SOLID 70=1 71=0 91=1 92=2 72=0 73=1 93=100002"}},
        {"100000 PM0 without PM2", "PA0,0;" + repeat("PM0;PD10,10;", 100000) + "PM2;FP;PU0,0;PD40,0;PU;",
         {{"LWPOLYLINE", 1}}, {line}},
        // A drawing holds 256 linetypes, CONTINUOUS included: the 255 patterns
        // made first stay in use, a pattern beyond them draws solid lines.
        {"20000 pattern lengths make 255 linetypes, then lines are solid",
         patterns + "LT1,254.5,1;PD40,0;PU;LT1,255.5,1;PD80,0;PU;",
         {{"LWPOLYLINE", 1}, {"POLYLINE", 1}, {"VERTEX", 2}, {"SEQEND", 1}},
         {"POLYLINE 6=DOT2254 66=1 10=0.0 20=0.0 70=128", lw + "10=1.0 20=0.0 10=2.0 20=0.0 "}},
        {"DL with 200000 numbers", "DL1," + repeat("1,", 200000) + "1;PA0,0;PD40,0;PU;", {{"LWPOLYLINE", 1}},
         {line}},
        {"AA and CI with chord angles near 0 stay true arcs",
         "CT1;PA40,0;PD;AA0,0,90,0.0000001;PU;CI40,0.0000001;CT0;PA40,0;PD;AR-40,0,-90,360;PU;",
         {{"ARC", 2}, {"CIRCLE", 1}, {"LWPOLYLINE", 4}},
         {lw + "10=1.0 20=0.0 10=1.0125 20=0.0 ", arc + "0.0 51=90.0 ", "CIRCLE 10=0.0 20=1.0 40=1.0 ",
          arc + "-90.0 51=0.0 "}},
        // The start point and 50 points of the curve (the first on the start).
        {"BZ of a huge curve has at most 50 points", "PA0,0;PD;BZ0,400000,400000,400000,400000,0;PU;",
         {{"LWPOLYLINE", 1}}, {"LWPOLYLINE 90=51 70=0 10=0.0 20=0.0 "}},
        {"WG with a sweep of 1e200 degrees is a full circle", "PA0,0;WG40,0," + power_of_ten(200) + ";",
         {{"HATCH", 1}},
         {hatch + "SOLID 70=1 71=0 91=1 92=0 93=1 72=2 10=0.0 20=0.0 40=1.0 50=0.0 51=360.0 73=1"}},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].name);
        const std::string dxf = drawn("bounded" + std::to_string(i), "IN;SP1;" + rows[i].plot);
        EXPECT_EQ(entity_counts(dxf), rows[i].counts);
        std::string all;
        for (const std::string& e : entity_summaries(dxf)) all += e + " ";
        for (const std::string& part : rows[i].parts) EXPECT_NE(all.find(part), std::string::npos) << part;
    }
}

// The pen-down path grows in fixed steps only while it is short: a path of
// a million points is moved a few dozen times, not a thousand (each move
// copies the whole path). Counted directly, so a busy machine cannot hide it.
TEST(PathGrowth, LongPathsDoubleTheirRoom) {
    Context ctx;
    put_pen_down(ctx.interpreter);
    std::size_t room = 0;
    int moves = 0;
    for (int i = 0; i < 1000000; ++i) {
        add_path_vertex(ctx.interpreter, i, i % 2, 0.0, false);
        if (ctx.gs.path.vertices.capacity() != room) ++moves;
        room = ctx.gs.path.vertices.capacity();
    }
    // 32, then steps of 64 to 1024 up to 2016, 62 steps of 1024 to 65504,
    // one more to 66528, then 4 doublings.
    EXPECT_EQ(moves, 73);
    EXPECT_EQ(room, std::size_t{66528} * 16);
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
        EXPECT_EQ(entity_counts(drawn("pcl", pcl + data + back)), (Counts{{"LWPOLYLINE", lines}}));
    }
}

// Runs `body` as on a full disk: a file-size limit of 16 KB with SIGXFSZ
// ignored makes the writes beyond it fail (EFBIG) as they would with ENOSPC.
template <class Body>
void with_full_disk(Body body) {
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

using OutputSafety = ProgramTest;

TEST_F(OutputSafety, FullDiskLeavesTheOlderDrawingAndNoTemporaryFile) {
    make_folder("full");
    std::string plot = "IN;SP1;";  // 600 lines make a drawing of well over 16 KB
    for (int x = 0; x < 6000; x += 10) plot += "PU" + std::to_string(x) + ",0;PD" + std::to_string(x) + ",9;";
    write_file("A.PLT", plot + "PU;");
    write_file("full/A.DXF", "older drawing\n");
    const std::string out = path("full/A.DXF");
    const std::string failed = " \n\nFile read error: (disk full?)\n\nERROR Saving file: " + out +
                               "\nError is 27: Disk full\n\nEnd Translation. (0 files processed)\n";
    const std::vector<std::pair<Lines, std::string>> rows = {
        {{"A.PLT", out, "/2000"}, "(R2000,2002 format)"},
        {{"*.PLT", path("full/*.DXF"), "/12"}, "(R11-12 format)"},  // the write probe is made and removed
    };
    for (const auto& [args, format] : rows) {
        SCOPED_TRACE(args[0]);
        RunResult r;
        with_full_disk([&] { r = run(args); });
        EXPECT_EQ(r.status, 127);
        EXPECT_EQ(r.text, banner() + "\nA.PLT -> " + out + " " + format + failed);
        EXPECT_EQ(list("full"), Lines{"A.DXF"});
        EXPECT_EQ(read_file("full/A.DXF"), "older drawing\n");
    }
    EXPECT_EQ(run({"A.PLT", path("B.DXF"), "/2000"}).status, 0);  // with room again
    EXPECT_EQ(entity_counts(read_file("B.DXF")), (Counts{{"LWPOLYLINE", 600}}));
}

// The input is only ever read: same bytes, same modification time, also
// read-only, traced, or reached again through the output name (link: the
// output name is made a "symbolic" or "hard" link to the input first).
TEST_F(OutputSafety, InputIsNeverWritten) {
    const std::string plot = "IN;SP1;PA0,0;PD40,0;PU;", done = "End Translation. (1 files processed)\n";
    struct Row { std::string input; Lines args; std::string link; int status; std::string tail; };
    const std::vector<Row> rows = {
        {"A.PLT", {"A.PLT", "/PARSE"}, "", 0, done},           // read-only and traced
        {"A.PLX", {"A.PLX", "B.DXF", "/PARSE"}, "", 0, done},  // a trace as input writes no trace over itself
        {"A.PLT", {"A.PLT", "A.PLT"}, "", 1, "ERROR: Output file should be DXF or DWG\n"},
        {"A.PLT", {"A.PLT", "L.DXF"}, "symbolic", 0, done}, {"A.PLT", {"A.PLT", "H.DXF"}, "hard", 0, done},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args[1] + " " + row.link);
        for (const std::string& name : list(""))
            if (name != "prog") std::filesystem::remove_all(path(name));
        const std::string input = path(row.input);
        write_file(row.input, plot);
        ::chmod(input.c_str(), 0444);
        const timespec old_times[2] = {{1000000000, 0}, {1000000000, 0}};
        ::utimensat(AT_FDCWD, input.c_str(), old_times, 0);
        if (row.link == "symbolic") std::filesystem::create_symlink(input, path(row.args[1]));
        if (row.link == "hard") std::filesystem::create_hard_link(input, path(row.args[1]));
        const RunResult r = run(row.args);
        EXPECT_EQ(r.status, row.status) << r.text;
        EXPECT_TRUE(r.text.ends_with(row.tail)) << r.text;
        struct stat s {};
        EXPECT_EQ(::stat(input.c_str(), &s), 0);
        EXPECT_EQ(s.st_mtim.tv_sec, 1000000000);
        EXPECT_EQ(read_file(row.input), plot);
        if (row.status == 0 && row.args[1] != "/PARSE") {  // the drawing replaced the link, not its target
            EXPECT_FALSE(std::filesystem::is_symlink(path(row.args[1])));
            EXPECT_EQ(entity_counts(read_file(row.args[1])).at("POLYLINE"), 1);
        }
    }
}

// The write probe of a wildcard run's output folder never stays behind: not
// after a good run (one that was there is overwritten), not after a refused file.
TEST_F(OutputSafety, WriteProbeNeverStaysBehind) {
    make_folder("out");
    write_file("out/WPROBE.CAD", "old");
    const Lines args = {"*.PLT", path("out/*.DXF"), "/2000"};
    write_file("A.PLT", "IN;SP1;PA0,0;PD40,0;PU;");
    EXPECT_EQ(run(args).status, 0);
    EXPECT_EQ(list("out"), Lines{"A.DXF"});
    std::filesystem::remove(path("out/A.DXF"));  // a PCL job is refused after the probe ran
    write_file("A.PLT", "\n\x1b%-12345X@PJL JOB\r\n@PJL ENTER LANGUAGE = PCL\r\n\x1b"
                        "E\x1b&l0Otext IN;SP1;");
    EXPECT_EQ(run(args).status, 1);
    EXPECT_EQ(list("out"), Lines{});
}

}  // namespace
}  // namespace penloom::testing
