// Wildcard runs with several files translated at once (/J): the console
// text, the drawings left and the exit status are those of the same run
// taken one file at a time (/J=1).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "driver/command_line.h"
#include "driver_fixture.h"

namespace penloom::testing {
namespace {

class ParallelBatch : public DriverTest {
protected:
    // Runs the arguments with /J=1 and then with /J=4 (drawings of the first
    // run moved to "one/", of the second to "four/"); both must print the
    // same and end with the same status. Returns the /J=4 run.
    RunResult run_both(std::vector<std::string> args, const std::string& out_folder) {
        args.push_back("/J=1");
        RunResult one = run(args);
        move_drawings(out_folder, "one");
        args.back() = "/J=4";
        RunResult four = run(args);
        EXPECT_EQ(four.status, one.status);
        EXPECT_EQ(four.text, one.text);
        move_drawings(out_folder, "four");
        return four;
    }

    // Every file the run left in `from`, moved into a new folder `to`.
    void move_drawings(const std::string& from, const std::string& to) {
        make_folder(to);
        for (const std::string& name : list(from)) {
            const std::string source = from.empty() ? name : from + "/" + name;
            if (std::filesystem::is_regular_file(path(source)) && !ends_with_plot(name))
                std::filesystem::rename(path(source), path(to + "/" + name));
        }
    }

    static bool ends_with_plot(const std::string& name) {
        return name.size() > 4 && name.compare(name.size() - 4, 4, ".plt") == 0;
    }

    // A drawing without its creation and update dates (the value after
    // $TDCREATE and $TDUPDATE).
    std::string undated(const std::string& relative) const {
        std::string text = read_file(relative);
        for (const char* name : {"$TDCREATE", "$TDUPDATE"}) {
            std::size_t at = text.find(name);
            if (at == std::string::npos) continue;
            std::size_t code_line = text.find('\n', at) + 1;
            std::size_t value_start = text.find('\n', code_line) + 1;
            text.erase(value_start, text.find('\n', value_start) - value_start);
        }
        return text;
    }
};

std::string done(int n) { return "End Translation. (" + std::to_string(n) + " files processed)\n"; }

// The third file is no plot file: the run ends there, at once and without
// the closing line, as it does one file at a time; the later files are
// neither printed nor written.
TEST_F(ParallelBatch, FileThatIsNoPlotEndsTheRunAsInOrder) {
    write_settings("[Settings]\n");
    make_folder("in");
    make_folder("out");
    for (int i = 1; i <= 6; ++i)
        write_file("in/f" + std::to_string(i) + ".plt",
                   i == 3 ? "%!PS-Adobe-3.0\n%%Pages: 1\nnewpath 0 0 moveto 100 100 lineto stroke\nshowpage\n"
                          : "IN;SP1;PA100,100;PD" + std::to_string(i * 100) + ",2000;PU;");
    RunResult r = run_both({"in/*.plt", "out"}, "out");
    const std::string out = root_ + "/out/";
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.text, banner() + "\n" + "f1.plt -> " + out + "f1.DXF (R11-12 format)  OK.\n" + "f2.plt -> " +
                          out + "f2.DXF (R11-12 format) " + " OK.\n" + "f3.plt -> " + out +
                          "f3.DXF (R11-12 format) " +
                          "ERROR: This file is not a HPGL plot file. It's a Postscript file.\n");
    const std::vector<std::string> left{"f1.DXF", "f2.DXF"};
    EXPECT_EQ(list("one"), left);
    EXPECT_EQ(list("four"), left);
}

// The third drawing cannot be saved (a folder has its name): the run ends
// there with the save error and the closing line, as it does in order.
TEST_F(ParallelBatch, DrawingThatCannotBeSavedEndsTheRunAsInOrder) {
    write_settings("[Settings]\n");
    make_folder("in");
    make_folder("out/f3.DXF");
    for (int i = 1; i <= 6; ++i) write_file("in/f" + std::to_string(i) + ".plt", "IN;SP1;PA100,100;PD500,900;PU;");
    RunResult r = run_both({"in/*.plt", "out"}, "out");
    const std::string out = root_ + "/out/";
    EXPECT_EQ(r.status, 103);
    EXPECT_EQ(r.text, banner() + "\n" + "f1.plt -> " + out + "f1.DXF (R11-12 format)  OK.\n" + "f2.plt -> " +
                          out + "f2.DXF (R11-12 format)  OK.\n" + "f3.plt -> " + out + "f3.DXF (R11-12 format) " +
                          "\nERROR Saving file: " + out + "f3.DXF" +
                          "\nIs the disk full? Is the file already open in another application (e.g. AutoCAD?)" +
                          "\nError is 3: Can't open file\n\n" + done(2));
    const std::vector<std::string> left{"f1.DXF", "f2.DXF"};
    EXPECT_EQ(list("one"), left);
    EXPECT_EQ(list("four"), left);
}

// 200 small plots of several kinds (lines, arcs, fills, labels, a second
// page) give the same drawings at /J=1 and /J=4. Some hand state on to the
// next file (a character size, the number of pens, a pen left down), as
// plots may, and one begins with bare numbers.
TEST_F(ParallelBatch, TwoHundredPlotsGiveTheSameDrawings) {
    write_settings("[Settings]\n");
    make_folder("in");
    std::mt19937 random(23);
    auto number = [&](int low, int high) { return std::to_string(std::uniform_int_distribution(low, high)(random)); };
    for (int i = 0; i < 200; ++i) {
        std::string plot = "IN;SP" + number(1, 8) + ";";
        for (int k = 0; k < 6; ++k) plot += "PU" + number(0, 9000) + "," + number(0, 9000) + ";PD" + number(0, 9000) + "," + number(0, 9000) + "," + number(0, 9000) + "," + number(0, 9000) + ";";
        switch (i % 5) {
        case 0: plot += "PA5000,5000;CI" + number(100, 900) + ";AA5000,5000,120;"; break;
        case 1: plot += "FT3," + number(50, 200) + ",45;RA" + number(6000, 9000) + ",8000;"; break;
        case 2: plot += "PA1000,1000;SI0.3,0.4;LBlabel " + std::to_string(i) + "\x03;"; break;
        case 3: plot += "PM0;PA2000,2000;PD3000,2000,3000,3000;PM2;FP;"; break;
        case 4: plot += "LT2;PD8000,8000;"; break;
        }
        // State the next file starts with: the same for a run of files, then another.
        const char* handed_on[] = {"NP4;", "SM*;", "TL2;", "DT#;", "SD1,21,2,1;", "PU;PA0,0;PD;", "FT3,100,30;"};
        if (i >= 100 && i < 130) plot += handed_on[(i / 5) % 7];
        if (i == 150) plot += "PA;";
        if (i == 151) plot = "100,100;" + plot;  // bare numbers first
        if (i % 40 == 7) plot += "PG;" + plot + std::string(300, ' ');  // a second page
        char name[16];
        std::snprintf(name, sizeof name, "p%03d.plt", i);
        write_file(std::string("in/") + name, plot);
    }
    make_folder("out");
    RunResult r = run_both({"in/*.plt", "out"}, "out");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.text.find(done(200)), std::string::npos);
    const std::vector<std::string> names = list("one");
    EXPECT_EQ(names.size(), 205u);
    EXPECT_EQ(list("four"), names);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ASSERT_EQ(undated("four/" + name), undated("one/" + name));
    }
    // One drawing of each kind, and a second page, for the ezdxf read-back.
    for (const char* name : {"p000", "p001", "p002", "p003", "p004", "p007-2"})
        keep_for_readback(path(std::string("four/") + name + ".DXF"), std::string("parallel_batch_") + name, "");
}

