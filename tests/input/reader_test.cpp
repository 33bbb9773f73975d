// The byte reader: filtered characters, push back, the head buffer in
// front of the file, saved positions, large files read in blocks.
#include "input/reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/support.h"

namespace penloom {
namespace {

using testing::context_reading;
using testing::rest_of_input;
using testing::TempFile;

enum class Reader { hpgl, keep_case, raw };

std::vector<int> chars(std::string_view text) {
    std::vector<int> out;
    for (unsigned char c : text) out.push_back(c);
    out.push_back(-1);
    return out;
}

TEST(Reader, DeliversFilteredCharacters) {
    // expected: up to and including the first -1
    const struct { const char* name; std::string input; Reader which; std::vector<int> expected; } rows[] = {
        {"spaces after digits become commas", "PA 10 20;", Reader::hpgl, chars("PA10,20;")},
        {"space then comma gives two commas", "PA10 ,20", Reader::hpgl, chars("PA10,,20")},
        {"lower case is upper-cased", "pa10,-5", Reader::hpgl, chars("PA10,-5")},
        {"tab between letters dropped", "P\tA", Reader::hpgl, chars("PA")},
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
        for (std::size_t i = 0; i < row.expected.size(); ++i) {
            int c = row.which == Reader::hpgl        ? next_char(reader)
                    : row.which == Reader::keep_case ? next_char_keep_case(reader)
                                                     : next_byte(reader);
            got.push_back(c);
            EXPECT_EQ(reader.current, c);
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
    EXPECT_EQ(file_position(reader), 5);
    EXPECT_EQ(input_position(reader), 2);
    EXPECT_EQ(bytes_remaining(reader), 8);
    EXPECT_EQ(next_byte(reader), 'a');
    EXPECT_EQ(input_position(reader), 3);
    const ReadPosition in_head = save_position(reader);
    EXPECT_EQ(in_head.head_index, 1u);
    EXPECT_EQ(in_head.file_position, 5);
    EXPECT_EQ(rest_of_input(reader), "bc56789");  // from the head into the file
    EXPECT_EQ(file_position(reader), 10);
    EXPECT_EQ(bytes_remaining(reader), 0);
    restore_position(reader, in_head);
    EXPECT_EQ(rest_of_input(reader), "bc56789");
    restore_position(reader, ReadPosition{3, 8});  // a position in the file
    EXPECT_EQ(rest_of_input(reader), "89");
}

TEST(Reader, ReadsLargeFilesInBlocksAndSeeksBack) {
    std::string data;
    for (int i = 0; i < 700000; ++i) data.push_back(static_cast<char>('A' + (i * 7) % 26));
    TempFile file("reader_large", data);
    std::FILE* stream = std::fopen(file.path.c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    ReaderState reader;
    attach_plot_file(reader, stream, static_cast<std::int64_t>(data.size()));
    std::string head;
    for (int i = 0; i < 100; ++i) head.push_back(static_cast<char>(read_file_byte(reader)));
    install_head(reader, reinterpret_cast<const unsigned char*>(head.data()), head.size());
    std::string got;
    ReadPosition mark{};
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i == 262000) mark = save_position(reader);
        got.push_back(static_cast<char>(next_byte(reader)));
    }
    EXPECT_EQ(next_byte(reader), -1);
    EXPECT_TRUE(got == data);
    EXPECT_EQ(file_position(reader), static_cast<std::int64_t>(data.size()));
    restore_position(reader, mark);  // back into an earlier block: a seek
    EXPECT_EQ(input_position(reader), 262000);
    EXPECT_EQ(next_byte(reader), static_cast<unsigned char>(data[262000]));
    restore_position(reader, ReadPosition{10, 100});  // back into the head
    EXPECT_EQ(next_byte(reader), static_cast<unsigned char>(data[10]));
    detach_plot_input(reader);
    std::fclose(stream);
    EXPECT_EQ(next_byte(reader), -1);
}

}  // namespace
}  // namespace penloom
