// The per-file pipeline: progress line, opening the input with its
// diagnosis, the parse trace, the file length, the identical-names check,
// the save and the line end.
#include <cstdio>

#include "driver/fatal.h"

#include "driver/pipeline.h"
#include "driver_fixture.h"

namespace penloom::testing {
namespace {

class PipelineTest : public DriverTest {};

TEST_F(PipelineTest, UnreadableInputEndsTheRun) {
    make_folder("FOLDER.PLT");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string tail;
    };
    const Case cases[] = {
        {"missing file", {"B.PLT"},
         "\nB.PLT -> B.DXF (R11-12 format) \nError: Could not open Plot File: B.PLT\n"
         "Error: No such file or directory\n"},
        {"missing after PLT appended", {"B", "/14"},
         "\nB.PLT -> B.DXF (R14 format) \nError: Could not open Plot File: B.PLT\n"
         "Error: No such file or directory\n"},
        {"missing folder", {"none/B.PLT"},
         "\nnone/B.PLT -> none/B.DXF (R11-12 format) \nError: Could not open Plot File: none/B.PLT\n"
         "Error: No such file or directory\n"},
        {"a folder", {"FOLDER.PLT"},
         "\nFOLDER.PLT -> FOLDER.DXF (R11-12 format) \nError: Could not open Plot File: FOLDER.PLT\n"
         "Error: Is a directory\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunResult r = run(c.args);
        EXPECT_EQ(r.status, -1);  // no closing line after a fatal error
        EXPECT_EQ(r.text, banner() + c.tail);
    }
}

TEST_F(PipelineTest, InputFoundWithoutCase) {
    make_folder("plots");
    write_file("plots/mixed.Plt", "IN;");
    RunResult r = run({"plots\\MIXED.PLT"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.text, banner() + "\nplots\\MIXED.PLT -> plots\\MIXED.DXF (R11-12 format)  OK.\n"
                                 "End Translation. (1 files processed)\n");
}

TEST_F(PipelineTest, TestRunOpensNothing) {
    make_folder("FOLDER.PLT");
    RunResult r = run({"FOLDER.PLT", "/TEST", "/PARSE"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.text, banner() + "Test Run. NO FILES WILL BE TRANSLATED.\n\n"
                                 "FOLDER.PLT -> FOLDER.DXF (R11-12 format) \nEnd Test Run. (1 files processed)\n");
    EXPECT_EQ(last.pipeline.trace_path, "");
    EXPECT_EQ(last.pipeline.file_length, 0);
}

TEST_F(PipelineTest, ParseTraceName) {
    make_folder("plots");
    write_file("A.PLT", "IN;");
    write_file("plots/p1.hpg", "IN;PA0,0;");
    write_file("T.plx", "IN;");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* settings;
        bool parse_trace_after;
        const char* trace_path;
    };
    const Case cases[] = {
        {"off", {"A.PLT"}, "", false, ""},
        {"switch", {"A.PLT", "/PARSE"}, "", true, "A.plx"},
        {"setting", {"A.PLT"}, "Parser=1", true, "A.plx"},
        {"wildcard input path", {"plots/*.hpg", "/PARSE"}, "", true, "plots/p1.plx"},
        {"a PLX input turns tracing off", {"T.plx", "/PARSE"}, "", false, ""},
        {"a PLX input with the setting", {"T.PLX"}, "Parser=1", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(path("A.plx").c_str());
        std::remove(path("plots/p1.plx").c_str());
        write_settings(std::string("[Settings]\n") + c.settings + "\n");
        RunResult r = run(c.args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(last.batch.parse_trace, c.parse_trace_after);
        EXPECT_EQ(last.pipeline.trace_path, c.trace_path);
        // The trace holds every byte read, so here the whole plot.
        if (*c.trace_path != 0) {
            EXPECT_EQ(read_file(c.trace_path), c.args[0] == "A.PLT" ? "IN;" : "IN;PA0,0;");
        }
        EXPECT_EQ(exists("A.plx") || exists("plots/p1.plx"), *c.trace_path != 0);
    }
}

TEST_F(PipelineTest, FileLengthAndClosedInput) {
    write_file("A.PLT", std::string(5000, ';'));
    RunResult r = run({"a.plt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(last.pipeline.file_length, 5000);
    EXPECT_EQ(last.pipeline.input, nullptr);
    EXPECT_FALSE(last.batch.continue_input);
}

TEST_F(PipelineTest, PlxInputKeepsTracingOffForTheRestOfTheRun) {
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

TEST_F(PipelineTest, ContinuedInputIsNotReopened) {
    write_file("A.PLT", "IN;PG;IN;");
    Context ctx;
    ctx.batch.parse_trace = true;
    ctx.batch.input_name = "A.PLT";
    open_plot_file(ctx, false);
    std::FILE* first = ctx.pipeline.input.get();
    ASSERT_NE(first, nullptr);
    ctx.pipeline.keep_input_open = true;
    close_plot_files(ctx);
    EXPECT_EQ(ctx.pipeline.input.get(), first);
    ctx.batch.input_name = "renamed.PLT";  // a continuing pass never opens by name
    open_plot_file(ctx, true);
    EXPECT_EQ(ctx.pipeline.input.get(), first);
    EXPECT_EQ(ctx.pipeline.trace_path, "A.plx");  // one trace file per input file
    release_plot_input(ctx);
    EXPECT_EQ(ctx.pipeline.input, nullptr);
    EXPECT_FALSE(ctx.pipeline.keep_input_open);
}

// The command line never lets an output name equal its input name, so the
// check is driven here directly.
TEST_F(PipelineTest, IdenticalNamesEndTheRun) {
    write_file("Same.DXF", "IN;");
    struct Case {
        const char* name;
        bool test_run;
        const char* input;
        const char* output;
    };
    const Case cases[] = {
        {"translation", false, "Same.DXF", "same.dxf"},
        {"test run", true, "Same.DXF", "SAME.DXF"},
        {"test run, missing input", true, "Gone.DXF", "Gone.DXF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Context ctx;
        ctx.batch.test_run = c.test_run;
        ctx.batch.input_name = c.input;
        ctx.batch.output_name = c.output;
        bool continue_input = false;
        int status = 0;
        try {
            (void)translate_one(ctx, continue_input);
        } catch (const FatalExit& fatal) {
            status = fatal.status;
        }
        EXPECT_EQ(status, -1);
        EXPECT_EQ(ctx.out.text(), std::string(c.input) + " -> " + c.output +
                                      " (R11-12 format) ERROR: Input and Output file names identical.\n");
    }
}

}  // namespace
}  // namespace penloom::testing
