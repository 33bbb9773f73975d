#include "interpreter/page_commands.h"

#include <gtest/gtest.h>

#include <string>

#include "driver/plot_stream.h"
#include "input/mnemonics.h"
#include "input/support.h"
#include "interpreter/command_loop.h"

namespace penloom {
namespace {

using testing::context_reading;
using testing::rest_of_input;

// The page signals after a run: stop, more pages, page counter, end of
// input, IN at the start of the next page.
struct Signals {
    bool stop, more_pages;
    int page_counter;
    bool end_of_input, in_at_start;
    bool operator==(const Signals&) const = default;
};

void PrintTo(const Signals& s, std::ostream* os) {
    *os << "{stop " << s.stop << ", more " << s.more_pages << ", pages " << s.page_counter
        << ", end " << s.end_of_input << ", IN-at-start " << s.in_at_start << "}";
}

TEST(PageCommands, PageEndsAndTheirSignals) {
    struct Row {
        const char* name;
        std::string input;
        int drawn;  // path counter before the run: something was drawn
        bool ignore_nr;
        Signals expected;
        std::string left;  // input left after the page
    };
    const std::string tail(400, ';');
    const Signals ended{true, true, 1, false, false}, none{false, false, 0, true, false};
    const Row rows[] = {
        {"40-byte file: PG in the last tenth ends the input",
         std::string(14, ' ') + "IN;PA100,100;PD200,200;PG;", 1, false, none, ""},
        // The look-ahead after PG meets the end of the input: nothing continues.
        {"40-byte file: PG with more than a tenth left",
         "IN;PA100,100;PD200,200;PG;" + std::string(14, ' '), 1, false, {true, true, 1, true, false},
         std::string(14, ' ')},
        {"PG before anything was drawn is ignored", "PG;SP1;" + tail, 0, false, none, ""},
        {"PG in the last 200 bytes of a long file",
         std::string(2100, ';') + "PG;" + std::string(150, ';'), 1, false, none,
         std::string(150, ';')},
        {"PG takes a following RP", "PG;RP;SP1;" + tail, 1, false, ended, "SP1;" + tail},
        {"PG takes a following ESC.", "PG;\r\n\x1b.(SP1;" + tail, 1, false, ended, "(SP1;" + tail},
        {"PG leaves an ESC without the point", "PG;\x1b%0A" + tail, 1, false, ended,
         "\x1b%0A" + tail},
        {"NR is PG when IgnoreNR is off", "NR;SP1;" + tail, 1, false, ended, "SP1;" + tail},
        {"NR then IN ends the page", "NR;IN;SP1;" + tail, 1, true, {true, true, 1, false, true},
         ";SP1;" + tail},
        {"NR then IN on an empty page defers IN only", "NR;IN;SP1;" + tail, 0, true,
         {false, false, 0, true, true}, ""},
        {"IN as the fourth command after NR", "NR;SP1;SP1;SP1;IN;SP1;" + tail, 1, true,
         {true, true, 1, false, true}, ";SP1;" + tail},
        {"IN after five other commands is an IN", "NR;SP1;SP1;SP1;SP1;SP1;IN;" + tail, 1, true,
         none, ""},
        {"RP0 after drawing ends the page", "RP0;SP1;" + tail, 1, false, ended, "SP1;" + tail},
        {"RP without a number", "RP;SP1;" + tail, 1, false, none, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading(row.input);
        ctx->settings.IgnoreNR = row.ignore_nr ? 1 : 0;
        ctx->gs.path_counter = row.drawn;
        run_plot_stream(*ctx);
        const GraphicsState& gs = ctx->gs;
        EXPECT_EQ((Signals{gs.stop, gs.more_pages, gs.page_counter, gs.reader.end_of_input,
                           gs.in_at_start}),
                  row.expected);
        EXPECT_EQ(input_continues(gs), row.expected.stop && !row.expected.end_of_input);
        EXPECT_EQ(rest_of_input(ctx->gs.reader), row.left);
    }
    // "PG5" leaves the letter after the number pushed back; the next page
    // must still begin with it.
    auto ctx = context_reading("PG5SP1;" + tail);
    ctx->gs.path_counter = 1;
    run_plot_stream(*ctx);
    EXPECT_TRUE(ctx->gs.stop);
    EXPECT_EQ(next_char(ctx->gs.reader), 'S');
}

// P1, P2, the rotation and the scale reset on a second page are checked
// through whole runs; the fields no drawing shows directly are checked here.
TEST(PageCommands, SecondPageKeepsTheFirstPageFields) {
    auto ctx = context_reading("PA1,1;PG;SP1;" + std::string(400, ';'));
    GraphicsState& gs = ctx->gs;
    gs.path_counter = 1;
    gs.hard_clip_x = 10000;
    gs.language.resolution = 600;
    gs.label_terminator = '#';
    run_plot_stream(*ctx);
    ASSERT_TRUE(input_continues(gs));
    initialize_file_state(*ctx);  // the next page of the same file
    EXPECT_EQ(gs.hard_clip_x, 10000);
    EXPECT_EQ(gs.language.resolution, 600);
    EXPECT_EQ(gs.label_terminator, 3);
    EXPECT_EQ(gs.page_counter, 1);
    start_input_file(gs);  // a new file: first page again
    initialize_file_state(*ctx);
    EXPECT_EQ(gs.hard_clip_x, 31400);
    EXPECT_EQ(gs.language.resolution, 300);
    EXPECT_EQ(gs.page_counter, 0);
}

TEST(PageCommands, InitializeResetsReaderAndPageState) {
    auto ctx = context_reading("abc");
    GraphicsState& gs = ctx->gs;
    ctx->settings.drawing_scale = 0.5;
    gs.reader.push_back = gs.reader.end_of_input = gs.tokens.repeat_pending = true;
    gs.relative_plotting = gs.fill_pending = gs.nr_seen = gs.in_at_start = true;
    gs.tokens.pe_base = 32;
    gs.language.mode = language_pjl;
    initialize_file_state(*ctx);
    EXPECT_FALSE(gs.reader.push_back || gs.reader.end_of_input || gs.tokens.repeat_pending);
    EXPECT_FALSE(gs.relative_plotting || gs.fill_pending || gs.nr_seen || gs.in_at_start);
    EXPECT_EQ(gs.tokens.pe_base, 64);
    EXPECT_EQ(gs.language.mode, language_hpgl);
    EXPECT_EQ(gs.drawing_factor, 0.5);
    EXPECT_EQ(next_char(gs.reader), 'A');  // the reader position is kept
}

TEST(PageCommands, InResetsPositionRotationAndWindow) {
    auto ctx = context_reading("IN5;PA");
    GraphicsState& gs = ctx->gs;
    gs.current_x = 10;
    gs.rotation = 270;
    gs.clipping_off = false;
    gs.p2_x = 999;
    run_hpgl_command(*ctx);
    EXPECT_EQ(gs.current_x, 0.0);
    EXPECT_EQ(gs.rotation, 0);
    EXPECT_TRUE(gs.clipping_off);
    EXPECT_EQ(gs.p2_x, 999);               // IN leaves P1 and P2
    EXPECT_EQ(next_char(gs.reader), ';');  // its one parameter was read
}

}  // namespace
}  // namespace penloom
