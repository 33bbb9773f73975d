#include "interpreter/command_loop.h"

#include <gtest/gtest.h>

#include <string>

#include "input/mnemonics.h"
#include "input/support.h"

namespace penloom {
namespace {

using testing::context_reading;

// Runs the command loop to the end of the input (or a page end) and lists
// the mnemonic of every command dispatched, with the parameter count after
// it: "CO:0 PA:0".
std::string run_commands(Context& ctx) {
    GraphicsState& gs = ctx.gs;
    std::string out;
    for (int guard = 0; guard < 100 && !gs.reader.end_of_input && !gs.stop; ++guard) {
        int before = gs.command_counter;
        run_hpgl_command(ctx);
        if (gs.command_counter == before) continue;
        if (!out.empty()) out += ' ';
        out += std::string(gs.tokens.mnemonic, 2) + ":" + std::to_string(gs.tokens.count);
    }
    return out;
}

TEST(CommandLoop, IgnoredCommandsSkipTheirParameters) {
    struct Row { const char* name; std::string input; const char* expected; };
    const Row rows[] = {
        {"LA has no effect", "LA1,4,2,4;", "LA:0"},
        {"comment hides its text", "CO\"text with ; and PD\";", "CO:0"},
        {"comment of 255 bytes at most", "CO\"" + std::string(255, 'x') + "PU;", "CO:0 PU:0"},
        {"SV reads three", "SV1,2,3,4;", "SV:3"},
        {"CF reads two", "CF1,2,3;", "CF:2"},
        {"EC reads up to 21", "EC1,2,3;", "EC:3"},
        {"QL reads one", "QL50,1;", "QL:1"},
        {"BP names and values", "BP1,\"A;B PD\",5,1;IN;", "BP:0 IN:0"},
        {"WD up to the label terminator", "WD PD text\x03PU;", "WD:0 PU:0"},
        {"MG up to a semicolon", "MG\"hi PD\";PA;", "MG:0 PA:0"},
        {"DL reads every number", "DL1,2,3,4,5,6,7,8;PU", "DL:0 PU:0"},
        {"unknown commands", "ZZ1,2;QQ;", "ZZ:0 QQ:0"},
        {"end of input inside a mnemonic", "PA1;P", "PA:1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading(row.input);
        EXPECT_EQ(run_commands(*ctx), row.expected);
    }
}

TEST(CommandLoop, DispatchIgnoresCodesOutsideTheTable) {
    auto ctx = context_reading("1,2,3;");
    for (int code : {-100, -9, 20, 96, 1000}) EXPECT_EQ(dispatch(*ctx, code), 0) << code;
    EXPECT_EQ(ctx->gs.tokens.count, 0);
}

TEST(CommandLoop, EscapeCodesSwitchTheLanguage) {
    auto ctx = context_reading("\x1b%0Ajunk\x1b%1BPU;");
    run_hpgl_command(*ctx);
    EXPECT_EQ(ctx->gs.language.mode, language_pcl);
    dispatch(*ctx, escape_enter_hpgl_even);
    EXPECT_EQ(ctx->gs.language.mode, language_hpgl);
    dispatch(*ctx, escape_skip_to_entry_8);
    EXPECT_EQ(run_commands(*ctx), "PU:0");
}

}  // namespace
}  // namespace penloom
