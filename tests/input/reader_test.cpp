// The byte reader: filtered characters, the head buffer in front of the
// file, saved positions, large files read in blocks; and the parse trace
// of what it reads (escapes, line ends and the head already delivered show
// in the whole-program trace).
#include "input/reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/parse_trace.h"
#include "input/support.h"

namespace penloom {
namespace {

using testing::context_reading;
using testing::rest_of_input;
using testing::TempFile;

enum class Reader { hpgl, keep_case, raw };

std::vector<int> chars(std::string_view text) {
    std::vector<int> out(text.begin(), text.end());
    for (int& c : out) c = static_cast<unsigned char>(c);
    out.push_back(-1);
    return out;
}

TEST(Reader, DeliversFilteredCharacters) {
    // expected: up to and including the first -1
    const struct { const char* name; std::string input; Reader which; std::vector<int> expected; } rows[] = {
        {"spaces after digits become commas", "PA 10 20;", Reader::hpgl, chars("PA10,20;")},
        {"space then comma gives two commas", "PA10 ,20", Reader::hpgl, chars("PA10,,20")},
        {"space after minus dropped", "- 5", Reader::hpgl, chars("-5")},
        {"high bytes kept, not upper-cased", "\xe9z", Reader::hpgl, {0xe9, 'Z', -1}},
        {"ESC and form feed kept", "\x1b\x0c\x01", Reader::hpgl, {27, 12, -1}},
        {"keep case: space after letter dropped", "a -5", Reader::keep_case, chars("a-5")},
        {"keep case: space after minus is a comma", "a- 5", Reader::keep_case, chars("a-,5")},
        {"keep case: space after digit is a comma", "1 b", Reader::keep_case, chars("1,b")},
        {"raw: nothing dropped", "a \r\n\x03", Reader::raw, chars("a \r\n\x03")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading(row.input);
        ReaderState& reader = ctx->gs.reader;
        std::vector<int> got;
        while (got.size() < row.expected.size()) {
            got.push_back(row.which == Reader::hpgl        ? next_char(reader)
                          : row.which == Reader::keep_case ? next_char_keep_case(reader)
                                                           : next_byte(reader));
            EXPECT_EQ(reader.current, got.back());
        }
        EXPECT_EQ(got, row.expected);
        EXPECT_EQ(reader.end_of_input, row.which != Reader::raw);
    }
}

TEST(Reader, HeadBufferComesFirstThenTheFileAndPositionsComeBack) {
    auto ctx = context_reading("0123456789");
    ReaderState& reader = ctx->gs.reader;
    for (int i = 0; i < 5; ++i) read_file_byte(reader);
    install_head(reader, reinterpret_cast<const unsigned char*>("abc"), 3);
    EXPECT_EQ(input_position(reader), 2);
    EXPECT_EQ(bytes_remaining(reader), 8);
    EXPECT_EQ(next_byte(reader), 'a');
    const ReadPosition in_head = save_position(reader);
    EXPECT_EQ(rest_of_input(reader), "bc56789");  // from the head into the file
    EXPECT_EQ(bytes_remaining(reader), 0);
    restore_position(reader, in_head);
    EXPECT_EQ(rest_of_input(reader), "bc56789");
    restore_position(reader, ReadPosition{3, 8});  // a position in the file
    EXPECT_EQ(rest_of_input(reader), "89");
}

TEST(Reader, ReadsLargeFilesInBlocksAndSeeksBack) {
    std::string data;
    for (std::size_t i = 0; i < 2 * kReadBlock + 100; ++i) data.push_back(static_cast<char>('A' + i % 26));
    TempFile file("reader_large", data);
    std::FILE* stream = std::fopen(file.path.c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    ReaderState reader;
    attach_plot_file(reader, stream, static_cast<std::int64_t>(data.size()));
    std::string got;
    for (int c = next_byte(reader); c != -1; c = next_byte(reader)) got.push_back(static_cast<char>(c));
    EXPECT_TRUE(got == data);
    restore_position(reader, ReadPosition{0, 1000});  // back into the first block: a seek
    EXPECT_EQ(next_byte(reader), static_cast<unsigned char>(data[1000]));
    detach_plot_input(reader);
    std::fclose(stream);
}

TEST(ParseTrace, EchoesNulAndBytesFrom28Verbatim) {
    TempFile trace("trace_echo");
    auto ctx = context_reading(std::string("PA 1;\0B\x1c\xff", 9));
    ASSERT_TRUE(open_trace_file(ctx->gs.reader, trace.path));
    while (next_char(ctx->gs.reader) != kEndOfInput) {
    }
    EXPECT_EQ(trace.read(), "PA 1; 00B\x1c\xff");  // flushed without closing
    close_trace_file(ctx->gs.reader);
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

TEST(ParseTrace, NumbersAndFileNames) {
    // Numbers show in the whole-program trace; here the two ends.
    EXPECT_EQ(format_trace_number(1e6), "1000000");
    EXPECT_EQ(format_trace_number(1e-7), "0");
    for (const char* name : {"a.plx", "dir/A.PLX", "C:\\x\\b.PlX"}) EXPECT_TRUE(is_trace_file_name(name));
    for (const char* name : {"a.plt", "plx", "a.plx/b", "a.plxx"}) EXPECT_FALSE(is_trace_file_name(name));
    auto ctx = context_reading("A");  // a file that cannot be made: no trace
    EXPECT_FALSE(open_trace_file(ctx->gs.reader, "/nonexistent-folder/x.plx"));
    EXPECT_FALSE(ctx->gs.reader.trace_on);
    EXPECT_EQ(next_char(ctx->gs.reader), 'A');
}

}  // namespace
}  // namespace penloom
