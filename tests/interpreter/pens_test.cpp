// Pens and line types on the interpreter side: SP, PW, PC, CR, NP, LT, the
// per-page reset and the settings sections of the pen table.
#include "interpreter/pens.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "construction/colours.h"
#include "construction/linetypes.h"
#include "input/support.h"
#include "interpreter/command_loop.h"
#include "support/drawing_context.h"

namespace penloom {
namespace {

using testing::context_reading;

using testing::run_all;

std::unique_ptr<Context> run_commands(const std::string& commands,
                                      void (*prepare)(Context&) = nullptr) {
    auto ctx = context_reading(commands);
    if (prepare) prepare(*ctx);
    run_all(*ctx);
    return ctx;
}

const PenEntry& pen(const Context& ctx, int n) {
    return ctx.gs.pens.table[static_cast<std::size_t>(n)];
}

TEST(Pens, WidthCodes) {
    struct Row { double width; int code; };
    // Each side of the first midpoint, of a tie, of the last midpoint; below 0.
    const Row rows[] = {{0.025, 0},  {0.026, 5},   {0.07, 5},    {0.0701, 9}, {0.35, 35},
                        {2.055, 200}, {2.0551, 0}, {-1.0, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.width);
        EXPECT_EQ(width_code(row.width), row.code);
    }
}

TEST(Pens, SelectPenFoldsNumbersIntoThePens) {
    struct Row { const char* name; std::string input; int raster_device; int pen; int colour; };
    const Row rows[] = {
        {"SP9 with 8 pens on a raster device", "SP9;", 1, 2, 1},
        {"SP8 wraps to 1", "SP8;", 1, 1, 7},
        {"negative numbers count as positive", "SP-3;", 1, 3, 3},
        {"SP without a number is pen 0", "SP;", 1, 0, 254},
        {"SP7 is the last pen", "SP7;", 1, 7, 4},
        {"not a raster device: SP9 goes round all 8", "SP9;", 0, 1, 7},
        {"not a raster device: SP10", "SP10;", 0, 2, 1},
        {"NP4 then SP5", "NP4;SP5;", 1, 2, 1},
        {"the most negative number", "SP-2147483648;", 1, 2, 1},
        {"NP256 then SP255", "NP256;SP255;", 1, 255, 255},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = context_reading(row.input);
        ctx->settings.RasterDevice = row.raster_device;
        run_all(*ctx);
        EXPECT_EQ(ctx->gs.current_pen, row.pen);
        EXPECT_EQ(ctx->gs.current_colour, row.colour);
        EXPECT_EQ(ctx->drawing.layers.current, row.pen);
    }
}

TEST(Pens, PenWidths) {
    struct Row {
        const char* name;
        std::string input;
        std::vector<std::pair<int, int>> codes;  // pen, code
        double current_width;
        int current_code;
    };
    const Row rows[] = {
        {"PW0.5 sets the eight pens", "PW0.5;", {{0, 50}, {1, 50}, {7, 50}, {8, 35}}, 0.5, 50},
        {"PW0.5,3 only pen 3", "PW0.5,3;", {{3, 50}, {1, 35}, {4, 35}}, 0.5, 50},
        {"PW0.07 ties to the thinner", "PW0.07;", {{1, 5}}, 0.07, 5},
        {"PW alone is the default width", "PW0.5;PW;", {{1, 35}, {7, 35}}, 0.35, 35},
        {"beyond the last midpoint", "PW2.1;", {{1, 0}}, 2.1, 0},
        {"a pen outside the table", "PW0.5,300;", {{1, 35}}, 0.5, 50},
        {"NP16 then PW covers 16 pens", "NP16;PW1;", {{15, 100}, {16, 35}}, 1.0, 100},
        {"SP takes the pen's width", "PW0.5,3;PW0.25,1;SP3;", {{3, 50}, {1, 25}}, 0.5, 50},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = run_commands(row.input);
        for (auto [n, code] : row.codes) EXPECT_EQ(pen(*ctx, n).code, code) << "pen " << n;
        EXPECT_DOUBLE_EQ(ctx->gs.current_width, row.current_width);
        EXPECT_EQ(ctx->gs.current_lineweight, row.current_code);
    }
}

TEST(Pens, PenColours) {
    struct Row {
        const char* name;
        std::string input;
        int hard_white, hard_black, pen, colour, current_colour;
        bool white;
    };
    const std::string range = "CR0,100,0,100,0,100;";
    const Row rows[] = {
        {"pure red", "PC1,255,0,0;", 1, 0, 1, 1, 1, false},
        {"white with HardWhite", "PC1,255,255,255;", 1, 0, 1, 255, 255, true},
        {"white without HardWhite", "PC1,255,255,255;", 0, 0, 1, 7, 7, true},
        {"nearest row (250,250,250)", "PC1,250,250,250;", 1, 0, 1, 255, 255, false},
        {"black", "PC1,0,0,0;", 1, 0, 1, 7, 7, false},
        {"black with HardBlack", "PC1,0,0,0;", 1, 1, 1, 250, 250, false},
        {"the grey of entry 0 comes out as 253", "PC1,232,232,232;", 1, 0, 1, 253, 253, false},
        {"PC1 alone resets pen 1", "PC1,255,0,0;PC1;", 1, 0, 1, 7, 1, false},
        {"PC alone resets every pen", "PC3,255,0,0;PC;", 1, 0, 3, 3, 7, false},
        {"another pen leaves the current colour", "PC3,255,0,0;", 1, 0, 3, 1, 7, false},
        {"the white mark goes with the next colour", "PC1,255,255,255;PC2,255,0,0;", 1, 0, 2, 1,
         255, false},
        {"colour range 0..100", range + "PC1,50,50,50;", 1, 0, 1, 9, 9, false},
        {"white reference of the range", range + "PC1,100,100,100;", 1, 0, 1, 255, 255, true},
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
        EXPECT_EQ(pen(*ctx, row.pen).colour, row.colour);
        EXPECT_EQ(ctx->gs.current_colour, row.current_colour);
        EXPECT_EQ(ctx->gs.pens.white_colour, row.white);
    }
}

TEST(Pens, NumberOfPens) {
    struct Row { std::string input; int pens; };
    const Row rows[] = {{"NP5;", 8},   {"NP129;", 256}, {"NP128;", 128},
                        {"NP3;", 4},   {"NP1;", 2},     {"NP16;NP;", 8}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(run_commands(row.input)->gs.pen_count, row.pens);
    }
}

// A list with record 0 in place, as after the drawing was created (none
// here, so new records come without handles).
void with_record_zero(Context& ctx) {
    begin_drawing_linetypes(ctx);
}

TEST(Pens, LineTypes) {
    struct Row {
        const char* name;
        std::string input;
        int current;
        int previous;
        double length;
        int mode;
        std::vector<std::string> names;  // records 1 onward
    };
    const double diagonal_4 = 38.60003238340611;  // 4 % of the default P1-P2 diagonal
    const Row rows[] = {
        {"absolute", "LT2,4,1;", 1, -1, 4.0, 1, {"DASH3"}},
        {"relative to the diagonal", "LT2,4;", 1, -1, diagonal_4, 0, {"DASH3"}},
        {"the default pattern length", "LT2;", 1, -1, 20.0, 0, {"DASH3"}},
        {"LT alone is solid", "LT2;LT;", -1, 0, 20.0, 0, {"DASH3"}},
        {"LT99 swaps back", "LT2;LT3;LT99;", 1, 2, 20.0, 0, {"DASH3", "DASH4"}},
        {"LT99 after LT is CONTINUOUS", "LT2;LT;LT99;", 0, -1, 20.0, 0, {"DASH3"}},
        {"the mode persists", "LT2,2,1;LT2,3;", 2, 1, 3.0, 1, {"DASH3", "DASH31"}},
        {"lengths within 0.1 share", "LT2,5,1;LT2,5.05;LT2,5.2;", 2, 1, 5.2, 1, {"DASH3", "DASH31"}},
        {"adaptive types", "LT-1;LT-8;", 2, 1, 20.0, 0, {"DOT1", "DASH2DOT"}},
        {"a type with no pattern is ignored", "LT2,4,1;LT17,9,0;LT-9;", 1, -1, 4.0, 1, {"DASH3"}},
        {"LT99 with a length sets the length", "LT2;LT99,5,1;", -1, 1, 5.0, 1, {"DASH3"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = run_commands(row.input, with_record_zero);
        EXPECT_EQ(ctx->gs.current_linetype, row.current);
        EXPECT_EQ(ctx->gs.previous_linetype, row.previous);
        EXPECT_NEAR(ctx->gs.pens.pattern_length, row.length, 1e-9);
        EXPECT_EQ(ctx->gs.pens.pattern_mode, row.mode);
        const auto& records = ctx->drawing.linetypes.records;
        ASSERT_EQ(records.size(), row.names.size() + 1);
        for (std::size_t i = 0; i < row.names.size(); ++i)
            EXPECT_EQ(records[i + 1].name, row.names[i]);
    }
}

TEST(Pens, LineTypeWithoutDrawingIsReported) {
    auto ctx = run_commands("LT2;LT2;LT3;", with_record_zero);
    EXPECT_EQ(ctx->out.text(),
              "ERROR in iget_linetype: dwghandle == NULL :\n"
              "ERROR in iget_linetype: dwghandle == NULL :\n");
}

TEST(Pens, PageResetRestoresPensAndLineTypes) {
    auto ctx = run_commands("SP3;PW1;PC1,255,0,0;LT2,4,1;CR0,9,0,9,0,9;", with_record_zero);
    ctx->gs.more_pages = true;
    initialize_file_state(*ctx);
    const GraphicsState& gs = ctx->gs;
    EXPECT_EQ(gs.current_pen, 1);
    EXPECT_EQ(gs.current_colour, 7);
    EXPECT_EQ(gs.current_lineweight, 35);
    EXPECT_EQ(pen(*ctx, 1).colour, 7);
    EXPECT_EQ(pen(*ctx, 5).code, 35);
    EXPECT_EQ(gs.current_linetype, -1);
    EXPECT_EQ(gs.pens.pattern_length, 20.0);
    EXPECT_TRUE(ctx->drawing.linetypes.records.empty());
    EXPECT_EQ(gs.pens.range.white[0], 255);
}

TEST(Pens, InResetsPensButKeepsTheLineType) {
    auto ctx = run_commands("PW1;PC1,255,0,0;LT2;IN;", with_record_zero);
    EXPECT_EQ(pen(*ctx, 1).colour, 7);
    EXPECT_EQ(pen(*ctx, 1).code, 35);
    EXPECT_DOUBLE_EQ(ctx->gs.current_width, 0.35);
    EXPECT_EQ(ctx->gs.current_linetype, 1);
}

TEST(Pens, SettingsSectionsGiveDefaults) {
    testing::LabelSettings settings(
        "[Settings]\nHPGLPens=1\nHPGLPenWidths=1\ndefaultpenwidth=0.5\n"
        "[HPGLPens]\n1=5\n3=-1\n256=12\n"
        "[HPGLPenWidths]\n2=0.25\n4=-2\n");
    auto ctx = context_reading("");
    ctx->program_folder = settings.folder;
    initialize_file_state(*ctx);
    EXPECT_EQ(pen(*ctx, 1).default_colour, 5);
    EXPECT_TRUE(pen(*ctx, 1).colour_from_settings);
    EXPECT_EQ(pen(*ctx, 3).default_colour, 3);
    EXPECT_FALSE(pen(*ctx, 3).colour_from_settings);
    EXPECT_EQ(pen(*ctx, 256).colour, 12);
    EXPECT_EQ(pen(*ctx, 2).code, 25);
    EXPECT_TRUE(pen(*ctx, 2).width_from_settings);
    EXPECT_EQ(pen(*ctx, 4).code, 50);
    EXPECT_FALSE(pen(*ctx, 4).width_from_settings);
    EXPECT_EQ(ctx->gs.current_colour, 5);
    EXPECT_DOUBLE_EQ(ctx->gs.current_width, 0.5);

    attach_plot_bytes(ctx->gs.reader, "PC1,255,0,0;PC2,0,0,255;PW0.7;PC;");
    run_all(*ctx);
    EXPECT_EQ(pen(*ctx, 1).colour, 5) << "fixed by the settings";
    EXPECT_EQ(pen(*ctx, 2).colour, 5) << "PC; resets nothing under HPGLPens";
    EXPECT_EQ(pen(*ctx, 1).code, 50) << "PW changes nothing under HPGLPenWidths";
    EXPECT_DOUBLE_EQ(ctx->gs.current_width, 0.5);
}

TEST(Pens, NumPensIsThePenCountOfTheRun) {
    auto ctx = context_reading("SP9;");
    ctx->settings.NumPens = 16;
    ctx->gs.pens.run_defaults_applied = false;
    initialize_file_state(*ctx);
    run_all(*ctx);
    EXPECT_EQ(ctx->gs.pen_count, 16);
    EXPECT_EQ(ctx->gs.current_pen, 9);
}

}  // namespace
}  // namespace penloom
