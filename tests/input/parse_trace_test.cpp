// The parse trace: every byte echoed with controls visible, the head
// already delivered, suppressed echo and numbers. Decoded PE pieces show in
// the interpreter's PE tests.
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
        {"ESC, ETX and NUL", std::string("\x1b" "E\x03\0", 4), "\nESCE 03 00"},
        {"line ends and bytes from 28 verbatim", "A\r\nB\x1c\xff", "A\r\nB\x1c\xff"},
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
