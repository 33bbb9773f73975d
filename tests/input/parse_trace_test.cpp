// The parse trace: every byte echoed with controls visible, the head
// already delivered, suppressed echo, numbers and decoded PE pieces.
#include "input/parse_trace.h"

#include <gtest/gtest.h>

#include "input/support.h"

namespace penloom {
namespace {

using testing::context_reading;
using testing::TempFile;

TEST(ParseTrace, EchoesEveryByteWithControlsVisible) {
    const struct { const char* name; std::string input; std::string expected; } rows[] = {
        {"plain text with a dropped space", "PA 1;", "PA 1;"},
        {"ESC E", "\x1b" "E", "\nESCE"},
        {"ETX as hex", "A\x03", "A 03"},
        {"line ends verbatim", "A\r\nB", "A\r\nB"},
        {"tab and NUL as hex", std::string("\t\0Z", 3), " 09 00Z"},
        {"bytes from 28 verbatim", "\x1c\xff", "\x1c\xff"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempFile trace("trace_echo");
        auto ctx = context_reading(row.input);
        ReaderState& reader = ctx->gs.reader;
        ASSERT_TRUE(open_trace_file(reader, trace.path));
        while (next_char(reader) != kEndOfInput) {
        }
        EXPECT_EQ(trace.read(), row.expected);  // flushed without closing
        close_trace_file(reader);
    }
}

TEST(ParseTrace, FirstReadWritesTheHeadAlreadyDelivered) {
    TempFile trace("trace_head");
    auto ctx = context_reading("abcdef");
    ReaderState& reader = ctx->gs.reader;
    for (int i = 0; i < 3; ++i) read_file_byte(reader);
    install_head(reader, reinterpret_cast<const unsigned char*>("xyz"), 3);
    EXPECT_EQ(next_byte(reader), 'x');
    EXPECT_EQ(next_byte(reader), 'y');
    ASSERT_TRUE(open_trace_file(reader, trace.path));
    EXPECT_EQ(trace.read(), "");
    EXPECT_EQ(next_char(reader), 'Z');
    EXPECT_EQ(trace.read(), "xyz");
    EXPECT_EQ(next_byte(reader), 'd');
    EXPECT_EQ(trace.read(), "xyzd");
    close_trace_file(reader);
}

TEST(ParseTrace, SuppressedEchoStillShowsControls) {
    TempFile trace("trace_suppressed");
    auto ctx = context_reading("ab\x1b" "c\x02" "d");
    ReaderState& reader = ctx->gs.reader;
    ASSERT_TRUE(open_trace_file(reader, trace.path));
    EXPECT_EQ(next_byte(reader), 'a');
    suppress_echo(reader, true);
    while (next_char_keep_case(reader) != 'c') {
    }
    suppress_echo(reader, false);
    next_char_keep_case(reader);
    EXPECT_EQ(trace.read(), "a\nESC 02d");
    close_trace_file(reader);
}

TEST(ParseTrace, FormatsNumbersLikeTrimmedPercentLf) {
    const std::pair<double, const char*> rows[] = {{12.5, "12.5"}, {3.0, "3"}, {-0.25, "-0.25"}, {0.0, "0"},
                                                   {1e6, "1000000"}, {1e-7, "0"}, {-1234.5678, "-1234.5678"}};
    for (const auto& [value, text] : rows) EXPECT_EQ(format_trace_number(value), text);
}

TEST(ParseTrace, WritesDecodedPePieces) {
    TempFile trace("trace_pe");
    auto ctx = context_reading("");
    ReaderState& reader = ctx->gs.reader;
    trace_pe_start(reader);  // tracing off: nothing
    ASSERT_TRUE(open_trace_file(reader, trace.path));
    trace_write(reader, "PE");
    trace_pe_start(reader);
    trace_pe_pen_up(reader);
    trace_pe_pair(reader, 0, 0);
    trace_pe_draw(reader, true, false, 1, 1);
    trace_pe_draw(reader, false, true, 2.5, -3);
    trace_pe_absolute(reader, true);
    trace_pe_pair(reader, 4, 4);
    trace_pe_absolute(reader, false);
    trace_pe_select_pen(reader, 3);
    trace_pe_fraction_bits(reader, 2);
    trace_pe_seven_bit(reader);
    trace_pe_rectangle(reader, true, true, 10, 20, 5, 6);
    trace_pe_rectangle(reader, false, false, 1, 2, 3, 4);
    trace_pe_end(reader);
    EXPECT_EQ(trace.read(),
              "PE-START\nPD\nPU0,0\nPDPR1,1\nPA2.5,-3\nPDPA4,4\nPA\nSP3\nFB2\nPB7"
              "\nRM\nPU\nPM0\nPA10,20ER5,6\nRM\nPU\nPR1,2ER3,4;\n");
    close_trace_file(reader);
}

TEST(ParseTrace, TraceFileNamesAndFilesThatCannotBeMade) {
    for (const char* name : {"a.plx", "dir/A.PLX", "C:\\x\\b.PlX"}) EXPECT_TRUE(is_trace_file_name(name)) << name;
    for (const char* name : {"a.plt", "plx", "a.plx/b", "a.plxx"}) EXPECT_FALSE(is_trace_file_name(name)) << name;
    auto ctx = context_reading("A");
    EXPECT_FALSE(open_trace_file(ctx->gs.reader, "/nonexistent-folder/x.plx"));
    EXPECT_FALSE(ctx->gs.reader.trace_on);
    EXPECT_EQ(next_char(ctx->gs.reader), 'A');
}

}  // namespace
}  // namespace penloom
