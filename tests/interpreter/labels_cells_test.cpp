// The character cell: label origin offsets, direction, CP, DT, SM, DV and
// the label state reset before pages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/drawing_context.h"
#include "support/dxf_text.h"
#include "interpreter/labels.h"

namespace penloom {
namespace {

using testing::run_labels;

TEST(LabelOrigin, CodesOffsetsAndJustification) {
    struct Row { std::string input; int code, horizontal, vertical; double ox, oy; };
    // Default cell: width 2.03, height 2.84; a quarter is 0.5075 by 0.71.
    const double x = 0.5075, y = 0.71;
    // Centred codes (4..9) and justification are seen in the TEXT groups of
    // the label tests; here the offsets of the 1x and 2x codes and the odd ones.
    const Row rows[] = {
        {"LO11;", 11, 0, 0, x, y},         {"LO19;", 19, 2, 3, -x, -y},  {"LO16;", 16, 1, 3, 0, -y},
        {"LO23;", 23, 0, 3, 2 * x, -2 * y}, {"LO10;", 10, 0, 0, x, y},    {"LO0;", 0, 0, 0, 0, 0},
        {"LO-13;", -13, 0, 0, -x, -y},     {"LO18;", 18, 2, 2, -x, 0},
        {"LO13,2;", 1, 0, 0, 0, 0},  // two parameters: 1
        {"LO11;SI0.4,0.8;", 11, 0, 0, 1.0, 2.0},                          // SI recomputes the offsets
        {"LO11;SR;", 11, 0, 0, x, y},                                     // SR does not
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        auto ctx = run_labels(row.input);
        const GraphicsState& gs = ctx->gs;
        EXPECT_EQ(gs.label_origin, row.code);
        EXPECT_EQ(gs.label_horizontal, row.horizontal);
        EXPECT_EQ(gs.label_vertical, row.vertical);
        EXPECT_NEAR(gs.label_offset_x, row.ox, 1e-12);
        EXPECT_NEAR(gs.label_offset_y, row.oy, 1e-12);
    }
}

TEST(LabelDirection, DiAnglesAndRotations) {
    // ro: RO rotation in force; run: run rotation
    struct Row { const char* name; std::string input; int ro; int run; double direction; };
    const Row rows[] = {
        {"DI0,1", "DI0,1;", 0, 0, 90},
        {"one parameter is 0", "DI0,1;DI5;", 0, 0, 0},
        {"DI0,-1", "DI0,-1;", 0, 0, -90},
        {"DI-1,-1", "DI-1,-1;", 0, 0, 225},
        {"a tiny run counts as none", "DI0.0000001,-3;", 0, 0, -90},
        {"RO adds", "DI0,1;", 90, 0, 180},
        {"and the run rotation", "DI-1,0;", 90, 180, 90},
        {"a run rotation of 45 is not used", "DI0,1;", 0, 45, 90},
        {"brought below 360", "DI-1,-1;", 270, 270, 45},
        {"DR changes nothing", "DI0,1;DR1,0;", 0, 0, 90},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = testing::label_context(row.input);
        ctx->gs.rotation = row.ro;
        ctx->gs.run_rotation = row.run;
        testing::run_all(*ctx);
        EXPECT_NEAR(ctx->gs.label_direction, row.direction, 1e-9);
    }
}

TEST(LabelDirection, RoSetsTheDirectionAndCarriageReturnPoint) {
    auto ctx = run_labels("DI0,1;PA400,0;RO90;");
    EXPECT_NEAR(ctx->gs.label_direction, 90, 1e-12);
    EXPECT_NEAR(ctx->gs.carriage_x, ctx->gs.current_x, 1e-12);
    EXPECT_NEAR(ctx->gs.carriage_y, ctx->gs.current_y, 1e-12);
}

TEST(CharacterPlot, MovesFromTheCarriageReturnPoint) {
    const double h2 = 2 * 2.84;
    struct Row { const char* name; std::string input; double x, y; };
    const Row rows[] = {
        {"after a label: back and one line down",
         "PA100,100;LBAB\x03"
         "CP;",
         2.5, 2.5 - h2},
        {"spaces and lines", "CP2,1;", 2 * 2.82, h2},
        {"spaces alone", "CP-1;", -2.82, 0},
        {"twice down", "CP;CP;", 0, -2 * h2},
        {"along the direction", "DI0,1;CP3,0;", 0, 3 * 2.82},
        {"DI sets the carriage-return point", "PA400,0;DI1,0;PA0,0;DI;CP;", 0, -h2},
        {"LO sets it too", "PA400,0;LO1;PA0,0;CP0,0;", 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = run_labels(row.input);
        EXPECT_NEAR(ctx->gs.current_x, row.x, 1e-9);
        EXPECT_NEAR(ctx->gs.current_y, row.y, 1e-9);
        EXPECT_NEAR(ctx->gs.carriage_x, row.x, 1e-9);
        EXPECT_NEAR(ctx->gs.carriage_y, row.y, 1e-9);
    }
}

// DT and SM as the labels show them are checked with the TEXT entities;
// these change nothing or are only stored.
TEST(LabelCells, TerminatorsAndModesThatChangeNothing) {
    struct Row { std::string input; int terminator; int vertical; };
    const Row rows[] = {{"DT*;DT\x05;", '*', 0}, {"DT*;DT\x1b", '*', 0}, {"DV2;", 3, 2}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        auto ctx = run_labels(row.input);
        EXPECT_EQ(ctx->gs.label_terminator, row.terminator);
        EXPECT_EQ(ctx->gs.vertical_labels, row.vertical);
    }
    auto ctx = run_labels("SM\xe9;");
    EXPECT_EQ(ctx->gs.symbol_char, 0xe9);
}

TEST(LabelCells, DtHandsBackWhatFollowsASpace) {
    // The letter after the space starts the next instruction.
    auto ctx = run_labels("DT LBAB CD");
    EXPECT_EQ(ctx->gs.label_terminator, ' ');
    EXPECT_NEAR(ctx->gs.current_x, 2 * 2.82, 1e-12);
}

// Per page: origin, justification and symbol mode reset; the first page of
// a file also resets direction, offsets, vertical labels and font choice.
TEST(LabelCells, ResetBeforePages) {
    auto ctx = run_labels("DT*;LO13;SM*;DI0,1;DV1;SA;");
    GraphicsState& gs = ctx->gs;
    gs.more_pages = true;  // a later page of the same file
    initialize_file_state(*ctx);
    EXPECT_EQ(gs.label_terminator, 3);
    EXPECT_EQ(gs.label_origin, 1);
    EXPECT_EQ(gs.label_horizontal, 0);
    EXPECT_EQ(gs.label_vertical, 0);
    EXPECT_FALSE(gs.symbol_mode);
    EXPECT_NEAR(gs.label_direction, 90, 1e-12);
    EXPECT_EQ(gs.vertical_labels, 1);
    EXPECT_EQ(gs.current_font, 1);
    EXPECT_NEAR(gs.label_offset_x, 0.5075, 1e-12);  // kept: the origin code's offsets stay

    gs.more_pages = false;  // the next file
    initialize_file_state(*ctx);
    EXPECT_NEAR(gs.label_direction, 0, 1e-12);
    EXPECT_EQ(gs.vertical_labels, 0);
    EXPECT_EQ(gs.current_font, 0);
    EXPECT_NEAR(gs.label_offset_x, 0, 1e-12);
    EXPECT_NEAR(gs.width_factor, 0.8, 1e-12);
}

}  // namespace
}  // namespace penloom
