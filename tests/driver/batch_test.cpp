// The batch loop: wildcard searches, output folders and their refusals, and
// the output names built for every drawing and page.
#include "driver/batch.h"
#include "driver_fixture.h"

namespace penloom::testing {
namespace {

TEST_F(DriverTest, WildcardRuns) {
    // Rows write drawings into the current folder, so the row that takes every
    // name looks into a folder of its own, "star". dir.plt is never an input.
    for (const char* folder : {"star", "plots", "dir.plt", "OUTDIR"}) make_folder(folder);
    for (const char* name : {"b.plt", "A.PLT", "star/b.plt", "star/A.PLT", "plots/p1.plt"})
        write_file(name, "IN;");
    for (const char* name : {"notes.txt", "star/notes.txt"}) write_file(name, "");
    const std::string cwd = root_ + "/";
    auto ok = [&](const std::string& in, const std::string& out, const char* format = "R11-12") {
        return in + " -> " + cwd + out + " (" + format + " format)  OK.\n";
    };
    auto done = [](int n) { return "End Translation. (" + std::to_string(n) + " files processed)\n"; };
    const std::string missing = "ERROR: Output directory must exist.\n       ( " + cwd;
    const MessageRow rows[] = {
        {"no match", {"*.HPG"}, "", 0, "\n" + done(0)},
        {"matches in name order, case ignored", {"*.plt"}, "", 0,
         "\n" + ok("A.PLT", "A.DXF") + ok("b.plt", "b.DXF") + done(2)},
        {"question mark", {"?.PLT", "/TEST"}, "", 0,
         "Test Run. NO FILES WILL BE TRANSLATED.\n\nA.PLT -> " + cwd + "A.DXF (R11-12 format) \nb.plt -> " +
             cwd + "b.DXF (R11-12 format) \nEnd Test Run. (2 files processed)\n"},
        // Release 12 DWG, the default, is written by the program itself.
        {"OutputExt dwg", {"*.PLT"}, "OutputExt=dwg", 0,
         "\n" + ok("A.PLT", "A.DWG") + ok("b.plt", "b.DWG") + done(2)},
        {"DWG selector", {"*.PLT", "OUTDIR\\*.DWG"}, "", 0,
         "\n" + ok("A.PLT", "OUTDIR/A.DWG") + ok("b.plt", "OUTDIR/b.DWG") + done(2)},
        {"DXF selector beats OutputExt", {"A*.PLT", "OUTDIR/*.dxf", "/2000"}, "OutputExt=dwg", 0,
         "\n" + ok("A.PLT", "OUTDIR/A.DXF", "R2000,2002") + done(1)},
        {"no selector", {"A*.PLT", "OUTDIR"}, "", 0, "\n" + ok("A.PLT", "OUTDIR/A.DXF") + done(1)},
        {"the pattern's folder", {"plots/*.PLT"}, "", 0, "\n" + ok("p1.plt", "plots/p1.DXF") + done(1)},
        {"selector alone: current folder", {"*.PLT", "*.DXF", "/R=90"}, "", 0,
         "\nA.PLT -> " + cwd + "A.DXF (R11-12 format)  : rotated 90 degrees OK.\nb.plt -> " + cwd +
             "b.DXF (R11-12 format)  : rotated 90 degrees OK.\n" + done(2)},
        {"star only warns", {"star/*", "OUTDIR"}, "", 0,
         "ERROR: Wildcard pattern must specify an extension.  e.g. *.PLT\n\n" + ok("A.PLT", "OUTDIR/A.DXF") +
             ok("b.plt", "OUTDIR/b.DXF") + ok("notes.txt", "OUTDIR/notes.DXF") + done(3)},
        {"star dot star refused", {"*.*"}, "", 1,
         "ERROR: Wildcard pattern must specify an extension.  e.g. *.PLT \n"
         "       *.* pattern not allowed.\n"},
        {"DXF pattern refused", {"*.dxf"}, "", 1, "ERROR: Source file should not be DXF or DWG\n"},
        {"missing output folder with selector", {"*.PLT", "nowhere\\*.DXF"}, "", 1, missing + "nowhere/ )\n"},
        {"output folder is a file", {"*.PLT", "notes.txt"}, "", 1, missing + "notes.txt )\n"},
    };
    for (const MessageRow& row : rows) expect_messages(row);
}

// Names of later pages and the folder of a single output name (the names of
// wildcard runs' first pages: WildcardRuns).
TEST(Batch, OutputNamesOfEveryPage) {
    const struct { bool wildcard; const char *name, *folder; int selector; bool dwg_default; int page;
                   const char* expected; } rows[] = {  // expected: "name folder dwg"
        {false, "out/B.DXF", "", 0, false, 0, "out/B.DXF out/ 0"},
        {false, "out/B.DWG", "out/", 0, false, 1, "out/A-2.DXF out/ 0"},
        {false, "B.DWG", "", 0, true, 1, "A-2.DWG  1"},
        {true, "", "/o/", 2, false, 2, "/o/A-3.DWG /o/ 1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        Context ctx;
        ctx.batch.wildcard = row.wildcard;
        ctx.batch.input_name = "A.PLT";
        ctx.batch.output_name = row.name;
        ctx.batch.output_folder = row.folder;
        ctx.batch.extension_selector = row.selector;
        ctx.batch.output_is_dwg = std::string(row.name).find(".DWG") != std::string::npos;
        ctx.settings.output_is_dwg = row.dwg_default;
        ctx.gs.page_counter = row.page;
        fix_output_name(ctx);
        const BatchState& b = ctx.batch;
        EXPECT_EQ(b.output_name + " " + b.output_folder + " " + (b.output_is_dwg ? "1" : "0"), row.expected);
    }
}

}  // namespace
}  // namespace penloom::testing
