// PCL and HP-RTL mode: the sequence scanner and its codes, the data blocks
// skipped by their byte counts, the PCL cursor, the stop characters, form
// feeds as page ends, and the switches between PCL and HP-GL/2.
#include "input/pcl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/plot_stream.h"
#include "input/mnemonics.h"
#include "input/pcl_scanner.h"
#include "input/support.h"
#include "interpreter/pcl_mode.h"

namespace penloom {
namespace {

using namespace std::string_literals;
using testing::context_reading;
using testing::rest_of_input;

const std::string ESC = "\x1b";
constexpr int kIgnored = kIgnoredPclCodes;  // + the index in the scanner's table of ignored sequences
constexpr int kLandscapeO = kIgnored + 21;  // ESC&l#O
// A payload that looks like escape sequences and HP-GL: 11 bytes.
const std::string kBinary = "\x1b%1BPD;\x00\xff\x0c\x1b"s;

std::unique_ptr<Context> pcl_context_reading(const std::string& input) {
    auto ctx = context_reading(input);
    ctx->gs.language.mode = language_pcl;
    return ctx;
}

// Every code the scanner gives up to the end of the input (the step that
// only meets the end is not listed).
std::vector<int> scan_codes(Context& ctx) {
    std::vector<int> codes;
    for (int guard = 0; guard < 100 && !ctx.gs.reader.end_of_input; ++guard) {
        const PclSequence sequence = scan_pcl_sequence(ctx.gs.reader, ctx.gs.pcl, ctx.gs.language.pcl_context);
        if (sequence.code == pcl_unknown && ctx.gs.reader.end_of_input) break;
        codes.push_back(sequence.code);
    }
    return codes;
}

TEST(PclScanner, NamesEachSequence) {
    const struct { const char* name; std::string input; std::vector<int> codes; bool pcl_context = false; }
        rows[] = {
        {"enter PCL", ESC + "%0A" + ESC + "%-1A" + ESC + "%1A" + ESC + "%3A" + ESC + "%2A",
         {-2, -2, -3, -3, 0}},
        {"enter HP-GL/2", ESC + "%-1B" + ESC + "%0B" + ESC + "%2B" + ESC + "%1B" + ESC + "%3b",
         {-4, -5, -5, -6, -6}},
        {"combined sequence, same group", ESC + "&l1o2A", {kLandscapeO, kIgnored + 16}},
        {"unknown terminator", ESC + "&l5Q", {0}},
        {"unknown group parameter", ESC + "*z5W", {0}},
        {"form feed between sequences", "text\f" + ESC + "E", {pcl_form_feed, pcl_reset}},
        {"characters before the group are passed over", ESC + "Yab&l1O", {kLandscapeO}},
        {"a second ESC restarts the group search", ESC + "q" + ESC + "E", {pcl_reset}},
        {"ESC as terminator is kept for the next sequence", ESC + "&l1" + ESC + "E", {0, pcl_reset}},
        {"lower-case terminator then ESC", ESC + "&l1o" + ESC + "E", {kLandscapeO, 0, pcl_reset}},
        // ESC= and ESC9 have no group of their own: outside a PJL-entered PCL
        // job the search goes on to the `&` of the text after them.
        {"ESC= and ESC9 in plain PCL", ESC + "=x&l1O" + ESC + "9E", {kLandscapeO, pcl_reset}},
        {"ESC= and ESC9 in PCL entered by PJL", ESC + "=x&l1O" + ESC + "9E", {0, 0}, true},
        {"cut after ESC", ESC, {}},
        {"cut inside the value", ESC + "*b12", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = pcl_context_reading(row.input);
        ctx->gs.language.pcl_context = row.pcl_context;
        EXPECT_EQ(scan_codes(*ctx), row.codes);
        EXPECT_TRUE(ctx->gs.reader.end_of_input);
    }
}

// Values: signs and fractions show in the cursor moves, values beyond 32
// bits in the data blocks; at most twenty characters are read.
TEST(PclScanner, ReadsTwentyCharactersOfTheValueAtMost) {
    auto ctx = pcl_context_reading(ESC + "*p123456789012345678901X");
    const PclSequence sequence = scan_pcl_sequence(ctx->gs.reader, ctx->gs.pcl, ctx->gs.language.pcl_context);
    EXPECT_EQ(sequence.integer, 2147483647);
    EXPECT_DOUBLE_EQ(sequence.value, 12345678901234567890.0);
    EXPECT_EQ(sequence.terminator, '1');
}

TEST(PclMode, SkipsDataBlocksExactly) {
    const struct { const char* name; std::string input; std::string left; } rows[] = {
        {"transparent print data", ESC + "&p11X" + kBinary + "REST", "REST"},
        {"combined: mode then row", ESC + "*b2m11W" + kBinary + "REST", "REST"},
        {"lower-case w keeps the group", ESC + "*b11w" + kBinary + "2M|", "|"},
        {"negative count skips nothing", ESC + "*b-4WREST", "REST"},
        {"plane count limited to 32767", ESC + "*b40000V" + std::string(32767, 'x') + "REST", "REST"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = pcl_context_reading(row.input);
        run_pcl_step(ctx->interpreter);
        if (ctx->gs.pcl.pending_group != 0) run_pcl_step(ctx->interpreter);
        EXPECT_EQ(ctx->gs.language.mode, language_pcl);
        EXPECT_EQ(rest_of_input(ctx->gs.reader), row.left);
    }
}

TEST(PclMode, StopCharactersEndTheSearch) {
    const std::string input = ESC + "*c65E" + ESC + "*c600E" + "xxAyy" + ESC + "E";
    auto ctx = pcl_context_reading(input);  // the scanner alone flags nothing
    EXPECT_EQ(scan_codes(*ctx), (std::vector<int>{pcl_stop_character, pcl_stop_character, pcl_reset}));
    ctx = pcl_context_reading(input);
    run_pcl_step(ctx->interpreter);
    run_pcl_step(ctx->interpreter);
    EXPECT_TRUE(ctx->gs.pcl.stop_characters.test('A'));
    EXPECT_EQ(ctx->gs.pcl.stop_characters.count(), 1u);
    EXPECT_EQ(scan_pcl_sequence(ctx->gs.reader, ctx->gs.pcl, ctx->gs.language.pcl_context).code, pcl_stopped);
    EXPECT_EQ(rest_of_input(ctx->gs.reader), "yy" + ESC + "E");
}

TEST(PclMode, FormFeedIsAPageEndOnlyAfterDrawingAndOutsideData) {
    // Long enough that the form feed is not in the last tenth of the input.
    const std::string tail = ESC + "*p1X" + ESC + "*p2Y" + ESC + "%1BIN;";
    for (int paths : {1, 0}) {
        SCOPED_TRACE(paths);
        auto ctx = pcl_context_reading("\f" + tail);
        ctx->gs.path_counter = paths;
        run_pcl_step(ctx->interpreter);
        EXPECT_EQ(ctx->gs.stop, paths == 1);
        EXPECT_EQ(ctx->gs.more_pages, paths == 1);
        EXPECT_EQ(ctx->gs.page_counter, paths);
        EXPECT_EQ(std::string(ctx->gs.tokens.mnemonic, 2), "PG");
        EXPECT_EQ(rest_of_input(ctx->gs.reader), tail);  // PG reads no parameter in PCL mode
    }
    auto ctx = pcl_context_reading(ESC + "*b3W\f\f\f" + ESC + "E" + std::string(100, ' '));
    ctx->gs.path_counter = 1;
    run_plot_stream(ctx->interpreter);
    EXPECT_FALSE(ctx->gs.stop);
}

TEST(PclMode, EntersHpglAtTheCursor) {
    // Top-left origin, y downward: 300 dots at 300 dpi is one inch, 1016
    // plotter units; the page is 22450 plotter units high. x and y in
    // millimetres; the pen was at (5, 6).
    const struct { const char* name; int resolution; std::string input; double x, y; } rows[] = {
        {"at the cursor moved both ways", 300,
         ESC + "*p100x900Y" + ESC + "*p+200X" + ESC + "*p-300Y" + ESC + "%1B", 25.4, (22450 - 2032) * 0.025},
        {"at 600 dpi", 600, ESC + "*p600x600Y" + ESC + "%1B", 25.4, (22450 - 1016) * 0.025},
        {"top-left corner", 300, ESC + "%3B", 0.0, 22450 * 0.025},
        {"even: the pen stays", 300, ESC + "*p300x600Y" + ESC + "%0B", 5.0, 6.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = pcl_context_reading(row.input + "PA;");
        GraphicsState& gs = ctx->gs;
        gs.language.resolution = row.resolution;
        gs.current_x = 5.0, gs.current_y = 6.0;
        gs.relative_plotting = true;
        while (gs.language.mode == language_pcl && !gs.reader.end_of_input) run_pcl_step(ctx->interpreter);
        EXPECT_EQ(gs.language.mode, language_hpgl);
        EXPECT_EQ(rest_of_input(gs.reader), "PA;");
        const bool moved = row.x != 5.0;
        EXPECT_NE(gs.relative_plotting, moved);
        for (double x : {gs.current_x, moved ? gs.carriage_x : 5.0, moved ? gs.pcl.reentry_x : 5.0})
            EXPECT_NEAR(x, row.x, 1e-9);
        for (double y : {gs.current_y, moved ? gs.carriage_y : 6.0, moved ? gs.pcl.reentry_y : 6.0})
            EXPECT_NEAR(y, row.y, 1e-9);
    }
}

TEST(PclMode, EntersPclWithTheCursorFromTheReentryPoint) {
    // One drawing unit per plotter unit; the re-entry point (10, 20) times
    // 0.025 / 25.4 times the resolution at 1200 dpi, the frame offset left out.
    const double dots = 0.025 / 25.4 * 1200;
    const struct { int code; double x, y; } rows[] = {{-3, 10 * dots, 20 * dots}, {-2, 1.0, 2.0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        auto ctx = context_reading("");
        PclState& pcl = ctx->gs.pcl;
        ctx->gs.language.resolution = 1200;
        ctx->gs.frame_offset = 4000;
        pcl.reentry_x = 10.0, pcl.reentry_y = 20.0, pcl.cursor_x = 1.0, pcl.cursor_y = 2.0;
        enter_pcl(ctx->interpreter, row.code);
        EXPECT_EQ(ctx->gs.language.mode, language_pcl);
        EXPECT_NEAR(pcl.cursor_x, row.x, 1e-9);
        EXPECT_NEAR(pcl.cursor_y, row.y, 1e-9);
        EXPECT_EQ(ctx->gs.frame_offset, 4000);
    }
    auto ctx = pcl_context_reading("");  // already in PCL mode: nothing changes
    ctx->gs.pcl.reentry_x = 10.0;
    enter_pcl(ctx->interpreter, escape_enter_pcl_at_pen);
    EXPECT_EQ(ctx->gs.pcl.cursor_x, 0.0);
}

TEST(PclMode, StateIsSetOnTheFirstPageAndKeptAfter) {
    auto ctx = pcl_context_reading(ESC + "*p40x50Y" + ESC + "*c66E");
    GraphicsState& gs = ctx->gs;
    for (int i = 0; i < 3; ++i) run_pcl_step(ctx->interpreter);
    for (bool next_page : {true, false}) {  // the next page of the same file, then a new file
        gs.more_pages = next_page;
        initialize_file_state(ctx->interpreter);
        EXPECT_EQ(gs.language.mode, next_page ? language_pcl : language_hpgl);
        EXPECT_EQ(gs.pcl.cursor_y, next_page ? 50.0 : 0.0);
        EXPECT_EQ(gs.pcl.stop_characters.count(), next_page ? 1u : 0u);
    }
}

}  // namespace
}  // namespace penloom
