// The command loop and the page commands: parameters skipped by ignored
// commands, dispatch, escape codes, the page-end signals of PG, NR, RP and
// IN, and what the reset before a page or a file keeps. Whole runs with
// several pages are in the e2e suite.
#include "interpreter/command_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "driver/plot_stream.h"
#include "input/mnemonics.h"
#include "construction/linetypes.h"
#include "input/support.h"
#include "interpreter/page_commands.h"

namespace penloom {
namespace {

using testing::context_reading;
using testing::rest_of_input;

// Runs the command loop to the end of the input (or a page end) and lists
// the mnemonic of every command dispatched, with the parameter count after
// it: "CO:0 PA:0".
std::string run_commands(Context& ctx) {
    GraphicsState& gs = ctx.gs;
    std::string out;
    for (int guard = 0; guard < 100 && !gs.reader.end_of_input && !gs.stop; ++guard) {
        int before = gs.command_counter;
        run_hpgl_command(ctx.interpreter);
        if (gs.command_counter == before) continue;
        if (!out.empty()) out += ' ';
        out += std::string(gs.tokens.mnemonic, 2) + ":" + std::to_string(gs.tokens.count);
    }
    return out;
}

TEST(CommandLoop, IgnoredCommandsSkipTheirParameters) {
    struct Row { const char* name; std::string input; const char* expected; };
    const Row rows[] = {
        {"comment hides its text", "CO\"text with ; and PD\";", "CO:0"},
        {"comment of 255 bytes at most", "CO\"" + std::string(255, 'x') + "PU;", "CO:0 PU:0"},
        {"SV reads three", "SV1,2,3,4;", "SV:3"},
        {"BP names and values", "BP1,\"A;B PD\",5,1;IN;", "BP:0 IN:0"},
        {"WD up to the label terminator", "WD PD text\x03PU;", "WD:0 PU:0"},
        {"MG up to a semicolon", "MG\"hi PD\";PA;", "MG:0 PA:0"},
        {"unknown commands", "ZZ1,2;QQ;", "ZZ:0 QQ:0"},
        {"end of input inside a mnemonic", "PA1;P", "PA:1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(run_commands(*context_reading(row.input)), row.expected);
    }
    auto ctx = context_reading("1,2,3;");  // codes outside the table
    for (int code : {-100, -9, 20, 96, 1000}) EXPECT_EQ(dispatch(ctx->interpreter, code), 0) << code;
    EXPECT_EQ(ctx->gs.tokens.count, 0);
}

TEST(CommandLoop, EscapeCodesSwitchTheLanguage) {
    auto ctx = context_reading("\x1b%0Ajunk\x1b%1BPU;");
    run_hpgl_command(ctx->interpreter);
    EXPECT_EQ(ctx->gs.language.mode, language_pcl);
    dispatch(ctx->interpreter, escape_enter_hpgl_even);
    EXPECT_EQ(ctx->gs.language.mode, language_hpgl);
    dispatch(ctx->interpreter, escape_skip_to_entry_8);
    EXPECT_EQ(run_commands(*ctx), "PU:0");
}

// The page signals after a run: stop, more pages, page counter, end of
// input, IN at the start of the next page.
using Signals = std::tuple<bool, bool, int, bool, bool>;

TEST(PageCommands, PageEndsAndTheirSignals) {
    // drawn: the path counter before the run; left: the input after the page
    struct Row { const char* name; std::string input; int drawn; bool ignore_nr; Signals expected;
                 std::string left; };
    const std::string tail(400, ';'), spaces(14, ' ');
    const Signals ended{true, true, 1, false, false}, none{false, false, 0, true, false};
    const Signals last{true, true, 1, true, false}, deferred{false, false, 0, true, true};
    const Signals in{true, true, 1, false, true};
    const Row rows[] = {
        // The look-ahead after PG meets the end of the input: nothing continues.
        {"40 bytes: PG, over a tenth left", "IN;PA100,100;PD200,200;PG;" + spaces, 1, false, last, spaces},
        {"PG before anything was drawn is ignored", "PG;SP1;" + tail, 0, false, none, ""},
        {"PG in the last 200 bytes", std::string(2100, ';') + "PG;" + tail.substr(250), 1, false, none,
         tail.substr(250)},
        {"PG takes a following RP", "PG;RP;SP1;" + tail, 1, false, ended, "SP1;" + tail},
        {"PG takes a following ESC.", "PG;\r\n\x1b.(SP1;" + tail, 1, false, ended, "(SP1;" + tail},
        {"PG leaves an ESC without the point", "PG;\x1b%0A" + tail, 1, false, ended, "\x1b%0A" + tail},
        {"NR is PG when IgnoreNR is off", "NR;SP1;" + tail, 1, false, ended, "SP1;" + tail},
        {"NR, IN on an empty page: IN deferred", "NR;IN;SP1;" + tail, 0, true, deferred, ""},
        {"IN as the fourth command after NR", "NR;SP1;SP1;SP1;IN;SP1;" + tail, 1, true, in, ";SP1;" + tail},
        {"RP0 after drawing ends the page", "RP0;SP1;" + tail, 1, false, ended, "SP1;" + tail},
        {"RP without a number", "RP;SP1;" + tail, 1, false, none, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading(row.input);
        ctx->settings.IgnoreNR = row.ignore_nr ? 1 : 0;
        ctx->gs.path_counter = row.drawn;
        run_plot_stream(ctx->interpreter);
        const GraphicsState& gs = ctx->gs;
        EXPECT_EQ(Signals(gs.stop, gs.more_pages, gs.page_counter, gs.reader.end_of_input, gs.in_at_start),
                  row.expected);
        EXPECT_EQ(input_continues(gs), gs.stop && !gs.reader.end_of_input);
        EXPECT_EQ(rest_of_input(ctx->gs.reader), row.left);
    }
    // "PG5" leaves the letter after the number pushed back: the next page begins with it.
    auto ctx = context_reading("PG5SP1;" + tail);
    ctx->gs.path_counter = 1;
    run_plot_stream(ctx->interpreter);
    EXPECT_EQ(std::pair(ctx->gs.stop, next_char(ctx->gs.reader)), std::pair(true, int{'S'}));
}

// P1, P2, the rotation, the scale, the pen, colour, lineweight and linetype
// on a second page are checked through whole runs; the fields no drawing
// shows directly are checked here.
TEST(PageCommands, ResetsBeforeAPageAndAFile) {
    auto ctx = context_reading("DT*;LO13;SM*;DI0,1;DV1;SA;SP3;PW1;PC1,255,0,0;LT2,4,1;CR0,9,0,9,0,9;"
                               "PA1,1;PG;SP1;" + std::string(400, ';'));
    begin_drawing_linetypes(ctx->drawing);
    GraphicsState& gs = ctx->gs;
    gs.path_counter = 1, gs.hard_clip_x = 10000, gs.language.resolution = 600;
    run_plot_stream(ctx->interpreter);
    ASSERT_TRUE(input_continues(gs));
    initialize_file_state(ctx->interpreter);  // the next page of the same file
    EXPECT_EQ(std::tuple(gs.hard_clip_x, gs.language.resolution, gs.page_counter), std::tuple(10000, 600, 1));
    // Labels: terminator, origin, symbol mode reset; direction, DV, font and offsets kept.
    EXPECT_EQ(std::tuple(gs.label_terminator, gs.label_origin, gs.label_vertical, gs.symbol_mode,
                         gs.vertical_labels, gs.current_font, gs.label_direction),
              std::tuple(3, 1, 0, false, 1, 1, 90.0));
    EXPECT_NEAR(gs.label_offset_x, 20.3, 1e-9);  // a quarter cell, in plotter units here
    // Pens: the table, the pattern length, the linetype records and the colour range.
    const PenEntry &pen1 = gs.pens.table[1], &pen5 = gs.pens.table[5];
    EXPECT_EQ(std::tuple(pen1.colour, pen5.code, gs.pens.pattern_length, gs.pens.range.white[0]),
              std::tuple(7, 35, 20.0, 255));
    EXPECT_TRUE(ctx->drawing.linetypes.records.empty());
    start_input_file(gs);  // a new file: first page again
    ctx->settings.drawing_scale = 0.5;
    gs.reader.push_back = gs.reader.end_of_input = gs.tokens.repeat_pending = true;
    gs.relative_plotting = gs.fill_pending = gs.nr_seen = gs.in_at_start = true;
    gs.tokens.pe_base = 32, gs.language.mode = language_pjl;
    initialize_file_state(ctx->interpreter);
    EXPECT_FALSE(gs.reader.push_back || gs.reader.end_of_input || gs.tokens.repeat_pending);
    EXPECT_FALSE(gs.relative_plotting || gs.fill_pending || gs.nr_seen || gs.in_at_start);
    EXPECT_EQ(std::tuple(gs.tokens.pe_base, gs.language.mode, gs.drawing_factor),
              std::tuple(64, language_hpgl, 0.5));
    EXPECT_EQ(std::tuple(gs.hard_clip_x, gs.language.resolution, gs.page_counter, gs.vertical_labels,
                         gs.current_font),
              std::tuple(31400, 300, 0, 0, 0));
    EXPECT_EQ(std::tuple(gs.label_direction, gs.label_offset_x, gs.width_factor), std::tuple(0.0, 0.0, 0.8));
    EXPECT_EQ(next_char(gs.reader), 'S');  // the reader position is kept
}

TEST(PageCommands, InResetsPositionRotationAndWindow) {
    auto ctx = context_reading("IN5;PA");
    GraphicsState& gs = ctx->gs;
    gs.current_x = 10, gs.rotation = 270, gs.clipping_off = false, gs.p2_x = 999;
    run_hpgl_command(ctx->interpreter);
    // IN leaves P1 and P2; its one parameter was read.
    EXPECT_EQ(std::tuple(gs.current_x, gs.rotation, gs.clipping_off, gs.p2_x, next_char(gs.reader)),
              std::tuple(0.0, 0, true, 999, int{';'}));
}

}  // namespace
}  // namespace penloom
