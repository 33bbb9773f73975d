// Whole runs over what decides the drawings a plot file gives: foreign files refused, wrappers stripped,
// PCL and HP-RTL jobs built byte by byte (raster data that looks like escapes and HP-GL, HP-GL/2 entered
// and left, form feeds, jobs cut short), page ends that start a drawing or are ignored, the parse trace.
#include "e2e/e2e_support.h"

namespace penloom::testing {
namespace {

using namespace std::string_literals;

const std::string ESC = "\x1b";
const std::string kProgress = "\nA.PLT -> A.DXF (R11-12 format) ";
const std::string kDone = "End Translation. (1 files processed)\n";
const std::string kLine = "IN;SP1;PA0,0;PD400,400;PU;";  // (0,0) to (10,10) millimetres
const std::string kTail(2100, ';');                       // keeps a page end far from the end of the file
const std::string kPjl = ESC + "%-12345X@PJL JOB\r\n";
const std::string kPjlPcl = kPjl + "@PJL ENTER LANGUAGE = PCL\r\n\x1b" "E";  // a PCL job after its reset
const std::string kRasterRow = ESC + "*b12W" + "\x1b%1BPD0,0;\x00\xff"s;  // its payload is never interpreted

class PlotFiles : public ProgramTest {
protected:
    // Runs the plot expecting status 0 and these drawings, kept as R12 with further `members`.
    RunResult run_ok(const std::string& label, const std::string& plot, const std::vector<std::string>& names,
                     const std::string& members = "", const std::string& ini = "") {
        const RunResult r = run_plot(plot, {}, ini);
        EXPECT_EQ(r.status, 0) << r.text;
        EXPECT_EQ(drawings(), names);
        keep_drawings("files_" + label, "\"acadver\": \"AC1009\"" + members);
        return r;
    }
    ::testing::AssertionResult line_work_is(const std::string& name, const std::vector<Drawn>& want) const {
        std::map<std::string, int> counts;
        return same_entities(line_work_of(read_file(name), counts), want);
    }
};

TEST_F(PlotFiles, ForeignFilesAreRefused) {
    const std::string refused = "ERROR: This file is not a HPGL plot file. ";
    const std::string pcl = refused + "It's a PCL (Printer Command Language) file.\n";
    const std::string ps = refused + "It's a Postscript file.\n";
    const struct { const char* name; std::string plot, lines; } rows[] = {
        {"PCL job without HP-GL/2 entry", "\n" + kPjlPcl + "\x1b&l0Otext" + kLine, pcl},
        {"PCL and PostScript job",
         "\n\x1b%-12345X@PJL ENTER LANGUAGE=PCL\n@PJL ENTER LANGUAGE=POSTSCRIPT\n" + kLine, pcl + ps},
        {"PostScript", "%!PS-Adobe-3.0\n%%Title: A\n" + kLine, ps},
        {"DMP", " ;:" + kLine, refused + "It's a DMP plot file.\n"},
        {"CalComp", "0123CALCOMP DEVICE CONTROL" + kLine, refused + "(It's a CALCOMP plot file.)\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const RunResult r = run_plot(row.plot);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.text, banner() + kProgress + row.lines);
        EXPECT_EQ(drawings(), std::vector<std::string>{});
    }
}

TEST_F(PlotFiles, WrappersAreStrippedBeforeTheLine) {
    const struct { const char* name; std::string plot; } rows[] = {
        {"pjl", "\x1b%-12345X@PJL ENTER LANGUAGE=HPGL2\r\n" + kLine},
        // The padding keeps the wrapper inside the classified sample.
        {"pcl", "\n" + kPjlPcl + "\x1b%1B" + kLine + std::string(40, ';')},
        {"device_control", "\x1b.(\x1b.I81;;17:" + kLine},
        {"zero_bytes", std::string(5, '\0') + kLine},
        {"metafile", "BEGMF header ENDMF" + kLine},
        {"esc_z", "\x1bzabc;\x1bZdef;" + kLine},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(run_ok(row.name, row.plot, {"A.DXF"}).text, banner() + kProgress + " OK.\n" + kDone);
        EXPECT_TRUE(line_work_is("A.DXF", {polyline({{0, 0}, {10, 10}})}));
    }
}

TEST_F(PlotFiles, PclJobsGiveTheirDrawings) {
    const std::string page = "IN;SP1;PA0,0;PD1000,1000;PU;";
    const std::string one = R"(, "entities": {"POLYLINE": 1})";
    // PJL switches to HP-RTL; raster data, a cursor move, then HP-GL/2 at the
    // cursor, one inch right and two down from the top-left: (25.4, 510.45) mm.
    run_ok("hprtl", kPjl + "@PJL ENTER LANGUAGE=HPRTL\r\n" + ESC + "E" + ESC + "*r1A" + kRasterRow + ESC +
                        "*rC" + ESC + "*p300x600Y" + ESC + "%1BSP1;PR;PD1000,0;PU;",
           {"A.DXF"}, one + R"(, "header": {"$EXTMIN": [25.4, 510.45, 0], "$EXTMAX": [50.4, 510.45, 0]})");
    // PJL enters PCL: skipped to ESC%1B; inside HP-GL the PCL switch ESC%0A
    // is no switch in such a job, and its data runs to the next ESC.
    run_ok("pjl_pcl", kPjlPcl + ESC + "&l1o2A" + ESC + "%1B" + kLine + ESC + "%0A" + ESC + "*p10X" + ESC +
                          "%0BPA0,0;" + ESC + "%-12345X@PJL EOJ\r\n",
           {"A.DXF"}, one);
    // PCL's form feed ends a page that has something drawn; the second page
    // comes after more raster data, far from the end of the file.
    run_ok("form_feed", "IN;" + ESC + "%0A" + ESC + "%1B" + page + ESC + "%0A\f" + kRasterRow + ESC + "%1B" +
                            page + std::string(300, ';'),
           {"A-2.DXF", "A.DXF"}, one);
    // Jobs cut short end with the input in one drawing, nothing left hanging.
    const std::string cut[] = {
        "IN;" + ESC + "%0A" + ESC + "*b999999999W" + "\x1b%1BPD;"s,     // a count past the end
        "IN;PA0,0;" + ESC + "%0A" + ESC + "(s12",                       // a sequence cut by the end
        "IN;" + ESC + "%0A" + ESC + "*b40000V" + std::string(40, 'x'),  // a plane count above its limit
        "IN;" + ESC + "%0A" + ESC + "*c59E;;;" + ESC + "%0BPA0,0;",     // stop characters
    };
    for (int i = 0; i < 4; ++i) run_ok("cut_" + std::to_string(i), cut[i], {"A.DXF"}, R"(, "entities": {})");
}

TEST_F(PlotFiles, PageEndsMakeFurtherDrawings) {
    const Drawn first = polyline({{0, 0}, {10, 10}}), second = polyline({{0, 0}, {20, 0}});
    const std::string ignore_nr = "[Settings]\nIgnoreNR=1\n";
    // last: the line work of the first drawing named, the last one written
    const struct { const char* name; std::string ini, plot; std::vector<std::string> drawings;
                   std::vector<Drawn> last; } rows[] = {
        {"pg_at_the_end", "", std::string(14, ' ') + "IN;PA100,100;PD200,200;PG;", {"A.DXF"},
         {polyline({{2.5, 2.5}, {5, 5}})}},
        {"pg", "", kLine + "PG;PA0,0;PD800,0;PU;" + kTail, {"A-2.DXF", "A.DXF"}, {second}},
        {"nr_in", ignore_nr, kLine + "NR;IN;SP1;PA0,0;PD800,0;PU;" + kTail, {"A-2.DXF", "A.DXF"}, {second}},
        {"nr_ignored", ignore_nr, kLine + "NR;SP1;SP1;SP1;SP1;SP1;IN;PA0,0;PD800,0;PU;" + kTail, {"A.DXF"},
         {first, second}},
        {"rp1", "", kLine + "RP1;PA0,0;PD800,0;PU;" + kTail, {"A.DXF"}, {first, second}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        run_ok(row.name, row.plot, row.drawings, "", row.ini);
        EXPECT_TRUE(line_work_is(row.drawings.front(), row.last));
    }
}

TEST_F(PlotFiles, SecondPageKeepsP1P2AndTheRotation) {
    // Page 2 draws in plotter units until its own SC, which maps onto page 1's P1 and P2.
    const RunResult r = run_ok("scaling", "IN;SP1;RO90;IP0,0,4000,4000;SC0,100,0,100;PA0,0;PD10,10;PU;PG;"
                                          "SP1;PA0,0;PD20,20;PU;SC0,100,0,100;PA0,0;PD20,20;PU;" + kTail,
                               {"A-2.DXF", "A.DXF"});
    // The blank line comes once per input file, not per page.
    EXPECT_EQ(r.text, banner() + kProgress + " OK.\nA.PLT -> A-2.DXF (R11-12 format)  OK.\n" + kDone);
    EXPECT_TRUE(line_work_is("A.DXF", {polyline({{0, 0}, {-10, 10}})}));
    EXPECT_TRUE(line_work_is("A-2.DXF", {polyline({{0, 0}, {-0.5, 0.5}}), polyline({{0, 0}, {-20, 20}})}));
}

TEST_F(PlotFiles, ParseTraceShowsEscapesAndControlBytes) {
    write_file("A.PLT", "IN;\x1b%1BSP1;\x03PA0,0;\r\nPD400,400;\tPU;");
    const RunResult r = run({"A.PLT", "/PARSE"});
    ASSERT_EQ(r.status, 0) << r.text;
    EXPECT_EQ(read_file("A.plx"), "IN;\nESC%1BSP1; 03PA0,0;\r\nPD400,400; 09PU;");
}

}  // namespace
}  // namespace penloom::testing
