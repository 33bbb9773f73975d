#include "driver/classify.h"

#include <gtest/gtest.h>

#include <string>

#include "input/support.h"

namespace penloom {
namespace {

using testing::context_reading;
using testing::rest_of_input;

const std::string kPs = "ERROR: This file is not a HPGL plot file. It's a Postscript file.\n";
const std::string kPcl =
    "ERROR: This file is not a HPGL plot file. It's a PCL (Printer Command Language) file.\n";
const std::string kDmp = "ERROR: This file is not a HPGL plot file. It's a DMP plot file.\n";
const std::string kCalcomp =
    "ERROR: This file is not a HPGL plot file. (It's a CALCOMP plot file.)\n";
const std::string kPlot = "IN;SP1;PA100,100;PD200,200;PU;" + std::string(60, ' ');

struct Row {
    const char* name;
    std::string file;
    bool go_ahead;
    int mode;
    std::string delivered;  // what the reader delivers after classification
    std::string messages;
};

TEST(Classify, DecidesFromTheFirstBytes) {
    const std::string pjl_pcl =
        "\x1b%-12345X@PJL JOB\r\n@PJL ENTER LANGUAGE = PCL\r\n\x1b"
        "E\x1b&l0O";
    const Row rows[] = {
        {"plain HP-GL", kPlot, true, 1, kPlot, ""},
        {"leading zero bytes dropped", std::string(5, '\0') + kPlot, true, 1, kPlot, ""},
        {"leading ESC bytes dropped", "\x1b\x1b" + kPlot, true, 1, kPlot, ""},
        {"DMP", " ;:" + kPlot, false, 1, "", kDmp},
        {"PostScript header", "%!PS-Adobe-3.0\n%%Title\n" + kPlot, false, 1, "", kPs},
        {"CalComp within 40 bytes", "0123456789CALCOMP DEVICE CONTROL" + kPlot, false, 1, "",
         kCalcomp},
        {"CalComp too late", std::string(20, ';') + "CALCOMP DEVICE CONTROL" + kPlot, true, 1,
         std::string(20, ';') + "CALCOMP DEVICE CONTROL" + kPlot, ""},
        {"PJL at the start", "\x1b%-12345X@PJL ENTER LANGUAGE=HPGL2\r\n" + kPlot, true, 3,
         "\x1b%-12345X@PJL ENTER LANGUAGE=HPGL2\r\n" + kPlot, ""},
        {"PJL start in lower case", "\x1b%-12345x@PJL\r\n" + kPlot, true, 3,
         "\x1b%-12345x@PJL\r\n" + kPlot, ""},
        {"PCL job after a line break, entry %1B", "\n" + pjl_pcl + "\x1b%1B" + kPlot, true, 1,
         "%1B" + kPlot, ""},
        {"PCL job without blanks", "\n\x1b%-12345X@PJL ENTER LANGUAGE=PCL\r\n\x1b%0BIN;" + kPlot,
         true, 1, "%0BIN;" + kPlot, ""},
        {"%1B is preferred to an earlier %0B", "\n" + pjl_pcl + "\x1b%0BPU;\x1b%1B" + kPlot, true,
         1, "%1B" + kPlot, ""},
        {"PCL job without HP-GL/2", "\n" + pjl_pcl + "text" + kPlot, false, 1, "", kPcl},
        {"PostScript job", "\r\n\x1b%-12345X@PJL ENTER LANGUAGE=POSTSCRIPT\r\n%!PS\n" + kPlot,
         false, 1, "", kPs},
        {"PCL and PostScript job",
         "\n\x1b%-12345X@PJL ENTER LANGUAGE=PCL\n@PJL ENTER LANGUAGE=POSTSCRIPT\n" + kPlot, false,
         1, "", kPcl + kPs},
        {"PCL job that enters HP-GL",
         "\n\x1b%-12345X@PJL ENTER LANGUAGE=PCL\n@PJL ENTER LANGUAGE=HPGL2\n" + kPlot, true, 1,
         "\n\x1b%-12345X@PJL ENTER LANGUAGE=PCL\n@PJL ENTER LANGUAGE=HPGL2\n" + kPlot, ""},
        {"device control removed", "\x1b.(\x1b.I81;;17:" + kPlot, true, 1, kPlot, ""},
        {"device control in the middle removed", "IN;\x1b.M10;;;13:" + kPlot, true, 1,
         "IN;" + kPlot, ""},
        {"job header", "A1 PLOTJOB \x1b.(xx\x1b.(" + kPlot, true, 1, kPlot, ""},
        {"metafile header", "BEGMF header ENDMF" + kPlot, true, 1, kPlot, ""},
        {"ESC 7 Q", "\x1b\x07Q5" + kPlot, true, 1, kPlot, ""},
        {"ESC z run", "\x1bzabc;\x1bZdef;" + kPlot, true, 1, kPlot, ""},
        {"backslash e-1B", "\\e-1B" + kPlot, true, 1, kPlot, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading(row.file);
        Classification result = classify_plot_file(ctx->gs.reader, ctx->gs.language);
        EXPECT_EQ(result.go_ahead, row.go_ahead);
        if (!result.go_ahead) print_refusal(ctx->out, result);
        EXPECT_EQ(ctx->out.text(), row.messages);
        if (!row.go_ahead) continue;
        EXPECT_EQ(ctx->gs.language.mode, row.mode);
        EXPECT_EQ(rest_of_input(ctx->gs.reader), row.delivered);
    }
}

TEST(Classify, SampleSizeFollowsTheFileLength) {
    struct SizeRow {
        const char* name;
        std::string file;
        std::size_t head;
    };
    const SizeRow rows[] = {
        {"ten bytes: nine", "IN;PA1,1;\n", 9},
        {"ends in L: one more", std::string(26, ';') + "L;;;", 28},
        {"large file: 2048", std::string(5000, ';'), 2048},
        {"large file ending in L", std::string(2047, ';') + "L" + std::string(3000, ';'), 2049},
        {"one byte: none", "I", 0},
    };
    for (const SizeRow& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading(row.file);
        ASSERT_TRUE(classify_plot_file(ctx->gs.reader, ctx->gs.language).go_ahead);
        EXPECT_EQ(ctx->gs.reader.head_length, row.head);
        EXPECT_EQ(rest_of_input(ctx->gs.reader), row.file);
    }
}

TEST(Classify, DeviceControlWithoutColonLosesTheSample) {
    std::string file = "\x1b.(" + std::string(2400, 'x') + "IN;PA1,1;";
    auto ctx = context_reading(file);
    ASSERT_TRUE(classify_plot_file(ctx->gs.reader, ctx->gs.language).go_ahead);
    EXPECT_EQ(ctx->gs.reader.head_length, 0u);
    EXPECT_EQ(rest_of_input(ctx->gs.reader), file.substr(2048));
}

TEST(Classify, FlagsStartClearForEveryFile) {
    auto ctx = context_reading("\n\x1b%-12345X@PJL ENTER LANGUAGE=PCL\n" + kPlot);
    Classification pcl = classify_plot_file(ctx->gs.reader, ctx->gs.language);
    EXPECT_FALSE(pcl.go_ahead);
    attach_plot_bytes(ctx->gs.reader, " ;:" + kPlot);
    Classification dmp = classify_plot_file(ctx->gs.reader, ctx->gs.language);
    print_refusal(ctx->out, dmp);
    EXPECT_EQ(ctx->out.text(), kDmp);
}

}  // namespace
}  // namespace penloom
