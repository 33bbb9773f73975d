// PE numbers: what the interpreter's PE tests do not reach (integer
// rounding, the digit limit, line breaks, the end of the input).
#include "input/pe_numbers.h"

#include <gtest/gtest.h>

#include <string>

#include "input/support.h"

namespace penloom {
namespace {

using testing::context_reading;

TEST(PeNumbers, DecodesBothBases) {
    const struct { const char* name; std::string input; int base; double divisor, value; std::int32_t integer;
                   bool error; }
        rows[] = {
        {"7-bit minus one", "B_", 32, 1, -1.0, -1, false},
        {"8-bit two digits", "A\xc1", 64, 1, 65.0, 65, false},
        {"fraction rounds half up", "A\xc1", 64, 2, 32.5, 33, false},
        {"negative fraction", "B\xc1", 64, 2, -32.5, -33, false},
        {"7-bit final digit is no 8-bit digit", "_", 64, 1, 0.0, 0, true},
        {"end of input", "A", 32, 1, 0.0, 0, true},
        {"spaces and line ends dropped", "A\r\n_", 32, 1, 1.0, 1, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading(row.input);
        TokenState& tokens = ctx->gs.tokens;
        tokens.pe_base = row.base;
        tokens.pe_divisor = row.divisor;
        tokens.pe_error = false;
        std::int32_t integer = 99;
        EXPECT_EQ(read_pe_number(ctx->gs.reader, tokens, false, integer), row.value);
        EXPECT_EQ(integer, row.integer);
        EXPECT_EQ(tokens.pe_error, row.error);
    }
}

TEST(PeNumbers, StartsAtTheCurrentCharacterAndStopsAfterTwentyDigits) {
    auto ctx = context_reading("A_");
    ReaderState& reader = ctx->gs.reader;
    ctx->gs.tokens.pe_base = 32;
    EXPECT_EQ(next_char_keep_case(reader), 'A');
    std::int32_t integer = 0;
    EXPECT_EQ(read_pe_number(reader, ctx->gs.tokens, true, integer), 1.0);
    EXPECT_EQ(next_char_keep_case(reader), -1);

    ctx = context_reading(std::string(21, '?') + "Z");
    EXPECT_EQ(read_pe_number(ctx->gs.reader, ctx->gs.tokens, false, integer), 0.0);
    EXPECT_EQ(integer, 0);
    EXPECT_FALSE(ctx->gs.tokens.pe_error);
    EXPECT_EQ(testing::rest_of_input(ctx->gs.reader), "?Z");  // the 21st digit is left
}

}  // namespace
}  // namespace penloom
