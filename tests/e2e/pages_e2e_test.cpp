// Whole runs over what decides the drawings a plot file gives: foreign files
// refused with their lines and status 1, wrappers stripped before the first
// HP-GL instruction, page ends (PG, NR, RP) that start a further drawing or
// are ignored, and the parse trace of a file with escape sequences and
// control bytes. The drawings are kept under $PENLOOM_E2E_DIR for the ezdxf
// read-back.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/drawn.h"
#include "support/program_run.h"

namespace penloom::testing {
namespace {

using namespace std::string_literals;

const std::string kProgress = "\nA.PLT -> A.DXF (R11-12 format) ";
// One line from (0,0) to (10,10) millimetres.
const std::string kLine = "IN;SP1;PA0,0;PD400,400;PU;";

class PlotPages : public ProgramTest {
protected:
    // The line work of one drawing of the last run.
    std::vector<Drawn> line_work(const std::string& name) const {
        std::map<std::string, int> counts;
        return line_work_of(read_file(name), counts);
    }
    void keep(const std::string& label) const { keep_drawings("pages_" + label, "\"acadver\": \"AC1009\""); }
};

TEST_F(PlotPages, ForeignFilesAreRefused) {
    const std::string pcl = "ERROR: This file is not a HPGL plot file. It's a PCL (Printer Command Language) file.\n";
    const std::string ps = "ERROR: This file is not a HPGL plot file. It's a Postscript file.\n";
    const std::string dmp = "ERROR: This file is not a HPGL plot file. It's a DMP plot file.\n";
    const std::string calcomp = "ERROR: This file is not a HPGL plot file. (It's a CALCOMP plot file.)\n";
    struct Row { const char* name; std::string plot; std::string lines; };
    const Row rows[] = {
        {"PCL job without HP-GL/2 entry",
         "\n\x1b%-12345X@PJL JOB\r\n@PJL ENTER LANGUAGE = PCL\r\n\x1b" "E\x1b&l0Otext" + kLine, pcl},
        {"PCL and PostScript job",
         "\n\x1b%-12345X@PJL ENTER LANGUAGE=PCL\n@PJL ENTER LANGUAGE=POSTSCRIPT\n" + kLine, pcl + ps},
        {"PostScript", "%!PS-Adobe-3.0\n%%Title: A\n" + kLine, ps},
        {"DMP", " ;:" + kLine, dmp},
        {"CalComp", "0123CALCOMP DEVICE CONTROL" + kLine, calcomp},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const RunResult r = run_plot(row.plot);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.text, banner() + kProgress + row.lines);
        EXPECT_EQ(drawings(), std::vector<std::string>{});
    }
}

TEST_F(PlotPages, WrappersAreStrippedBeforeTheLine) {
    const std::string padding(40, ';');  // keeps the wrapper inside the classified sample
    struct Row { const char* name; std::string plot; };
    const Row rows[] = {
        {"pjl", "\x1b%-12345X@PJL ENTER LANGUAGE=HPGL2\r\n" + kLine},
        {"pcl", "\n\x1b%-12345X@PJL JOB\r\n@PJL ENTER LANGUAGE = PCL\r\n\x1b" "E\x1b%1B" + kLine + padding},
        {"device_control", "\x1b.(\x1b.I81;;17:" + kLine},
        {"zero_bytes", std::string(5, '\0') + kLine},
        {"metafile", "BEGMF header ENDMF" + kLine},
        {"esc_z", "\x1bzabc;\x1bZdef;" + kLine},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const RunResult r = run_plot(row.plot);
        ASSERT_EQ(r.status, 0) << r.text;
        EXPECT_EQ(r.text, banner() + kProgress + " OK.\nEnd Translation. (1 files processed)\n");
        EXPECT_EQ(drawings(), std::vector<std::string>{"A.DXF"});
        EXPECT_TRUE(same_entities(line_work("A.DXF"), {polyline({{0, 0}, {10, 10}})}));
        keep(row.name);
    }
}

TEST_F(PlotPages, PageEndsMakeFurtherDrawings) {
    const std::string tail(2100, ';');  // a long file: the page end is far from its end
    const Drawn second = polyline({{0, 0}, {20, 0}});
    struct Row {
        const char* name;
        std::string ini;
        std::string plot;
        std::vector<std::string> drawings;
        std::vector<Drawn> last;  // line work of the last drawing
    };
    const Row rows[] = {
        {"pg_at_the_end", "", std::string(14, ' ') + "IN;PA100,100;PD200,200;PG;", {"A.DXF"},
         {polyline({{2.5, 2.5}, {5, 5}})}},
        {"pg", "", kLine + "PG;PA0,0;PD800,0;PU;" + tail, {"A-2.DXF", "A.DXF"}, {second}},
        {"nr_in", "[Settings]\nIgnoreNR=1\n", kLine + "NR;IN;SP1;PA0,0;PD800,0;PU;" + tail,
         {"A-2.DXF", "A.DXF"}, {second}},
        {"nr_ignored", "[Settings]\nIgnoreNR=1\n", kLine + "NR;SP1;SP1;SP1;SP1;SP1;IN;PA0,0;PD800,0;PU;" + tail,
         {"A.DXF"}, {polyline({{0, 0}, {10, 10}}), second}},
        {"rp1", "", kLine + "RP1;PA0,0;PD800,0;PU;" + tail, {"A.DXF"}, {polyline({{0, 0}, {10, 10}}), second}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const RunResult r = run_plot(row.plot, {}, row.ini);
        ASSERT_EQ(r.status, 0) << r.text;
        EXPECT_EQ(drawings(), row.drawings);
        EXPECT_TRUE(same_entities(line_work(row.drawings.front()), row.last));
        keep(row.name);
    }
}

TEST_F(PlotPages, SecondPageKeepsP1P2AndTheRotation) {
    // P1, P2 and the rotation set on page 1 hold on page 2; the user scale
    // is reset for every page, so page 2 draws in plotter units until its
    // own SC (which then maps onto page 1's P1 and P2).
    const RunResult r = run_plot("IN;SP1;RO90;IP0,0,4000,4000;SC0,100,0,100;PA0,0;PD10,10;PU;PG;"
                                 "SP1;PA0,0;PD20,20;PU;SC0,100,0,100;PA0,0;PD20,20;PU;" + std::string(2100, ';'));
    ASSERT_EQ(r.status, 0) << r.text;
    // The blank line comes once per input file, not per page.
    EXPECT_EQ(r.text, banner() + kProgress + " OK.\nA.PLT -> A-2.DXF (R11-12 format)  OK.\n"
                                             "End Translation. (1 files processed)\n");
    EXPECT_TRUE(same_entities(line_work("A.DXF"), {polyline({{0, 0}, {-10, 10}})}));
    EXPECT_TRUE(same_entities(line_work("A-2.DXF"),
                              {polyline({{0, 0}, {-0.5, 0.5}}), polyline({{0, 0}, {-20, 20}})}));
    keep("scaling");
}

TEST_F(PlotPages, ParseTraceShowsEscapesAndControlBytes) {
    write_file("A.PLT", "IN;\x1b%1BSP1;\x03PA0,0;\r\nPD400,400;\tPU;");
    const RunResult r = run({"A.PLT", "/PARSE"});
    ASSERT_EQ(r.status, 0) << r.text;
    EXPECT_EQ(read_file("A.plx"), "IN;\nESC%1BSP1; 03PA0,0;\r\nPD400,400; 09PU;");
}

}  // namespace
}  // namespace penloom::testing