// Each page of a file keeps its place and its name in a parallel run; the
// drawings are read back by ezdxf.
TEST_F(ParallelBatch, PagesOfAFileStayInOrder) {
    write_settings("[Settings]\n");
    make_folder("in");
    make_folder("out");
    write_file("in/a.plt", "IN;SP1;PA0,0;PD1000,1000;PU;");
    write_file("in/b.plt", "IN;SP2;PA0,0;PD2000,0;PU;PG;SP3;PA0,0;PD0,3000;PU;PG;SP4;PA0,0;PD4000,4000;PU;" +
                               std::string(300, ' '));
    write_file("in/c.plt", "IN;SP5;PA0,0;PD500,500;PU;");
    RunResult r = run_both({"in/*.plt", "out"}, "out");
    const std::string out = root_ + "/out/";
    auto ok = [&](const std::string& in, const std::string& drawing) {
        return in + " -> " + out + drawing + " (R11-12 format)  OK.\n";
    };
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.text, banner() + "\n" + ok("a.plt", "a.DXF") + ok("b.plt", "b.DXF") + ok("b.plt", "b-2.DXF") +
                          ok("b.plt", "b-3.DXF") + ok("c.plt", "c.DXF") + done(3));
    const std::vector<std::string> left{"a.DXF", "b-2.DXF", "b-3.DXF", "b.DXF", "c.DXF"};
    EXPECT_EQ(list("four"), left);
    for (const std::string& name : left) {
        EXPECT_EQ(undated("four/" + name), undated("one/" + name));
        keep_for_readback(path("four/" + name), "parallel_pages_" + name.substr(0, name.size() - 4), "");
    }
}

// A test run writes nothing, however many files it takes at once.
TEST_F(ParallelBatch, TestRunWritesNothing) {
    write_settings("[Settings]\n");
    make_folder("in");
    for (const char* name : {"in/a.plt", "in/b.plt", "in/c.plt"}) write_file(name, "IN;SP1;PD100,100;");
    RunResult r = run({"in/*.plt", "/TEST", "/J=4"});
    const std::string in = root_ + "/in/";
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.text, banner() + "Test Run. NO FILES WILL BE TRANSLATED.\n\n" + "a.plt -> " + in +
                          "a.DXF (R11-12 format) \n" + "b.plt -> " + in + "b.DXF (R11-12 format) \n" + "c.plt -> " +
                          in + "c.DXF (R11-12 format) \n" + "End Test Run. (3 files processed)\n");
    EXPECT_EQ(list("in"), (std::vector<std::string>{"a.plt", "b.plt", "c.plt"}));
}

// /J reads its count as /R reads its angle; `Jobs` is the default.
TEST(Batch, JobsSwitch) {
    const struct { const char* argument; int in_force, expected; } rows[] = {
        {"/J=4", 0, 4}, {"/J=1", 3, 1}, {"-J=2", 0, 2}, {"/j=3", 0, 3}, {"/J=", 5, 5},     {"/J=x", 5, 5},
        {"/J", 5, 5},   {"/J=-2", 5, 0}, {"/J=0", 5, 0}, {"/J=100000", 1, max_jobs}, {"/J4", 1, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.argument);
        EXPECT_EQ(jobs_from_switch(row.argument, row.in_force), row.expected);
    }
}

}  // namespace
}  // namespace penloom::testing
