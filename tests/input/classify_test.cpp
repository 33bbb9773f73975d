// Classifying a plot file from its first bytes: the wrappers removed, the
// language it starts in, what the reader delivers after, the sample size,
// and the refusals whose edges the whole-program tests do not reach.
#include "driver/classify.h"

#include <gtest/gtest.h>

#include <string>

#include "input/support.h"

namespace penloom {
namespace {

using testing::context_reading;
using testing::rest_of_input;

const std::string kRefused = "ERROR: This file is not a HPGL plot file. ";
const std::string kPlot = "IN;SP1;PA100,100;PD200,200;PU;" + std::string(60, ' ');

TEST(Classify, DecidesFromTheFirstBytes) {
    const std::string pjl_pcl = "\x1b%-12345X@PJL JOB\r\n@PJL ENTER LANGUAGE = PCL\r\n\x1b" "E\x1b&l0O";
    const std::string pjl_hpgl = "\x1b%-12345X@PJL ENTER LANGUAGE=HPGL2\r\n";
    const std::string pcl_then_hpgl = "\n\x1b%-12345X@PJL ENTER LANGUAGE=PCL\n@PJL ENTER LANGUAGE=HPGL2\n";
    const std::string calcomp_late = std::string(20, ';') + "CALCOMP DEVICE CONTROL";
    // mode 0: refused; delivered: what the reader delivers after classification, or the refusal
    const struct { const char* name; std::string file; int mode; std::string delivered; } rows[] = {
        {"plain HP-GL", kPlot, 1, kPlot},
        {"leading zero bytes dropped", std::string(5, '\0') + kPlot, 1, kPlot},
        {"CalComp within 40 bytes", "0123456789CALCOMP DEVICE CONTROL" + kPlot, 0,
         kRefused + "(It's a CALCOMP plot file.)\n"},
        {"CalComp after 40 bytes is HP-GL", calcomp_late + kPlot, 1, calcomp_late + kPlot},
        {"PJL at the start", pjl_hpgl + kPlot, 3, pjl_hpgl + kPlot},
        {"PJL start in lower case", "\x1b%-12345x@PJL\r\n" + kPlot, 3, "\x1b%-12345x@PJL\r\n" + kPlot},
        {"PCL job after a line break, entry %1B", "\n" + pjl_pcl + "\x1b%1B" + kPlot, 1, "%1B" + kPlot},
        {"%1B is preferred to an earlier %0B", "\n" + pjl_pcl + "\x1b%0BPU;\x1b%1B" + kPlot, 1, "%1B" + kPlot},
        {"PCL job that enters HP-GL", pcl_then_hpgl + kPlot, 1, pcl_then_hpgl + kPlot},
        {"PostScript job", "\r\n\x1b%-12345X@PJL ENTER LANGUAGE=POSTSCRIPT\r\n%!PS\n" + kPlot, 0,
         kRefused + "It's a Postscript file.\n"},
        {"device control removed", "\x1b.(\x1b.I81;;17:" + kPlot, 1, kPlot},
        {"job header", "A1 PLOTJOB \x1b.(xx\x1b.(" + kPlot, 1, kPlot},
        {"metafile header", "BEGMF header ENDMF" + kPlot, 1, kPlot},
        {"ESC 7 Q", "\x1b\x07Q5" + kPlot, 1, kPlot},
        {"ESC z run", "\x1bzabc;\x1bZdef;" + kPlot, 1, kPlot},
        {"backslash e-1B", "\\e-1B" + kPlot, 1, kPlot},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading(row.file);
        const Classification result = classify_plot_file(ctx->gs.reader, ctx->gs.language);
        EXPECT_EQ(result.go_ahead, row.mode != 0);
        if (!result.go_ahead) {
            print_refusal(ctx->out, result);
            EXPECT_EQ(ctx->out.text(), row.delivered);
            continue;
        }
        EXPECT_EQ(ctx->out.text(), "");
        EXPECT_EQ(ctx->gs.language.mode, row.mode);
        EXPECT_EQ(rest_of_input(ctx->gs.reader), row.delivered);
    }
}

TEST(Classify, SampleSizeFollowsTheFileLength) {
    // lost: bytes the reader no longer delivers
    const struct { const char* name; std::string file; std::size_t head; std::size_t lost; } rows[] = {
        {"ten bytes: nine", "IN;PA1,1;\n", 9, 0},
        {"ends in L: one more", std::string(26, ';') + "L;;;", 28, 0},
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

}  // namespace
}  // namespace penloom
