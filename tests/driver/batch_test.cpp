// The batch loop: wildcard searches, output folders and their refusals,
// built output names for every drawing and page, and test runs.
#include "driver/batch.h"
#include "driver/fatal.h"
#include "driver_fixture.h"

namespace penloom::testing {
namespace {

class BatchTest : public DriverTest {
protected:
    void SetUp() override {
        DriverTest::SetUp();
        write_file("b.plt", "IN;");
        write_file("A.PLT", "IN;");
        write_file("notes.txt", "");
        make_folder("dir.plt");  // a folder is never an input
    }
};

TEST_F(BatchTest, WildcardRuns) {
    make_folder("plots");
    write_file("plots/p1.plt", "IN;");
    make_folder("OUTDIR");
    // Earlier rows write drawings into the current folder, so the row that
    // takes every name looks into a folder of its own.
    make_folder("star");
    write_file("star/b.plt", "IN;");
    write_file("star/A.PLT", "IN;");
    write_file("star/notes.txt", "");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* settings;
        int status;
        std::string tail;  // after the banner
    };
    const std::string cwd = root_ + "/";
    const Case cases[] = {
        {"no match", {"*.HPG"}, "", 0, "\nEnd Translation. (0 files processed)\n"},
        {"matches in name order, case ignored", {"*.plt"}, "", 0,
         "\nA.PLT -> " + cwd + "A.DXF (R11-12 format)  OK.\n" +
             "b.plt -> " + cwd + "b.DXF (R11-12 format)  OK.\n" + "End Translation. (2 files processed)\n"},
        {"question mark", {"?.PLT", "/TEST"}, "", 0,
         "Test Run. NO FILES WILL BE TRANSLATED.\n\nA.PLT -> " + cwd + "A.DXF (R11-12 format) \n" +
             "b.plt -> " + cwd + "b.DXF (R11-12 format) \n" + "End Test Run. (2 files processed)\n"},
        // DWG goes through the converter, which this program folder lacks:
        // the first file stops the batch.
        {"OutputExt dwg", {"*.PLT"}, "OutputExt=dwg", -2,
         "\nA.PLT -> " + cwd + "A.DWG (R11-12 format) 1 load_dll_dc() FAILED:\n\n" +
             "End Translation. (0 files processed)\n"},
        {"DWG selector", {"*.PLT", "OUTDIR\\*.DWG"}, "", -2,
         "\nA.PLT -> " + cwd + "OUTDIR/A.DWG (R11-12 format) 1 load_dll_dc() FAILED:\n\n" +
             "End Translation. (0 files processed)\n"},
        {"DXF selector beats OutputExt", {"A*.PLT", "OUTDIR/*.dxf", "/2000"}, "OutputExt=dwg", 0,
         "\nA.PLT -> " + cwd + "OUTDIR/A.DXF (R2000,2002 format)  OK.\nEnd Translation. (1 files processed)\n"},
        {"output folder without selector", {"A*.PLT", "OUTDIR"}, "", 0,
         "\nA.PLT -> " + cwd + "OUTDIR/A.DXF (R11-12 format)  OK.\nEnd Translation. (1 files processed)\n"},
        {"absolute output folder", {"A*.PLT", cwd + "OUTDIR/"}, "", 0,
         "\nA.PLT -> " + cwd + "OUTDIR/A.DXF (R11-12 format)  OK.\nEnd Translation. (1 files processed)\n"},
        {"pattern folder is the output folder", {"plots/*.PLT"}, "", 0,
         "\np1.plt -> " + cwd + "plots/p1.DXF (R11-12 format)  OK.\nEnd Translation. (1 files processed)\n"},
        {"selector alone: current folder", {"*.PLT", "*.DXF", "/R=90"}, "", 0,
         "\nA.PLT -> " + cwd + "A.DXF (R11-12 format)  : rotated 90 degrees OK.\n" +
             "b.plt -> " + cwd + "b.DXF (R11-12 format)  : rotated 90 degrees OK.\n" +
             "End Translation. (2 files processed)\n"},
        {"star only warns", {"star/*", "OUTDIR"}, "", 0,
         "ERROR: Wildcard pattern must specify an extension.  e.g. *.PLT\n\n"
         "A.PLT -> " + cwd + "OUTDIR/A.DXF (R11-12 format)  OK.\n" +
             "b.plt -> " + cwd + "OUTDIR/b.DXF (R11-12 format)  OK.\n" +
             "notes.txt -> " + cwd + "OUTDIR/notes.DXF (R11-12 format)  OK.\n" +
             "End Translation. (3 files processed)\n"},
        {"star dot star refused", {"*.*"}, "", 1,
         "ERROR: Wildcard pattern must specify an extension.  e.g. *.PLT \n       *.* pattern not allowed.\n"},
        {"DXF pattern refused", {"*.dxf"}, "", 1, "ERROR: Source file should not be DXF or DWG\n"},
        {"missing output folder", {"*.PLT", "nowhere"}, "", 1,
         "ERROR: Output directory must exist.\n       ( " + cwd + "nowhere )\n"},
        {"missing output folder with selector", {"*.PLT", "nowhere\\*.DXF"}, "", 1,
         "ERROR: Output directory must exist.\n       ( " + cwd + "nowhere/ )\n"},
        {"output folder is a file", {"*.PLT", "notes.txt"}, "", 1,
         "ERROR: Output directory must exist.\n       ( " + cwd + "notes.txt )\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write_settings(std::string("[Settings]\n") + c.settings + "\n");
        RunResult r = run(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.text, banner() + c.tail);
    }
}

// Root can write anywhere, so the unwritable folder is one that already
// holds a folder named "WPROBE.CAD": the probe file cannot be created there.
TEST_F(BatchTest, UnwritableOutputFolder) {
    make_folder("RO/WPROBE.CAD");
    RunResult r = run({"*.PLT", "RO"});
    EXPECT_EQ(r.status, -36);
    EXPECT_EQ(r.text, banner() + "Error: Unable to write to folder " + root_ + "/RO/");
}

TEST_F(BatchTest, NothingIsLeftInTheOutputFolder) {
    make_folder("OUTDIR");
    RunResult r = run({"*.PLT", "OUTDIR", "/TEST"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(list("OUTDIR").empty());
}

TEST_F(BatchTest, NextInputTakesTheSearchInOrder) {
    BatchState batch;
    batch.wildcard = true;
    batch.input_pattern = "*.PLT";
    batch.wildcard_folder = "";
    ASSERT_TRUE(next_input(batch));
    EXPECT_EQ(batch.input_name, "A.PLT");
    EXPECT_EQ(batch.input_path, "A.PLT");
    ASSERT_TRUE(next_input(batch));
    EXPECT_EQ(batch.input_name, "b.plt");
    EXPECT_FALSE(next_input(batch));
    EXPECT_FALSE(next_input(batch));

    BatchState single;
    single.input_name = "X.PLT";
    EXPECT_TRUE(next_input(single));
    EXPECT_EQ(single.input_name, "X.PLT");
}

TEST_F(BatchTest, OutputNamesOfEveryPage) {
    struct Case {
        const char* name;
        bool wildcard;
        const char* output_name;  // before fixing
        const char* output_folder;
        int selector;
        bool dwg_default;
        int page;
        const char* expected_name;
        const char* expected_folder;
        bool expected_dwg;
    };
    const Case cases[] = {
        {"first page keeps the given name", false, "B.DWG", "", 0, false, 0, "B.DWG", "", true},
        {"first page, folder from the name", false, "out/B.DXF", "", 0, false, 0, "out/B.DXF", "out/", false},
        {"second page", false, "A.DXF", "", 0, false, 1, "A-2.DXF", "", false},
        {"third page", false, "A.DXF", "", 0, false, 2, "A-3.DXF", "", false},
        {"later pages named from the input", false, "out/B.DWG", "out/", 0, false, 1, "out/A-2.DXF", "out/", false},
        {"later pages with dwg default", false, "B.DWG", "", 0, true, 1, "A-2.DWG", "", true},
        {"wildcard first page", true, "", "/o/", 0, false, 0, "/o/A.DXF", "/o/", false},
        {"wildcard second page", true, "", "/o/", 0, false, 1, "/o/A-2.DXF", "/o/", false},
        {"wildcard DWG selector", true, "", "/o/", 2, false, 2, "/o/A-3.DWG", "/o/", true},
        {"wildcard DXF selector", true, "", "/o/", 1, true, 0, "/o/A.DXF", "/o/", false},
        {"wildcard dwg default", true, "", "/o/", 0, true, 0, "/o/A.DWG", "/o/", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Context ctx;
        ctx.batch.wildcard = c.wildcard;
        ctx.batch.input_name = "A.PLT";
        ctx.batch.output_name = c.output_name;
        ctx.batch.output_folder = c.output_folder;
        ctx.batch.extension_selector = c.selector;
        ctx.batch.output_is_dwg = std::string(c.output_name).find(".DWG") != std::string::npos;
        ctx.settings.output_is_dwg = c.dwg_default;
        ctx.gs.page_counter = c.page;
        fix_output_name(ctx);
        EXPECT_EQ(ctx.batch.output_name, c.expected_name);
        EXPECT_EQ(ctx.batch.output_folder, c.expected_folder);
        EXPECT_EQ(ctx.batch.output_is_dwg, c.expected_dwg);
        EXPECT_EQ(ctx.out.text(), "");
    }
}

}  // namespace
}  // namespace penloom::testing
