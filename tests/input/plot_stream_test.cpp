// The plot stream: PJL commands, the skip to the next HP-GL entry point,
// and the deferred IN.
#include "driver/plot_stream.h"

#include <gtest/gtest.h>

#include <string>

#include "input/language_mode.h"
#include "input/support.h"

namespace penloom {
namespace {

using testing::context_reading;
using testing::rest_of_input;

TEST(PlotStream, PjlCommandsSetModeAndResolution) {
    // commands: PJL commands to run; left: the input left after them
    const struct { const char* name; std::string input; int commands, mode, resolution; bool pcl_context;
                   std::string left; } rows[] = {
        {"enter HP-GL/2", "\x1b%-12345X@PJL ENTER LANGUAGE=HPGL2\r\nIN;", 1, 1, 300, false, "IN;"},
        {"enter PCL with blanks", "@PJL ENTER LANGUAGE = PCL\nX", 1, 4, 300, true, "X"},
        {"enter PostScript", "\r\n@PJL enter language=postscript\n", 1, 5, 300, false, ""},
        {"unknown language stays PJL", "@PJL ENTER LANGUAGE=FOO\nIN;", 1, 3, 300, false, "IN;"},
        {"resolution 600", "@PJL SET RESOLUTION=600\n", 1, 3, 600, false, ""},
        {"resolution 700 ignored", "@PJL SET RESOLUTION = 700\n", 1, 3, 300, false, ""},
        {"RET doubles 1200 on entering a language",
         "@PJL SET RESOLUTION=1200\r\n@PJL SET RET=ON\r\n@PJL ENTER LANGUAGE=PCL\r\n", 3, 4, 2400,
         true, ""},
        {"RET off keeps 1200",
         "@PJL SET RESOLUTION=1200\n@PJL SET RET=OFF\n@PJL ENTER LANGUAGE=HPGL\n", 3, 1, 1200,
         false, ""},
        {"leading blanks and other commands", "@PJL   \tJOB NAME=\"x\"\n@PJL COMMENT\nA", 2, 3, 300,
         false, "A"},
        {"not PJL falls back to HP-GL", "IN;PA1;", 1, 1, 300, false, "N;PA1;"},
        {"broken universal exit", "\x1b%-123IN;", 1, 1, 300, false, "N;"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading(row.input);
        ctx->gs.language.mode = language_pjl;
        for (int i = 0; i < row.commands; ++i) run_pjl_command(*ctx);
        EXPECT_EQ(ctx->gs.language.mode, row.mode);
        EXPECT_EQ(ctx->gs.language.resolution, row.resolution);
        EXPECT_EQ(ctx->gs.language.pcl_context, row.pcl_context);
        EXPECT_EQ(rest_of_input(ctx->gs.reader), row.left);
    }
    auto ctx = context_reading("@PJX");  // malformed
    ctx->gs.language.mode = language_pjl;
    run_pjl_command(*ctx);
    EXPECT_EQ(ctx->gs.command, -2);
    EXPECT_EQ(ctx->gs.language.mode, language_hpgl);
}

TEST(PlotStream, SkipsToTheNextHpglEntryPoint) {
    const struct { const char* name; std::string input; std::string left; } rows[] = {
        {"%1B", "\x1b" "E\x1b&l1O binary\x01\x02\x1b%1BIN;", "IN;"},
        {"universal exit", "%!PS\nshowpage\n\x1b%-12345X@PJL EOJ", "@PJL EOJ"},
        {"%2B is no entry", "\x1b%2B\x1b%1BA", "A"},
        {"ESC breaking a pattern is looked at again", "\x1b%-12\x1b%0BB", "B"},
        {"end of input", "no entry", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading(row.input);
        ctx->gs.language.mode = language_skip_pcl;
        skip_to_hpgl_entry(ctx->gs.reader, ctx->gs.language);
        EXPECT_EQ(ctx->gs.language.mode, language_hpgl);
        EXPECT_EQ(rest_of_input(ctx->gs.reader), row.left);
    }
}

TEST(PlotStream, ExecutesTheDeferredInFirst) {
    auto ctx = context_reading("5PA1;");
    ctx->gs.in_at_start = true;
    ctx->gs.current_x = 7;
    run_plot_stream(*ctx);
    EXPECT_FALSE(ctx->gs.in_at_start);
    EXPECT_EQ(ctx->gs.current_x, 0.0);
    EXPECT_EQ(ctx->gs.command_counter, 1);  // PA; the deferred IN is not counted
}

}  // namespace
}  // namespace penloom
