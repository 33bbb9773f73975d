// The tokenizer: mnemonics and points as the command loop finds them,
// escape and device-control sequences, pending fills, numbers and lists.
#include "input/tokenizer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "input/mnemonics.h"
#include "input/support.h"

namespace penloom {
namespace {

using testing::context_reading;

// Runs the mnemonic search like the command loop does, reading a point for
// PA, PD, PR and PU, and lists what it found: "PA(10,20) SP -2 0".
std::string tokenize(Context& ctx) {
    GraphicsState& gs = ctx.gs;
    std::string out;
    for (int guard = 0; guard < 100; ++guard) {
        const int result = read_mnemonic(ctx, false);
        if (gs.reader.end_of_input) break;
        const int code = result != 0 ? result : lookup_command(gs.tokens.mnemonic[0], gs.tokens.mnemonic[1]);
        gs.tokens.repeat_pending = false;
        if (!out.empty()) out += ' ';
        out += code > 0 ? std::string(mnemonic_of(code)) : std::to_string(code);
        if (code == command_pa || code == command_pd || code == command_pr || code == command_pu) {
            const int count = read_point(ctx);
            char number[64];
            out += "(";
            for (int i = 0; i < count; ++i) {
                std::snprintf(number, sizeof number, "%s%g", i ? "," : "", gs.tokens.values[i]);
                out += number;
            }
            out += ")";
        }
    }
    return out;
}

TEST(Tokenizer, FindsMnemonicsAndPoints) {
    // paths: drawn so far
    const struct { const char* name; std::string input; const char* expected; bool pcl_context = false;
                   int paths = 0; }
        rows[] = {
        {"lower case, spaces separate", "pa 10 20 30 40;", "PA(10,20) PA(30,40)"},
        {"space after the pair ends in a letter", "PA10,20 PD", "PA(10,20) PD()"},
        {"a sign starts a number", "PA-5-5", "PA(-5,-5)"},
        {"no exponent: E ends the list", "PA1E3,2", "PA(1) 0"},
        {"space between the letters", "P A", "PA()"},
        {"second letter not a letter", "P;", "0"},
        {"implicit repetition", "PA10,10,20,20;PD", "PA(10,10) PA(20,20) PD()"},
        {"trailing comma does not repeat", "PA10,20,;PU", "PA(10,20) PU()"},
        {"input ends in the list", "PA10", "PA(10)"},
        {"parameters of other commands skipped", "SP1;PA1,2", "SP PA(1,2)"},
        {"a line break inside a number joins it", "PA1,2\n3,4", "PA(1,23) PA(4)"},
        {"unknown mnemonic", "ZZ1,2;PU", "0 PU()"},
        {"HP-GL/2 entry remnant after a cut PCL job", "%1BIN;", "IN"},
        {"negative entry remnant", "%-1BPD;", "PD()"},
        {"entry sequence swallowed", "\x1b%1BIN;", "IN"},
        {"enter PCL", "\x1b%0A", "-2"},
        {"enter PCL at the pen", "\x1b%1APA1,1", "-3 PA(1,1)"},
        {"in a PCL context there are no mode switches", "\x1b%0APA1,2;", "", true},
        {"ESC restarts the recogniser", "\x1b\x1b%0A", "-2"},
        {"other sequences run to the next ESC", "\x1b" "E junk PA5;\x1b%0A", "-2"},
        {"device control followed by a mnemonic", "\x1b.(IN;", "IN"},
        {"device control parameters skipped", "\x1b.I81;;17:SP1;", "SP"},
        {"ESC.) before anything was drawn", "\x1b.)IN;", "IN"},
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

TEST(Tokenizer, StopAtEscapeAndPendingFills) {
    auto ctx = context_reading("\x1bPA;\x1b%0A;PD");
    GraphicsState& gs = ctx->gs;
    gs.fill_pending = true;
    EXPECT_EQ(read_mnemonic(*ctx, true), escape_met);
    EXPECT_FALSE(gs.fill_pending);
    gs.fill_pending = true;
    EXPECT_EQ(read_mnemonic(*ctx, false), 0);  // PA: no fill finished
    EXPECT_TRUE(gs.fill_pending);
    EXPECT_EQ(read_mnemonic(*ctx, false), escape_enter_pcl);
    EXPECT_FALSE(gs.fill_pending);
    gs.fill_pending = true;
    EXPECT_EQ(read_mnemonic(*ctx, false), 0);  // PD
    EXPECT_TRUE(gs.fill_pending);
    EXPECT_EQ(read_mnemonic(*ctx, false), 0);  // end of input
    EXPECT_TRUE(gs.reader.end_of_input);
    EXPECT_FALSE(gs.fill_pending);
}

TEST(Tokenizer, ReadsNumbersAsPercentLfWould) {
    // next: the character read after the number
    const struct { const char* name; std::string input; int result; double value; std::int32_t integer;
                   int next; }
        rows[] = {
        {"decimal", "12.5,", 1, 12.5, 12, ','},
        {"negative fraction", "-.5;", 1, -0.5, 0, ';'},
        {"truncation toward zero", "-7.9;", 1, -7.9, -7, ';'},
        {"lone minus", "-,", 1, 0.0, 0, ','},
        {"lone point", ".;", 1, 0.0, 0, ';'},
        {"plus sign", "+7;", 1, 7.0, 7, ';'},
        {"second point ends the value", "1.2.3;", 1, 1.2, 1, ';'},
        {"sign in the middle", "1-2", 1, 1.0, 1, '-'},
        {"semicolon ends the list", ";5", 0, 0.0, 0, '5'},
        {"end of input", "", 0, 0.0, 0, -1},
        {"beyond 32 bits", "3000000000;", 1, 3e9, INT32_MIN, ';'},
        {"sixteen digits", "1234567890123456.5;", 1, 1234567890123456.5, INT32_MIN, ';'},
        {"overlong token cut to 255 characters", "1" + std::string(299, '0') + ";", 1, 1e254, INT32_MIN, ';'},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
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

// Parameter lists are read by every instruction; here the limits the
// instructions' own tests do not reach, and a point's repeat flag.
TEST(Tokenizer, ReadsParameterListsAndPoints) {
    auto ctx = context_reading("1,2;7 8 9 10;");
    GraphicsState& gs = ctx->gs;
    EXPECT_EQ(read_numbers(gs, 3), 2);
    EXPECT_EQ(gs.tokens.values[2], 0.0);
    EXPECT_EQ(read_numbers(gs, 3), 3);
    EXPECT_EQ(read_numbers(gs, -2), 0);
    EXPECT_EQ(gs.tokens.count, 0);
    ctx = context_reading("4000,-40,1;");  // a point in drawing units
    ctx->gs.drawing_factor = 0.025;
    EXPECT_EQ(read_point(*ctx), 2);
    EXPECT_DOUBLE_EQ(ctx->gs.tokens.values[1], -1.0);
    EXPECT_EQ(ctx->gs.tokens.integers[0], 4000);
    EXPECT_TRUE(ctx->gs.tokens.repeat_pending);
}

}  // namespace
}  // namespace penloom
