// Pens and line types on the interpreter side: SP, PW, PC, CR, NP, LT, the
// per-page reset and the settings sections of the pen table. The nearest
// table colour and linetype naming are the construction suite's; the layer,
// colour, lineweight and linetype each entity gets are in the e2e suite.
#include "interpreter/pens.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "construction/linetypes.h"
#include "input/support.h"
#include "support/drawing_context.h"

namespace penloom {
namespace {

using testing::context_reading;
using testing::run_all;

// A list with record 0 in place, as after the drawing was created (none
// here, so new records come without handles).
std::unique_ptr<Context> run_commands(const std::string& commands, bool linetypes = false) {
    auto ctx = context_reading(commands);
    if (linetypes) begin_drawing_linetypes(ctx->drawing);
    run_all(*ctx);
    return ctx;
}

const PenEntry& pen(const Context& ctx, int n) {
    return ctx.gs.pens.table[static_cast<std::size_t>(n)];
}

TEST(Pens, WidthCodes) {
    // Each side of the first midpoint, of a tie, of the last midpoint; below 0.
    const std::pair<double, int> rows[] = {{0.025, 0}, {0.026, 5},   {0.07, 5},   {0.0701, 9},
                                           {0.35, 35}, {2.055, 200}, {2.0551, 0}, {-1.0, 0}};
    for (auto [width, code] : rows) EXPECT_EQ(width_code(width), code) << width;
}

TEST(Pens, SelectPenFoldsNumbersIntoThePens) {
    struct Row { const char* name; std::string input; int raster_device, pen, colour; };
    const Row rows[] = {
        {"SP9 with 8 pens on a raster device", "SP9;", 1, 2, 1},
        {"SP8 wraps to 1", "SP8;", 1, 1, 7},
        {"negative numbers count as positive", "SP-3;", 1, 3, 3},
        {"SP without a number is pen 0", "SP;", 1, 0, 254},
        {"not a raster device: SP9 goes round all 8", "SP9;", 0, 1, 7},
        {"NP4 then SP5", "NP4;SP5;", 1, 2, 1},
        {"the most negative number", "SP-2147483648;", 1, 2, 1},
        {"NP256 then SP255", "NP256;SP255;", 1, 255, 255},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading(row.input);
        ctx->settings.RasterDevice = row.raster_device;
        run_all(*ctx);
        EXPECT_EQ(std::tuple(ctx->gs.current_pen, ctx->gs.current_colour, ctx->drawing.layers.current),
                  std::tuple(row.pen, row.colour, row.pen));
    }
    const std::pair<std::string, int> counts[] = {{"NP5;", 8}, {"NP129;", 256}, {"NP128;", 128},
                                                  {"NP3;", 4}, {"NP1;", 2},     {"NP16;NP;", 8}};
    for (const auto& [input, pens] : counts) EXPECT_EQ(run_commands(input)->gs.pen_count, pens) << input;
}

TEST(Pens, PenWidths) {
    // codes: pen, code
    struct Row { const char* name; std::string input; std::vector<std::pair<int, int>> codes;
                 double width; int code; };
    const Row rows[] = {
        {"PW0.5 sets the eight pens", "PW0.5;", {{0, 50}, {1, 50}, {7, 50}, {8, 35}}, 0.5, 50},
        {"PW0.5,3 only pen 3", "PW0.5,3;", {{3, 50}, {1, 35}, {4, 35}}, 0.5, 50},
        {"PW alone is the default width", "PW0.5;PW;", {{1, 35}, {7, 35}}, 0.35, 35},
        {"a pen outside the table", "PW0.5,300;", {{1, 35}}, 0.5, 50},
        {"NP16 then PW covers 16 pens", "NP16;PW1;", {{15, 100}, {16, 35}}, 1.0, 100},
        {"SP takes the pen's width", "PW0.5,3;PW0.25,1;SP3;", {{3, 50}, {1, 25}}, 0.5, 50},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto ctx = run_commands(row.input);
        for (auto [n, code] : row.codes) EXPECT_EQ(pen(*ctx, n).code, code) << "pen " << n;
        EXPECT_EQ(std::pair(ctx->gs.current_width, ctx->gs.current_lineweight),
                  std::pair(row.width, row.code));
    }
}

TEST(Pens, PenColours) {
    struct Row { const char* name; std::string input; int hard_white, hard_black, pen, colour, current;
                 bool white; };
    const std::string range = "CR0,100,0,100,0,100;";
    const Row rows[] = {
        {"white with HardWhite", "PC1,255,255,255;", 1, 0, 1, 255, 255, true},
        {"white without HardWhite", "PC1,255,255,255;", 0, 0, 1, 7, 7, true},
        {"black with HardBlack", "PC1,0,0,0;", 1, 1, 1, 250, 250, false},
        {"PC1 alone resets pen 1", "PC1,255,0,0;PC1;", 1, 0, 1, 7, 1, false},
        {"PC alone resets every pen", "PC3,255,0,0;PC;", 1, 0, 3, 3, 7, false},
        {"the white mark goes with the next colour", "PC1,255,255,255;PC2,255,0,0;", 1, 0, 2, 1, 255, false},
        {"colour range 0..100", range + "PC1,50,50,50;", 1, 0, 1, 9, 9, false},
        {"CR alone restores 0..255", range + "CR;PC1,100,100,100;", 1, 0, 1, 39, 39, false},
        {"an incomplete range is ignored", "CR0,100;PC1,255,255,255;", 1, 0, 1, 255, 255, true},
        {"equal references scale nothing", "CR5,5,5,5,5,5;PC1,128,0,0;", 1, 0, 1, 18, 18, false},
        {"SP takes the pen's colour", "PC3,255,0,0;SP3;", 1, 0, 3, 1, 1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading(row.input);
        ctx->settings.HardWhite = row.hard_white;
        ctx->settings.HardBlack = row.hard_black;
        run_all(*ctx);
        EXPECT_EQ(std::tuple(pen(*ctx, row.pen).colour, ctx->gs.current_colour, ctx->gs.pens.white_colour),
                  std::tuple(row.colour, row.current, row.white));
    }
}

TEST(Pens, LineTypes) {
    // names: records 1 onward
    struct Row { const char* name; std::string input; int current, previous; double length; int mode;
                 std::vector<std::string> names; };
    const double diagonal_4 = 38.60003238340611;  // 4 % of the default P1-P2 diagonal
    const Row rows[] = {
        {"absolute", "LT2,4,1;", 1, -1, 4.0, 1, {"DASH3"}},
        {"relative to the diagonal", "LT2,4;", 1, -1, diagonal_4, 0, {"DASH3"}},
        {"the default pattern length", "LT2;", 1, -1, 20.0, 0, {"DASH3"}},
        {"LT alone is solid", "LT2;LT;", -1, 0, 20.0, 0, {"DASH3"}},
        {"LT99 swaps back", "LT2;LT3;LT99;", 1, 2, 20.0, 0, {"DASH3", "DASH4"}},
        {"the mode persists", "LT2,2,1;LT2,3;", 2, 1, 3.0, 1, {"DASH3", "DASH31"}},
        {"a type with no pattern is ignored", "LT2,4,1;LT17,9,0;LT-9;", 1, -1, 4.0, 1, {"DASH3"}},
        {"LT99 with a length sets the length", "LT2;LT99,5,1;", -1, 1, 5.0, 1, {"DASH3"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = run_commands(row.input, true);
        EXPECT_EQ(std::tuple(ctx->gs.current_linetype, ctx->gs.previous_linetype, ctx->gs.pens.pattern_mode),
                  std::tuple(row.current, row.previous, row.mode));
        EXPECT_NEAR(ctx->gs.pens.pattern_length, row.length, 1e-9);
        std::vector<std::string> names;
        for (std::size_t i = 1; i < ctx->drawing.linetypes.records.size(); ++i)
            names.push_back(ctx->drawing.linetypes.records[i].name);
        EXPECT_EQ(names, row.names);
    }
    EXPECT_EQ(run_commands("LT2;LT2;LT3;", true)->out.text(),
              "ERROR in iget_linetype: dwghandle == NULL :\nERROR in iget_linetype: dwghandle == NULL :\n");
}

// The reset before a page is checked with the page commands.
TEST(Pens, InResetsPensButKeepsTheLineType) {
    auto ctx = run_commands("PW1;PC1,255,0,0;LT2;IN;", true);
    const GraphicsState& gs = ctx->gs;
    EXPECT_EQ(std::tuple(pen(*ctx, 1).colour, pen(*ctx, 1).code, gs.current_width, gs.current_linetype),
              std::tuple(7, 35, 0.35, 1));
}

TEST(Pens, SettingsSectionsGiveDefaults) {
    testing::LabelSettings settings("[Settings]\nHPGLPens=1\nHPGLPenWidths=1\ndefaultpenwidth=0.5\n"
                                    "[HPGLPens]\n1=5\n3=-1\n256=12\n[HPGLPenWidths]\n2=0.25\n4=-2\n");
    auto ctx = context_reading("");
    locate_settings_file(ctx->profile, settings.folder);
    initialize_file_state(ctx->interpreter);
    // Pen 3's -1 and pen 4's -2 are no values: their defaults stay.
    EXPECT_EQ(std::tuple(pen(*ctx, 1).default_colour, pen(*ctx, 1).colour_from_settings,
                         pen(*ctx, 3).default_colour, pen(*ctx, 3).colour_from_settings,
                         pen(*ctx, 256).colour, ctx->gs.current_colour),
              std::tuple(5, true, 3, false, 12, 5));
    EXPECT_EQ(std::tuple(pen(*ctx, 2).code, pen(*ctx, 2).width_from_settings, pen(*ctx, 4).code,
                         pen(*ctx, 4).width_from_settings, ctx->gs.current_width),
              std::tuple(25, true, 50, false, 0.5));
    attach_plot_bytes(ctx->gs.reader, "PC1,255,0,0;PC2,0,0,255;PW0.7;PC;");
    run_all(*ctx);
    EXPECT_EQ(pen(*ctx, 1).colour, 5) << "fixed by the settings";
    EXPECT_EQ(pen(*ctx, 2).colour, 5) << "PC; resets nothing under HPGLPens";
    EXPECT_EQ(pen(*ctx, 1).code, 50) << "PW changes nothing under HPGLPenWidths";
    EXPECT_DOUBLE_EQ(ctx->gs.current_width, 0.5);
    ctx = context_reading("SP9;");  // NumPens is the pen count of the run
    ctx->settings.NumPens = 16;
    ctx->gs.pens.run_defaults_applied = false;
    initialize_file_state(ctx->interpreter);
    run_all(*ctx);
    EXPECT_EQ(ctx->gs.pen_count, 16);
    EXPECT_EQ(ctx->gs.current_pen, 9);
}

}  // namespace
}  // namespace penloom
