// The plot stream: classifying a plot file from its first bytes (what the
// reader delivers after, the sample size, and the edges the whole-program
// tests of wrappers and foreign files do not reach), PJL commands, the skip
// to the next HP-GL entry point, and the deferred IN.
#include "driver/plot_stream.h"

#include <gtest/gtest.h>

#include <string>

#include "driver/classify.h"
#include "input/language_mode.h"
#include "input/support.h"

namespace penloom {
namespace {

using testing::context_reading;
using testing::rest_of_input;

const std::string kRefused = "ERROR: This file is not a HPGL plot file. ";
const std::string kPlot = "IN;SP1;PA100,100;PD200,200;PU;" + std::string(60, ' ');

TEST(Classify, DecidesFromTheFirstBytes) {
    const std::string pjl_pcl = "\x1b%-12345X@PJL JOB\r\n@PJL ENTER LANGUAGE = PCL\r\n\x1b" "E\x1b&l0O";
    const std::string pcl_then_hpgl = "\n\x1b%-12345X@PJL ENTER LANGUAGE=PCL\n@PJL ENTER LANGUAGE=HPGL2\n";
    const std::string calcomp = "CALCOMP DEVICE CONTROL", calcomp_late = std::string(20, ';') + calcomp;
    // mode 0: refused; delivered: what the reader delivers after classification, or the refusal
    const struct { const char* name; std::string file; int mode; std::string delivered; } rows[] = {
        {"plain HP-GL", kPlot, 1, kPlot},
        {"CalComp at 10", "0123456789" + calcomp + kPlot, 0, kRefused + "(It's a CALCOMP plot file.)\n"},
        {"CalComp after 40 bytes is HP-GL", calcomp_late + kPlot, 1, calcomp_late + kPlot},
        {"PJL start in lower case", "\x1b%-12345x@PJL\r\n" + kPlot, 3, "\x1b%-12345x@PJL\r\n" + kPlot},
        {"%1B preferred to an earlier %0B", "\n" + pjl_pcl + "\x1b%0BPU;\x1b%1B" + kPlot, 1, "%1B" + kPlot},
        {"PCL job that enters HP-GL", pcl_then_hpgl + kPlot, 1, pcl_then_hpgl + kPlot},
        {"job header", "A1 PLOTJOB \x1b.(xx\x1b.(" + kPlot, 1, kPlot},
        {"ESC 7 Q", "\x1b\x07Q5" + kPlot, 1, kPlot},
        {"backslash e-1B", "\\e-1B" + kPlot, 1, kPlot},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading(row.file);
        const Classification result = classify_plot_file(ctx->gs.reader, ctx->gs.language);
        EXPECT_EQ(result.go_ahead, row.mode != 0);
        if (!result.go_ahead) print_refusal(ctx->out, result);
        EXPECT_EQ(result.go_ahead ? rest_of_input(ctx->gs.reader) : ctx->out.text(), row.delivered);
        EXPECT_EQ(result.go_ahead ? ctx->gs.language.mode : 0, row.mode);
    }
}

TEST(Classify, SampleSizeFollowsTheFileLength) {
    // lost: bytes the reader no longer delivers
    const struct { const char* name; std::string file; std::size_t head, lost; } rows[] = {
        {"ten bytes: nine", "IN;PA1,1;\n", 9, 0},
        {"large file ending in L", std::string(2047, ';') + "L" + std::string(3000, ';'), 2049, 0},
        {"one byte: none", "I", 0, 0},
        {"device control without colon loses the sample", "\x1b.(" + std::string(2400, 'x') + "IN;", 0, 2048},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading(row.file);
        ASSERT_TRUE(classify_plot_file(ctx->gs.reader, ctx->gs.language).go_ahead);
        EXPECT_EQ(ctx->gs.reader.head_length, row.head);
        EXPECT_EQ(rest_of_input(ctx->gs.reader), row.file.substr(row.lost));
    }
}

TEST(Classify, FlagsStartClearForEveryFile) {
    auto ctx = context_reading("\n\x1b%-12345X@PJL ENTER LANGUAGE=PCL\n" + kPlot);
    EXPECT_FALSE(classify_plot_file(ctx->gs.reader, ctx->gs.language).go_ahead);
    attach_plot_bytes(ctx->gs.reader, " ;:" + kPlot);
    print_refusal(ctx->out, classify_plot_file(ctx->gs.reader, ctx->gs.language));
    EXPECT_EQ(ctx->out.text(), kRefused + "It's a DMP plot file.\n");
}

TEST(PlotStream, PjlCommandsSetModeAndResolution) {
    // commands: PJL commands to run; context: pcl_context after; left: the input left after them
    const struct { const char* name; std::string input; int commands, mode, resolution; bool context;
                   std::string left; } rows[] = {
        {"enter PCL with blanks", "@PJL ENTER LANGUAGE = PCL\nX", 1, 4, 300, true, "X"},
        {"unknown language stays PJL", "@PJL ENTER LANGUAGE=FOO\nIN;", 1, 3, 300, false, "IN;"},
        {"resolution 600", "@PJL SET RESOLUTION=600\n", 1, 3, 600, false, ""},
        {"resolution 700 ignored", "@PJL SET RESOLUTION = 700\n", 1, 3, 300, false, ""},
        {"RET doubles 1200 on entering a language",
         "@PJL SET RESOLUTION=1200\r\n@PJL SET RET=ON\r\n@PJL ENTER LANGUAGE=PCL\r\n", 3, 4, 2400, true, ""},
        {"RET off keeps 1200", "@PJL SET RESOLUTION=1200\n@PJL SET RET=OFF\n@PJL ENTER LANGUAGE=HPGL\n", 3, 1,
         1200, false, ""},
        {"leading blanks and other commands", "@PJL   \tJOB NAME=\"x\"\n@PJL COMMENT\nA", 2, 3, 300, false,
         "A"},
        {"not PJL falls back to HP-GL", "IN;PA1;", 1, 1, 300, false, "N;PA1;"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading(row.input);
        ctx->gs.language.mode = language_pjl;
        for (int i = 0; i < row.commands; ++i) run_pjl_command(ctx->interpreter);
        EXPECT_EQ(ctx->gs.language.mode, row.mode);
        EXPECT_EQ(ctx->gs.language.resolution, row.resolution);
        EXPECT_EQ(ctx->gs.language.pcl_context, row.context);
        EXPECT_EQ(rest_of_input(ctx->gs.reader), row.left);
    }
    auto ctx = context_reading("@PJX");  // malformed
    ctx->gs.language.mode = language_pjl;
    run_pjl_command(ctx->interpreter);
    EXPECT_EQ(ctx->gs.command, -2);
    EXPECT_EQ(ctx->gs.language.mode, language_hpgl);
}

TEST(PlotStream, SkipsToTheNextHpglEntryPoint) {
    const struct { std::string input, left; } rows[] = {
        {"\x1b" "E\x1b&l1O binary\x01\x02\x1b%1BIN;", "IN;"},
        {"%!PS\nshowpage\n\x1b%-12345X@PJL EOJ", "@PJL EOJ"},
        {"\x1b%2B\x1b%1BA", "A"}, {"\x1b%-12\x1b%0BB", "B"}, {"no entry", ""},
    };
    for (const auto& row : rows) {
        auto ctx = context_reading(row.input);
        ctx->gs.language.mode = language_skip_pcl;
        skip_to_hpgl_entry(ctx->gs.reader, ctx->gs.language);
        EXPECT_EQ(ctx->gs.language.mode, language_hpgl);
        EXPECT_EQ(rest_of_input(ctx->gs.reader), row.left) << row.input;
    }
}

TEST(PlotStream, ExecutesTheDeferredInFirst) {
    auto ctx = context_reading("5PA1;");
    ctx->gs.in_at_start = true;
    ctx->gs.current_x = 7;
    run_plot_stream(ctx->interpreter);
    EXPECT_FALSE(ctx->gs.in_at_start);
    EXPECT_EQ(ctx->gs.current_x, 0.0);
    EXPECT_EQ(ctx->gs.command_counter, 1);  // PA; the deferred IN is not counted
}

}  // namespace
}  // namespace penloom
