// The per-file pipeline: opening the input with its diagnosis, the parse
// trace, and the identical-names check.
#include <cstdio>

#include "driver/fatal.h"
#include "driver/pipeline.h"
#include "driver_fixture.h"

namespace penloom::testing {
namespace {

TEST_F(DriverTest, OpeningTheInput) {
    make_folder("FOLDER.PLT");
    make_folder("plots");
    write_file("plots/mixed.Plt", std::string(5000, ';'));
    const std::string missing = "Error: No such file or directory\n";
    // status -1: a fatal error, no closing line
    const struct { const char* name; std::vector<std::string> args; int status; std::string tail; } rows[] = {
        {"missing file", {"B.PLT"}, -1,
         "\nB.PLT -> B.DXF (R11-12 format) \nError: Could not open Plot File: B.PLT\n" + missing},
        {"missing folder", {"none/B.PLT"}, -1,
         "\nnone/B.PLT -> none/B.DXF (R11-12 format) \nError: Could not open Plot File: none/B.PLT\n" + missing},
        {"a folder", {"FOLDER.PLT"}, -1,
         "\nFOLDER.PLT -> FOLDER.DXF (R11-12 format) \nError: Could not open Plot File: FOLDER.PLT\n"
         "Error: Is a directory\n"},
        {"a test run opens nothing", {"FOLDER.PLT", "/TEST", "/PARSE"}, 0,
         "Test Run. NO FILES WILL BE TRANSLATED.\n\nFOLDER.PLT -> FOLDER.DXF (R11-12 format) \n"
         "End Test Run. (1 files processed)\n"},
        {"found without case", {"plots\\MIXED.PLT"}, 0,
         "\nplots\\MIXED.PLT -> plots\\MIXED.DXF (R11-12 format)  OK.\nEnd Translation. (1 files processed)\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RunResult r = run(row.args);
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.text, banner() + row.tail);
        EXPECT_EQ(last.pipeline.input, nullptr);  // closed after the run
        EXPECT_EQ(last.pipeline.file_length, row.status == 0 && row.args.size() == 1 ? 5000 : 0);
        EXPECT_EQ(last.pipeline.trace_path, "");
    }
}

TEST_F(DriverTest, ParseTraceName) {
    make_folder("plots");
    write_file("A.PLT", "IN;");
    write_file("plots/p1.hpg", "IN;PA0,0;");
    write_file("T.plx", "IN;");
    const struct { const char* name; std::vector<std::string> args; const char* settings;
                   bool parse_trace_after; const char* trace_path; } rows[] = {
        {"off", {"A.PLT"}, "", false, ""},
        {"setting", {"A.PLT"}, "Parser=1", true, "A.plx"},
        {"wildcard input path", {"plots/*.hpg", "/PARSE"}, "", true, "plots/p1.plx"},
        {"a PLX input turns tracing off", {"T.plx", "/PARSE"}, "", false, ""},
        {"a PLX input with the setting", {"T.PLX"}, "Parser=1", false, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::remove(path("A.plx").c_str());
        std::remove(path("plots/p1.plx").c_str());
        write_settings(std::string("[Settings]\n") + row.settings + "\n");
        RunResult r = run(row.args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(last.batch.parse_trace, row.parse_trace_after);
        EXPECT_EQ(last.pipeline.trace_path, row.trace_path);
        if (*row.trace_path != 0) {  // every byte read: here the whole plot
            EXPECT_EQ(read_file(row.trace_path), row.args[0] == "A.PLT" ? "IN;" : "IN;PA0,0;");
        }
        EXPECT_EQ(exists("A.plx") || exists("plots/p1.plx"), *row.trace_path != 0);
    }
}

TEST_F(DriverTest, PlxInputKeepsTracingOffForTheRestOfTheRun) {
    write_file("A.plx", "IN;");
    write_file("B.plt", "IN;");
    Context ctx;
    ctx.batch.parse_trace = true;
    ctx.batch.input_name = "A.plx";
    open_plot_file(ctx, false);
    EXPECT_TRUE(ctx.pipeline.input_is_plx);
    EXPECT_FALSE(ctx.batch.parse_trace);
    close_plot_files(ctx);
    ctx.batch.input_name = "B.plt";
    open_plot_file(ctx, false);
    EXPECT_FALSE(ctx.batch.parse_trace);
    EXPECT_EQ(ctx.pipeline.trace_path, "");
}

// The command line never lets an output name equal its input name, so the
// check is driven here directly.
TEST_F(DriverTest, IdenticalNamesEndTheRun) {
    write_file("Same.DXF", "IN;");
    const struct { bool test_run; const char *input, *output; } rows[] = {
        {false, "Same.DXF", "same.dxf"}, {true, "Same.DXF", "SAME.DXF"}, {true, "Gone.DXF", "Gone.DXF"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.output);
        Context ctx;
        ctx.batch.test_run = row.test_run;
        ctx.batch.input_name = row.input;
        ctx.batch.output_name = row.output;
        bool continue_input = false;
        int status = 0;
        try {
            (void)translate_one(ctx, continue_input);
        } catch (const FatalExit& fatal) {
            status = fatal.status;
        }
        EXPECT_EQ(status, -1);
        EXPECT_EQ(ctx.out.text(), std::string(row.input) + " -> " + row.output +
                                      " (R11-12 format) ERROR: Input and Output file names identical.\n");
    }
}

}  // namespace
}  // namespace penloom::testing
