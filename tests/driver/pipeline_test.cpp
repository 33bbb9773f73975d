// The per-file pipeline: opening the input with its diagnosis, the parse
// trace, and the identical-names check.
#include <cstdio>

#include "construction/fatal.h"
#include "driver/pipeline.h"
#include "driver_fixture.h"

namespace penloom::testing {
namespace {

TEST_F(DriverTest, OpeningTheInput) {
    for (const char* folder : {"FOLDER.PLT", "plots", "sub", "twins"}) make_folder(folder);
    write_file("plots/mixed.Plt", std::string(5000, ';'));
    for (const char* name : {"sub/Deep.Plt", "twins/Twin.plt", "twins/twin.PLT"}) write_file(name, "");
    // The progress line of a run that cannot open its input, then the message of the system's reason.
    auto cannot_open = [](const std::string& input, const std::string& output, const char* reason) {
        return "\n" + input + " -> " + output + " (R11-12 format) \nError: Could not open Plot File: " +
               input + "\nError: " + reason + "\n";
    };
    const char* missing = "No such file or directory";
    // status -1: a fatal error, no closing line
    const struct { const char* name; std::vector<std::string> args; int status; std::string tail; } rows[] = {
        {"missing file", {"B.PLT"}, -1, cannot_open("B.PLT", "B.DXF", missing)},
        {"missing folder", {"none/B.PLT"}, -1, cannot_open("none/B.PLT", "none/B.DXF", missing)},
        {"a folder", {"FOLDER.PLT"}, -1, cannot_open("FOLDER.PLT", "FOLDER.DXF", "Is a directory")},
        {"only the file name is found without case", {"SUB\\deep.plt"}, -1,
         cannot_open("SUB\\deep.plt", "SUB\\deep.DXF", missing)},
        {"two names without case: neither is taken", {"twins/TWIN.PLT"}, -1,
         cannot_open("twins/TWIN.PLT", "twins/TWIN.DXF", missing)},
        {"a test run opens nothing", {"FOLDER.PLT", "/TEST", "/PARSE"}, 0,
         "Test Run. NO FILES WILL BE TRANSLATED.\n\nFOLDER.PLT -> FOLDER.DXF (R11-12 format) \n"
         "End Test Run. (1 files processed)\n"},
        {"found without case", {"plots\\MIXED.PLT"}, 0,
         "\nplots\\MIXED.PLT -> plots\\MIXED.DXF (R11-12 format)  OK.\n"
         "End Translation. (1 files processed)\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RunResult r = run(row.args);
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.text, banner() + row.tail);
        EXPECT_EQ(last->pipeline.input, nullptr);  // closed after the run
        EXPECT_EQ(last->pipeline.file_length, row.status == 0 && row.args.size() == 1 ? 5000 : 0);
        EXPECT_EQ(last->pipeline.trace_path, "");
    }
}

// The trace of every byte read goes beside the input as .plx; a PLX input
// turns tracing off for the rest of the run.
TEST_F(DriverTest, ParseTraceName) {
    for (const char* folder : {"plots", "plx"}) make_folder(folder);
    for (const char* name : {"A.PLT", "T.plx", "plx/T.plx", "plx/U.plt"}) write_file(name, "IN;");
    write_file("plots/p1.hpg", "IN;PA0,0;");
    const struct { const char* name; std::vector<std::string> args; const char *settings, *trace; } rows[] = {
        {"off", {"A.PLT"}, "", ""},
        {"setting", {"A.PLT"}, "Parser=1", "A.plx"},
        {"wildcard input path", {"plots/*.hpg", "/PARSE"}, "", "plots/p1.plx"},
        {"a PLX input", {"T.plx", "/PARSE"}, "", ""},
        {"a PLX input with the setting", {"T.PLX"}, "Parser=1", ""},
        {"a PLX input, then a plot", {"plx/*.pl?", "/PARSE"}, "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::remove(path("A.plx").c_str());
        std::remove(path("plots/p1.plx").c_str());
        write_settings(std::string("[Settings]\n") + row.settings + "\n");
        EXPECT_EQ(run(row.args).status, 0);
        EXPECT_EQ(last->pipeline.trace_path, row.trace);
        if (*row.trace != 0) {  // every byte read: here the whole plot
            EXPECT_EQ(read_file(row.trace), row.args[0] == "A.PLT" ? "IN;" : "IN;PA0,0;");
        }
        EXPECT_EQ(exists("A.plx") || exists("plots/p1.plx") || exists("plx/U.plx"), *row.trace != 0);
    }
}

// The command line never lets an output name equal its input name (names
// compared without case), so the check is driven here directly.
TEST_F(DriverTest, IdenticalNamesEndTheRun) {
    Context ctx;
    ctx.batch.test_run = true;  // not even a test run goes on
    ctx.batch.input_name = "Gone.DXF";
    ctx.batch.output_name = "GONE.dxf";
    bool continue_input = false;
    int status = 0;
    try {
        (void)translate_one(ctx, continue_input);
    } catch (const FatalExit& fatal) {
        status = fatal.status;
    }
    EXPECT_EQ(status, -1);
    EXPECT_EQ(ctx.out.text(),
              "Gone.DXF -> GONE.dxf (R11-12 format) ERROR: Input and Output file names identical.\n");
}

}  // namespace
}  // namespace penloom::testing
