// The tokenizer: the mnemonic table, mnemonics and points as the command
// loop finds them, escape and device-control sequences, pending fills,
// numbers (PE numbers too) and lists.
#include "input/tokenizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "input/mnemonics.h"
#include "input/parse_trace.h"
#include "input/pe_numbers.h"
#include "input/support.h"
#include "interpreter/command_loop.h"
#include "interpreter/coordinates.h"

namespace penloom {
namespace {

using testing::context_reading;

// The table itself serves every instruction test; here the pairs that are
// no instruction.
TEST(Mnemonics, OnlyUpperCaseLettersMatch) {
    int instructions = 0;
    for (char a = 'A'; a <= 'Z'; ++a)
        for (char b = 'A'; b <= 'Z'; ++b) instructions += lookup_command(a, b) != 0;
    EXPECT_EQ(instructions, 94);
    EXPECT_STREQ(mnemonic_of(20), "");  // no instruction has code 20
    const int others[][2] = {{'p', 'a'}, {'P', ';'}, {'P', -1}, {27, 'A'}, {0xC0, 'A'}};
    for (const auto& pair : others) EXPECT_EQ(lookup_command(pair[0], pair[1]), 0) << pair[0] << pair[1];
}

// Runs the mnemonic search like the command loop does, reading a point for
// PA, PD, PR and PU and the further pairs of their lists, and lists what it
// found: "PA(10,20) SP -2 0".
std::string tokenize(Context& ctx) {
    GraphicsState& gs = ctx.gs;
    std::string out;
    char number[64];
    for (int guard = 0; guard < 100; ++guard) {
        const int result = search_mnemonic(ctx.interpreter, false);
        if (gs.reader.end_of_input) break;
        const int code = result != 0 ? result : lookup_command(gs.tokens.mnemonic[0], gs.tokens.mnemonic[1]);
        do {
            gs.tokens.repeat_pending = false;
            if (!out.empty()) out += ' ';
            out += code > 0 ? std::string(mnemonic_of(code)) : std::to_string(code);
            if (code != command_pa && code != command_pd && code != command_pr && code != command_pu) break;
            const int count = read_point(ctx.gs);
            out += "(";
            for (int i = 0; i < count; ++i) {
                std::snprintf(number, sizeof number, "%s%g", i ? "," : "", gs.tokens.values[i]);
                out += number;
            }
            out += ")";
        } while (read_repetition(gs.tokens, gs.reader));
    }
    return out;
}

TEST(Tokenizer, FindsMnemonicsAndPoints) {
    // paths: drawn so far
    const struct { const char* name; std::string input; const char* expected; bool pcl_context = false;
                   int paths = 0; } rows[] = {
        {"lower case, spaces separate", "pa 10 20 30 40;", "PA(10,20) PA(30,40)"},
        {"pairs after the first, however they start", "PA1,2,3 4,-5-6,+7,.5,8\n9;",
         "PA(1,2) PA(3,4) PA(-5,-6) PA(7,0.5) PA(89)"},
        {"no exponent: E ends the list", "PA1E3,2", "PA(1) 0"},
        {"space between the letters", "P A", "PA()"},
        {"second letter not a letter", "P;", "0"},
        {"trailing comma does not repeat", "PA10,20,;PU", "PA(10,20) PU()"},
        {"a line break inside a number joins it", "PA1,2\n3,4", "PA(1,23) PA(4)"},
        {"unknown mnemonic, other parameters skipped", "ZZ1,2;SP1;PU", "0 SP PU()"},
        {"HP-GL/2 entry remnant after a cut PCL job", "%1BIN;", "IN"},
        {"negative entry remnant", "%-1BPD;", "PD()"},
        {"enter PCL at the pen", "\x1b%1APA1,1", "-3 PA(1,1)"},
        {"in a PCL context there are no mode switches", "\x1b%0APA1,2;", "", true},
        {"ESC restarts the recogniser", "\x1b\x1b%0A", "-2"},
        {"other sequences run to the next ESC", "\x1b" "E junk PA5;\x1b%0A", "-2"},
        {"device control parameters skipped", "\x1b.I81;;17:SP1;", "SP"},
        {"ESC.) after drawing skips to the page advance",
         "\x1b.)PD10,10;PG;junk\x1b.(" + std::string(300, ';') + "PA1,1;", "PG PA(1,1)", false, 1},
        {"ESC.) skip needs 200 bytes left", "\x1b.)IN;PG;\x1b.(;", "IN PG", false, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading(row.input);
        ctx->gs.language.pcl_context = row.pcl_context;
        ctx->gs.path_counter = row.paths;
        EXPECT_EQ(tokenize(*ctx), row.expected);
    }
}

// The pairs of a list are read without a mnemonic search, but every byte
// still goes through the trace.
TEST(Tokenizer, RepeatedPairsEchoInTheTrace) {
    testing::TempFile trace("trace_pairs");
    auto ctx = context_reading("PA1,2,3,4,-5,6;");
    ASSERT_TRUE(open_trace_file(ctx->gs.reader, trace.path));
    EXPECT_EQ(tokenize(*ctx), "PA(1,2) PA(3,4) PA(-5,6)");
    EXPECT_EQ(trace.read(), "PA1,2,3,4,-5,6;");
    close_trace_file(ctx->gs.reader);
}

TEST(Tokenizer, StopAtEscapeAndPendingFills) {
    auto ctx = context_reading("\x1bPA;\x1b%0A;PD");
    GraphicsState& gs = ctx->gs;
    // expected: search_mnemonic's result, and whether the fill is still pending after
    const struct { bool stop_at_escape; int result; bool pending; } steps[] = {
        {true, escape_met, false}, {false, 0, true},  // PA: no fill finished
        {false, escape_enter_pcl, false}, {false, 0, true}, {false, 0, false},  // PD, then the end of input
    };
    for (const auto& step : steps) {
        gs.fill_pending = true;
        EXPECT_EQ(search_mnemonic(ctx->interpreter, step.stop_at_escape), step.result);
        EXPECT_EQ(gs.fill_pending, step.pending);
    }
    EXPECT_TRUE(gs.reader.end_of_input);
}

TEST(Tokenizer, ReadsNumbersAsPercentLfWould) {
    // next: the character read after the number
    const struct { std::string input; int result; double value; std::int32_t integer; int next; } rows[] = {
        {"12.5,", 1, 12.5, 12, ','},          {"-.5;", 1, -0.5, 0, ';'},
        {"-7.9;", 1, -7.9, -7, ';'},          {"-,", 1, 0.0, 0, ','},
        {"+7;", 1, 7.0, 7, ';'},              {"1.2.3;", 1, 1.2, 1, ';'},
        {"1-2", 1, 1.0, 1, '-'},              {";5", 0, 0.0, 0, '5'},
        {"", 0, 0.0, 0, -1},                  {"3000000000;", 1, 3e9, INT32_MIN, ';'},
        {"1" + std::string(299, '0') + ";", 1, 1e254, INT32_MIN, ';'},  // cut to 255 characters
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.input);
        auto ctx = context_reading(row.input);
        double value = -1;
        std::int32_t integer = -1;
        EXPECT_EQ(read_number(ctx->gs.reader, value, integer), row.result);
        EXPECT_EQ(value, row.value);
        EXPECT_EQ(integer, row.integer);
        EXPECT_EQ(next_char(ctx->gs.reader), row.next);
    }
    EXPECT_EQ(truncate_to_int(-2147483648.9), INT32_MIN);
    EXPECT_EQ(truncate_to_int(2147483647.9), 2147483647);
    EXPECT_EQ(truncate_to_int(2147483648.0), INT32_MIN);
}

// The numbers of a list after its first, where whole numbers of up to seven
// digits are read as one word: the longer, spaced, signed, decimal and
// lower-case-terminated ones must come out as the character-by-character
// reading gives them, with the same character next.
TEST(Tokenizer, ReadsListNumbersLikeTheFirst) {
    auto ctx = context_reading("0,1234567,-12345678,7 8,-0,2.5,12a;PA1,2;PA3,4;");
    const struct { double value; int next; } reads[] = {
        {0, ','}, {1234567, ','}, {-12345678, ','}, {7, ','}, {8, ','}, {-0.0, ','}, {2.5, ','}, {12, 'A'},
    };
    ReaderState& reader = ctx->gs.reader;
    for (const auto& read : reads) {
        SCOPED_TRACE(read.value);
        double value = 0;
        std::int32_t integer = 0;
        ASSERT_EQ(read_number(reader, value, integer), 1);
        EXPECT_EQ(value, read.value);
        EXPECT_EQ(std::signbit(value), std::signbit(read.value));
        EXPECT_EQ(integer, static_cast<std::int32_t>(read.value));
        EXPECT_TRUE(reader.push_back);
        EXPECT_EQ(reader.current, read.next);
    }
    double value = 0;
    std::int32_t integer = 0;
    EXPECT_EQ(read_number(reader, value, integer), 0);
    EXPECT_EQ(next_char(reader), 'A');
}

// Parameter lists are read by every instruction; here the limits the
// instructions' own tests do not reach.
TEST(Tokenizer, ReadsParameterListsAtTheirLimits) {
    auto ctx = context_reading("1,2;7 8 9 10;");
    GraphicsState& gs = ctx->gs;
    EXPECT_EQ(read_numbers(gs, 3), 2);
    EXPECT_EQ(gs.tokens.values[2], 0.0);
    EXPECT_EQ(read_numbers(gs, 3), 3);
    EXPECT_EQ(read_numbers(gs, -2), 0);
    EXPECT_EQ(gs.tokens.count, 0);
}

// PE numbers: what the interpreter's PE tests do not reach (integer
// rounding, line breaks, the end of the input).
TEST(PeNumbers, DecodesBothBases) {
    const struct { const char* name; std::string input; int base; double divisor, value; std::int32_t integer;
                   bool error; } rows[] = {
        {"7-bit minus one", "B_", 32, 1, -1.0, -1, false},
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
        tokens.pe_base = row.base, tokens.pe_divisor = row.divisor, tokens.pe_error = false;
        std::int32_t integer = 99;
        EXPECT_EQ(read_pe_number(ctx->gs.reader, tokens, false, integer), row.value);
        EXPECT_EQ(integer, row.integer);
        EXPECT_EQ(tokens.pe_error, row.error);
    }
    auto ctx = context_reading("A_");  // from the current character
    ctx->gs.tokens.pe_base = 32;
    EXPECT_EQ(next_char_keep_case(ctx->gs.reader), 'A');
    std::int32_t integer = 0;
    EXPECT_EQ(read_pe_number(ctx->gs.reader, ctx->gs.tokens, true, integer), 1.0);
    EXPECT_EQ(next_char_keep_case(ctx->gs.reader), -1);
}

}  // namespace
}  // namespace penloom
