// PCL and HP-RTL mode: the sequence scanner and its codes, the data blocks
// skipped by their byte counts, the PCL cursor, the stop characters, form
// feeds as page ends, and the switches between PCL and HP-GL/2.
#include "input/pcl.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "driver/plot_stream.h"
#include "input/mnemonics.h"
#include "input/pcl_scanner.h"
#include "input/support.h"
#include "interpreter/command_loop.h"

namespace penloom {
namespace {

using namespace std::string_literals;
using testing::context_reading;
using testing::rest_of_input;

const std::string ESC = "\x1b";

// Codes of some ignored sequences, in the order of the scanner's table.
constexpr int kLandscapeO = kIgnoredPclCodes + 21;    // ESC&l#O
constexpr int kPageSizeA = kIgnoredPclCodes + 16;     // ESC&l#A
constexpr int kRasterModeM = kIgnoredPclCodes + 28;   // ESC*b#M
constexpr int kStartRasterA = kIgnoredPclCodes + 44;  // ESC*r#A
constexpr int kEndRasterC = kIgnoredPclCodes + 50;    // ESC*rC
constexpr int kSymbolSetU = kIgnoredPclCodes + 79;    // ESC(#U
constexpr int kFontPitchH = kIgnoredPclCodes + 82;    // ESC(s#H
constexpr int kFontHeightV = kIgnoredPclCodes + 86;   // ESC(s#V

// Every code the scanner gives for `input`, up to the end of the input
// (the step that only meets the end is not listed).
std::vector<int> scan_codes(std::unique_ptr<Context>& ctx) {
    std::vector<int> codes;
    for (int guard = 0; guard < 100 && !ctx->gs.reader.end_of_input; ++guard) {
        PclSequence sequence = scan_pcl_sequence(ctx->gs);
        if (sequence.code == pcl_unknown && ctx->gs.reader.end_of_input) break;
        codes.push_back(sequence.code);
    }
    return codes;
}

std::unique_ptr<Context> pcl_context_reading(const std::string& input) {
    auto ctx = context_reading(input);
    ctx->gs.language.mode = language_pcl;
    return ctx;
}

TEST(PclScanner, NamesEachSequence) {
    struct Row {
        const char* name;
        std::string input;
        std::vector<int> codes;
    };
    const Row rows[] = {
        {"reset", ESC + "E", {pcl_reset}},
        {"universal exit, PJL text passed over",
         ESC + "%-12345X@PJL EOJ\r\n",
         {pcl_universal_exit}},
        {"enter PCL",
         ESC + "%0A" + ESC + "%-1A" + ESC + "%1A" + ESC + "%3A" + ESC + "%2A",
         {-2, -2, -3, -3, 0}},
        {"enter HP-GL/2",
         ESC + "%-1B" + ESC + "%0B" + ESC + "%2B" + ESC + "%1B" + ESC + "%3b",
         {-4, -5, -5, -6, -6}},
        {"combined sequence, same group", ESC + "&l1o2A", {kLandscapeO, kPageSizeA}},
        {"three in a row", ESC + "(s10h12v0P", {kFontPitchH, kFontHeightV, kIgnoredPclCodes + 83}},
        {"group ( without s", ESC + "(8U", {kSymbolSetU}},
        {"raster sequences",
         ESC + "*r1A" + ESC + "*b2M" + ESC + "*rC",
         {kStartRasterA, kRasterModeM, kEndRasterC}},
        {"ESC&d@ directly", ESC + "&d@", {kIgnoredPclCodes + 9}},
        {"unknown terminator", ESC + "&l5Q", {0}},
        {"unknown group parameter", ESC + "*z5W", {0}},
        {"cursor", ESC + "*p10x20Y", {pcl_cursor_x, pcl_cursor_y}},
        {"stop character", ESC + "*c65E", {pcl_stop_character}},
        {"form feed between sequences", "text\f" + ESC + "E", {pcl_form_feed, pcl_reset}},
        {"characters before the group are passed over", ESC + "Yab&l1O", {kLandscapeO}},
        {"a second ESC restarts the group search", ESC + "q" + ESC + "E", {pcl_reset}},
        {"ESC as terminator is kept for the next sequence",
         ESC + "&l1" + ESC + "E",
         {0, pcl_reset}},
        {"lower-case terminator then ESC", ESC + "&l1o" + ESC + "E", {kLandscapeO, 0, pcl_reset}},
        {"cut after ESC", ESC, {}},
        {"cut after the group", ESC + "*", {}},
        {"cut after the parameter", ESC + "*b", {}},
        {"cut inside the value", ESC + "*b12", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = pcl_context_reading(row.input);
        EXPECT_EQ(scan_codes(ctx), row.codes);
        EXPECT_TRUE(ctx->gs.reader.end_of_input);
    }
}

TEST(PclScanner, ReadsTheValueBothWays) {
    struct Row {
        const char* name;
        std::string input;
        std::int32_t integer;
        double value;
        int sign;
        int terminator;
    };
    const Row rows[] = {
        {"plain", ESC + "*p125X", 125, 125.0, 0, 'X'},
        {"plus", ESC + "*p+7.5X", 7, 7.5, 1, 'X'},
        {"minus", ESC + "*p-12.25Y", -12, -12.25, -1, 'Y'},
        {"fraction only", ESC + "*p.5x", 0, 0.5, 0, 'x'},
        {"no digits", ESC + "*rB", 0, 0.0, 0, 'B'},
        {"sign alone", ESC + "*p-X", 0, 0.0, -1, 'X'},
        {"beyond 32 bits", ESC + "*b99999999999W", 2147483647, 99999999999.0, 0, 'W'},
        {"twenty characters at most", ESC + "*p123456789012345678901X", 2147483647,
         12345678901234567890.0, 0, '1'},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = pcl_context_reading(row.input);
        PclSequence sequence = scan_pcl_sequence(ctx->gs);
        EXPECT_EQ(sequence.integer, row.integer);
        EXPECT_DOUBLE_EQ(sequence.value, row.value);
        EXPECT_EQ(sequence.sign, row.sign);
        EXPECT_EQ(sequence.terminator, row.terminator);
    }
}

TEST(PclScanner, LowerCaseTerminatorKeepsTheGroupPending) {
    auto ctx = pcl_context_reading(ESC + "&l1o2A" + ESC + "(s3b4T");
    PclState& pcl = ctx->gs.pcl;
    PclSequence first = scan_pcl_sequence(ctx->gs);
    EXPECT_EQ(first.integer, 1);
    EXPECT_EQ(pcl.pending_group, '&');
    EXPECT_EQ(pcl.pending_parameter, 'l');
    PclSequence second = scan_pcl_sequence(ctx->gs);
    EXPECT_EQ(second.integer, 2);
    EXPECT_EQ(pcl.pending_group, 0);
    EXPECT_EQ(pcl.pending_parameter, 0);
    scan_pcl_sequence(ctx->gs);
    EXPECT_EQ(pcl.pending_group, '(');
    EXPECT_EQ(pcl.pending_parameter, 's');
    EXPECT_EQ(scan_pcl_sequence(ctx->gs).code, kIgnoredPclCodes + 85);  // ESC(s#T
}

TEST(PclScanner, PjlContextEndsEqualsAndNineAtOnce) {
    struct Row {
        const char* name;
        bool pcl_context;
        std::vector<int> codes;
    };
    // ESC= and ESC9 have no group of their own: outside a PJL-entered PCL
    // job the search goes on to the `&` of the text after them.
    const std::string input = ESC + "=x&l1O" + ESC + "9E";
    const Row rows[] = {
        {"PCL entered by PJL", true, {0, 0}},
        {"plain PCL", false, {kLandscapeO, pcl_reset}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = pcl_context_reading(input);
        ctx->gs.language.pcl_context = row.pcl_context;
        EXPECT_EQ(scan_codes(ctx), row.codes);
    }
}

// Binary payloads that look like escape sequences and HP-GL.
const std::string kBinary = "\x1b%1BPD;\x00\xff\x0c\x1b"s;  // 11 bytes

TEST(PclMode, SkipsDataBlocksExactly) {
    struct Row {
        const char* name;
        std::string input;
        std::string left;
    };
    const Row rows[] = {
        {"raster row", ESC + "*b11W" + kBinary + "REST", "REST"},
        {"raster plane", ESC + "*b11V" + kBinary + "REST", "REST"},
        {"configuration data", ESC + "&b11W" + kBinary + "REST", "REST"},
        {"pattern", ESC + "*c11W" + kBinary + "REST", "REST"},
        {"raster configuration", ESC + "*g11W" + kBinary + "REST", "REST"},
        {"palette", ESC + "*v11W" + kBinary + "REST", "REST"},
        {"transparent print data", ESC + "&p11X" + kBinary + "REST", "REST"},
        {"symbol set", ESC + "(11W" + kBinary + "REST", "REST"},
        {"primary font", ESC + "(s11W" + kBinary + "REST", "REST"},
        {"secondary font", ESC + ")s11W" + kBinary + "REST", "REST"},
        {"combined: mode then row", ESC + "*b2m11W" + kBinary + "REST", "REST"},
        {"lower-case w keeps the group", ESC + "*b11w" + kBinary + "2M|", "|"},
        {"zero bytes", ESC + "*b0WREST", "REST"},
        {"negative count skips nothing", ESC + "*b-4WREST", "REST"},
        {"plane count limited to 32767", ESC + "*b40000V" + std::string(32767, 'x') + "REST",
         "REST"},
        {"plane count below 0", ESC + "*b-1VREST", "REST"},
        {"count past the end", ESC + "*b99999999999W" + kBinary, ""},
        {"ignored sequences carry no data", ESC + "*r1A" + "REST", "REST"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = pcl_context_reading(row.input);
        run_pcl_step(*ctx);
        if (ctx->gs.pcl.pending_group != 0) run_pcl_step(*ctx);
        EXPECT_EQ(ctx->gs.language.mode, language_pcl);
        EXPECT_EQ(rest_of_input(ctx->gs.reader), row.left);
    }
}

TEST(PclMode, PayloadBytesAreNeverInterpreted) {
    // The payload holds ESC%1B: read as a sequence it would end PCL mode.
    auto ctx = pcl_context_reading(ESC + "*b11W" + kBinary + ESC + "*p30Y" + ESC + "%0BSP1;");
    run_plot_stream(*ctx);
    EXPECT_EQ(ctx->gs.language.mode, language_hpgl);
    EXPECT_EQ(ctx->gs.pcl.cursor_y, 30.0);
    EXPECT_EQ(std::string(ctx->gs.tokens.mnemonic, 2), "SP");
    EXPECT_TRUE(ctx->gs.reader.end_of_input);
}

TEST(PclMode, CountPastTheEndEndsTheInput) {
    auto ctx = pcl_context_reading(ESC + "*b2147483647W" + kBinary);
    run_pcl_step(*ctx);
    EXPECT_TRUE(ctx->gs.reader.end_of_input);
    EXPECT_EQ(input_position(ctx->gs.reader), ctx->gs.reader.file_length);
}

TEST(PclMode, MovesTheCursor) {
    struct Row {
        const char* name;
        std::string input;
        double x;
        double y;
    };
    const Row rows[] = {
        {"absolute", ESC + "*p100x200Y", 100.0, 200.0},
        {"relative plus", ESC + "*p100X" + ESC + "*p+50.5X", 150.5, 0.0},
        {"relative minus", ESC + "*p100Y" + ESC + "*p-30Y", 0.0, 70.0},
        {"zero is absolute", ESC + "*p100X" + ESC + "*p0X", 0.0, 0.0},
        {"reset leaves the cursor", ESC + "*p7x8Y" + ESC + "E", 7.0, 8.0},
        {"cursor sequences are no data", ESC + "*p2X" + ESC + "*p3Y", 2.0, 3.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = pcl_context_reading(row.input);
        while (!ctx->gs.reader.end_of_input) run_pcl_step(*ctx);
        EXPECT_EQ(ctx->gs.pcl.cursor_x, row.x);
        EXPECT_EQ(ctx->gs.pcl.cursor_y, row.y);
    }
}

TEST(PclMode, StopCharactersEndTheSearch) {
    auto ctx = pcl_context_reading(ESC + "*c65E" + ESC + "*c600E" + "xxAyy" + ESC + "E");
    // The scanner alone flags nothing: the ESC E at the end is reached.
    EXPECT_EQ(scan_codes(ctx),
              (std::vector<int>{pcl_stop_character, pcl_stop_character, pcl_reset}));
    ctx = pcl_context_reading(ESC + "*c65E" + ESC + "*c600E" + "xxAyy" + ESC + "E");
    run_pcl_step(*ctx);
    run_pcl_step(*ctx);
    EXPECT_TRUE(ctx->gs.pcl.stop_characters.test('A'));
    EXPECT_EQ(ctx->gs.pcl.stop_characters.count(), 1u);
    EXPECT_EQ(scan_pcl_sequence(ctx->gs).code, pcl_stopped);
    EXPECT_EQ(rest_of_input(ctx->gs.reader), "yy" + ESC + "E");
}

TEST(PclMode, FormFeedIsAPageEnd) {
    // Long enough that the form feed is not in the last tenth of the input.
    const std::string tail = ESC + "*p1X" + ESC + "*p2Y" + ESC + "%1BIN;";
    struct Row {
        const char* name;
        int paths;
        bool stop;
        int pages;
    };
    const Row rows[] = {
        {"after drawing", 1, true, 1},
        {"nothing drawn: ignored", 0, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = pcl_context_reading("\f" + tail);
        ctx->gs.path_counter = row.paths;
        run_pcl_step(*ctx);
        EXPECT_EQ(ctx->gs.stop, row.stop);
        EXPECT_EQ(ctx->gs.more_pages, row.stop);
        EXPECT_EQ(ctx->gs.page_counter, row.pages);
        EXPECT_EQ(std::string(ctx->gs.tokens.mnemonic, 2), "PG");
        EXPECT_EQ(rest_of_input(ctx->gs.reader), tail);  // PG reads no parameter in PCL mode
    }
}

TEST(PclMode, FormFeedInsideDataIsNoPage) {
    auto ctx = pcl_context_reading(ESC + "*b3W\f\f\f" + ESC + "E");
    ctx->gs.path_counter = 1;
    EXPECT_EQ(scan_pcl_sequence(ctx->gs).code, pcl_skip_raster_row);
    ctx = pcl_context_reading(ESC + "*b3W\f\f\f" + ESC + "E" + std::string(100, ' '));
    ctx->gs.path_counter = 1;
    run_plot_stream(*ctx);
    EXPECT_FALSE(ctx->gs.stop);
}

TEST(PclMode, EntersHpglAtTheCursor) {
    struct Row {
        const char* name;
        int resolution;
        std::string input;
        int mode;
        double x;  // drawing units (millimetres)
        double y;
    };
    // Top-left origin, y downward: 300 dots at 300 dpi is one inch, 1016
    // plotter units; the page is 22450 plotter units high.
    const Row rows[] = {
        {"at the cursor", 300, ESC + "*p300x600Y" + ESC + "%1B", language_hpgl, 25.4,
         (22450 - 2032) * 0.025},
        {"at 600 dpi", 600, ESC + "*p600x600Y" + ESC + "%1B", language_hpgl, 25.4,
         (22450 - 1016) * 0.025},
        {"top-left corner", 300, ESC + "%3B", language_hpgl, 0.0, 22450 * 0.025},
        {"even: the pen stays", 300, ESC + "*p300x600Y" + ESC + "%0B", language_hpgl, 5.0, 6.0},
        {"negative: the pen stays", 300, ESC + "*p300x600Y" + ESC + "%-1B", language_hpgl, 5.0,
         6.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = pcl_context_reading(row.input + "PA;");
        ctx->gs.language.resolution = row.resolution;
        ctx->gs.current_x = 5.0;
        ctx->gs.current_y = 6.0;
        ctx->gs.relative_plotting = true;
        while (ctx->gs.language.mode == language_pcl && !ctx->gs.reader.end_of_input)
            run_pcl_step(*ctx);
        EXPECT_EQ(ctx->gs.language.mode, row.mode);
        EXPECT_NEAR(ctx->gs.current_x, row.x, 1e-9);
        EXPECT_NEAR(ctx->gs.current_y, row.y, 1e-9);
        EXPECT_EQ(rest_of_input(ctx->gs.reader), "PA;");
        if (row.x != 5.0) {
            EXPECT_NEAR(ctx->gs.carriage_x, row.x, 1e-9);
            EXPECT_NEAR(ctx->gs.carriage_y, row.y, 1e-9);
            EXPECT_NEAR(ctx->gs.pcl.reentry_x, row.x, 1e-9);
            EXPECT_NEAR(ctx->gs.pcl.reentry_y, row.y, 1e-9);
            EXPECT_FALSE(ctx->gs.relative_plotting);
        } else {
            EXPECT_TRUE(ctx->gs.relative_plotting);
        }
    }
}

TEST(PclMode, EntersPclWithTheCursorFromTheReentryPoint) {
    struct Row {
        const char* name;
        int code;
        int resolution;
        std::int32_t frame_offset;
        double x;
        double y;
    };
    // One drawing unit per plotter unit here; the re-entry point is
    // (10, 20), its coordinates times 0.025 / 25.4 times the resolution.
    const Row rows[] = {
        {"ESC%1A", -3, 300, 0, 10 * 0.025 / 25.4 * 300, 20 * 0.025 / 25.4 * 300},
        {"at 1200 dpi", -3, 1200, 0, 10 * 0.025 / 25.4 * 1200, 20 * 0.025 / 25.4 * 1200},
        {"frame offset left out", -3, 300, 4000, 10 * 0.025 / 25.4 * 300, 20 * 0.025 / 25.4 * 300},
        {"ESC%0A keeps the cursor", -2, 300, 0, 1.0, 2.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading("");
        ctx->gs.language.resolution = row.resolution;
        ctx->gs.frame_offset = row.frame_offset;
        ctx->gs.pcl.reentry_x = 10.0;
        ctx->gs.pcl.reentry_y = 20.0;
        ctx->gs.pcl.cursor_x = 1.0;
        ctx->gs.pcl.cursor_y = 2.0;
        enter_pcl(*ctx, row.code);
        EXPECT_EQ(ctx->gs.language.mode, language_pcl);
        EXPECT_NEAR(ctx->gs.pcl.cursor_x, row.x, 1e-9);
        EXPECT_NEAR(ctx->gs.pcl.cursor_y, row.y, 1e-9);
        EXPECT_EQ(ctx->gs.frame_offset, row.frame_offset);
    }
    // Already in PCL mode: nothing changes.
    auto ctx = pcl_context_reading("");
    ctx->gs.pcl.reentry_x = 10.0;
    enter_pcl(*ctx, escape_enter_pcl_at_pen);
    EXPECT_EQ(ctx->gs.pcl.cursor_x, 0.0);
}

TEST(PclMode, RoundTripInsideHpglText) {
    // ESC%0A in HP-GL text switches to PCL; the raster row's payload is
    // skipped whole; ESC%0B switches back and HP-GL goes on.
    auto ctx = context_reading("IN;" + ESC + "%0A" + ESC + "*b11W" + kBinary + ESC + "%0BSP2;");
    GraphicsState& gs = ctx->gs;
    run_hpgl_command(*ctx);  // IN
    run_hpgl_command(*ctx);  // ESC%0A
    EXPECT_EQ(gs.command, escape_enter_pcl);
    EXPECT_EQ(gs.language.mode, language_pcl);
    run_pcl_step(*ctx);
    EXPECT_EQ(gs.language.mode, language_pcl);
    run_pcl_step(*ctx);
    EXPECT_EQ(gs.language.mode, language_hpgl);
    run_hpgl_command(*ctx);
    EXPECT_EQ(std::string(gs.tokens.mnemonic, 2), "SP");
}

TEST(PclMode, PjlEnteredPclIgnoresTheSwitchInHpglText) {
    auto ctx = context_reading("IN;" + ESC + "%1A" + ESC + "*p5X" + ESC + "%1BSP2;");
    ctx->gs.language.pcl_context = true;
    run_hpgl_command(*ctx);  // IN
    run_hpgl_command(*ctx);  // the sequences are passed over to SP
    EXPECT_EQ(ctx->gs.language.mode, language_hpgl);
    EXPECT_EQ(std::string(ctx->gs.tokens.mnemonic, 2), "SP");
    EXPECT_EQ(ctx->gs.pcl.cursor_x, 0.0);
}

TEST(PclMode, EveryStepReadsOnUntilTheEnd) {
    // Seeded inputs from the characters sequences are made of: each step
    // takes at least one byte, so the scan ends within the input's length.
    const std::string alphabet = "\x1b\x1b\x1b%&*()Esbcpl0123456789+-.AWVXYBwxy\f;"s;
    std::mt19937 random(1234);
    for (int round = 0; round < 300; ++round) {
        std::string input;
        const std::size_t length = 1 + random() % 200;
        for (std::size_t i = 0; i < length; ++i) input += alphabet[random() % alphabet.size()];
        SCOPED_TRACE(round);
        auto ctx = pcl_context_reading(input);
        std::size_t steps = 0;
        while (ctx->gs.language.mode == language_pcl && !ctx->gs.reader.end_of_input &&
               steps <= length + 1) {
            run_pcl_step(*ctx);
            ++steps;
        }
        EXPECT_LE(steps, length + 1);
    }
}

TEST(PclMode, StateIsSetOnTheFirstPageAndKeptAfter) {
    auto ctx = pcl_context_reading(ESC + "*p40x50Y" + ESC + "*c66E" + ESC + "&l1o");
    for (int i = 0; i < 4; ++i) run_pcl_step(*ctx);
    ctx->gs.pcl.reentry_x = 3.0;
    ASSERT_EQ(ctx->gs.pcl.pending_group, '&');

    ctx->gs.more_pages = true;  // the next page of the same file
    initialize_file_state(*ctx);
    EXPECT_EQ(ctx->gs.language.mode, language_pcl);
    EXPECT_EQ(ctx->gs.pcl.cursor_x, 40.0);
    EXPECT_EQ(ctx->gs.pcl.cursor_y, 50.0);
    EXPECT_EQ(ctx->gs.pcl.reentry_x, 3.0);
    EXPECT_TRUE(ctx->gs.pcl.stop_characters.test('B'));

    ctx->gs.more_pages = false;  // a new file
    initialize_file_state(*ctx);
    EXPECT_EQ(ctx->gs.language.mode, language_hpgl);
    EXPECT_EQ(ctx->gs.language.resolution, 300);
    EXPECT_EQ(ctx->gs.pcl.cursor_x, 0.0);
    EXPECT_EQ(ctx->gs.pcl.reentry_x, 0.0);
    EXPECT_EQ(ctx->gs.pcl.pending_group, 0);
    EXPECT_EQ(ctx->gs.pcl.stop_characters.count(), 0u);
}

}  // namespace
}  // namespace penloom
