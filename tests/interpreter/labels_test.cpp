// Labels: LB's text, terminators, joining, lines at CR and LF, the pen
// advance, justification, symbol mode, visibility, and the TEXT entities as
// the DXF writer writes them; then the character cell (LO offsets, DI, CP)
// and the font definitions (SI, SR, SS, SA, SD, AD sizes, font files and
// typeface styles). The reset before pages and files is checked with the
// page commands.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "interpreter/coordinates.h"
#include "interpreter/fonts.h"
#include "interpreter/labels.h"
#include "support/drawing_context.h"
#include "support/dxf_text.h"

namespace penloom {
namespace {

using testing::entity_groups;
using testing::LabelSettings;
using testing::run_labels;
using testing::saved_dxf;

const std::string ETX = "\x03";
const double W = 2.82;  // the default advance
const std::string o = "0.0";

// A TEXT's groups as entity_groups gives them, at height 2.84; `more` are
// the groups after the text (width factor 0.8: the first file of a run
// starts with StdWidthScale).
std::string text(const std::string& x, const std::string& y, const std::string& s,
                 const std::string& more = "41=0.8") {
    return "10=" + x + " 20=" + y + " 30=0.0 40=2.84 1=" + s + (more.empty() ? "" : " " + more);
}
// The same with an alignment point equal to the insertion point.
std::string aligned(const std::string& x, const std::string& y, const std::string& s,
                    const std::string& h, const std::string& v, const std::string& before = "") {
    return text(x, y, s, before + "41=0.8" + (h.empty() ? "" : " 72=     " + h) + " 11=" + x +
                             " 21=" + y + " 31=0.0" + (v.empty() ? "" : " 73=     " + v));
}

// texts: TEXT groups, see entity_groups; pen_x, pen_y: drawing units after the run
struct TextRow { const char* name; std::string input; std::vector<std::string> texts; double pen_x, pen_y; };

void check_rows(const std::vector<TextRow>& rows) {
    for (const TextRow& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = run_labels(row.input);
        EXPECT_EQ(entity_groups(saved_dxf(*ctx), "TEXT"), row.texts);
        EXPECT_NEAR(ctx->gs.current_x, row.pen_x, 1e-9);
        EXPECT_NEAR(ctx->gs.current_y, row.pen_y, 1e-9);
    }
}

TEST(Labels, TerminatorsJoiningLinesAndJustification) {
    check_rows({
        {"DT* ends the text at *", "DT*;LBABC*", {text(o, o, "ABC")}, 3 * W, 0},
        {"DT; sets ETX again", "DT*;DT;LBA*B" + ETX, {text(o, o, "A*B")}, 3 * W, 0},
        {"a space terminator", "DT ;LBAB CD", {text(o, o, "AB")}, 2 * W, 0},
        {"DT space: C starts the next instruction", "DT LBAB CD", {text(o, o, "AB")}, 2 * W, 0},
        {"DT with ENQ or ESC changes nothing", "DT*;DT\x05;DT\x1b;LBA*", {text(o, o, "A")}, W, 0},
        {"DT space ETX: ETX ends it", "DT \x03LBA B" + ETX, {text(o, o, "A B")}, 3 * W, 0},
        {"DT NUL leaves the terminator", std::string("DT\0;LBA;B", 9) + ETX, {text(o, o, "A;B")}, 3 * W, 0},
        {"labels join, lower-case lb too", "LBAB" + ETX + " \r\nlbCD" + ETX, {text(o, o, "ABCD")}, 4 * W, 0},
        {"another instruction between them", "LBAB" + ETX + "PA100,100;LBCD" + ETX,
         {text(o, o, "AB"), text("2.5", "2.5", "CD")}, 2.5 + 2 * W, 2.5},
        {"the look-ahead gives back what it read", "LBAB" + ETX + ";PA40,80;", {text(o, o, "AB")}, 1, 2},
        {"an empty label writes nothing", "LB" + ETX, {}, 0, 0},
        // Lines: CR LF goes 2h below the carriage-return point.
        {"LF: same column", "LBAB\nCD" + ETX, {text(o, o, "AB"), text("5.64", "-5.68", "CD")}, 4 * W, -5.68},
        {"CR alone overwrites the line", "LBAB\rC" + ETX, {text(o, o, "AB"), text(o, o, "C")}, W, 0},
        {"a trailing CR LF starts no line", "LBAB\r\n" + ETX, {text(o, o, "AB")}, 0, -5.68},
        {"a second CR LF starts from the moved carriage-return point", "LBA\r\nB\r\nC" + ETX,
         {text(o, o, "A"), text(o, "-5.68", "B"), text(o, "-11.36", "C")}, W, -11.36},
        // Bytes kept; the writer escapes carets and control bytes.
        // The first 5100 bytes are kept, the rest dropped: the PA after it is read.
        {"long", "LB" + std::string(6000, 'A') + ETX + "PA0,40;", {text(o, o, std::string(5100, 'A'))}, 0, 1},
        {"a tab and a trailing caret", "LBA\tB^" + ETX, {text(o, o, "A^IB^  ")}, 4 * W, 0},
        // Justification, direction and style.
        {"LO13: a quarter cell", "LO13;LBX" + ETX, {aligned("0.5075", "-0.71", "X", "", "3")}, W, 0},
        {"the offset turns with the text", "DI0,1;LO13;LBX" + ETX,
         {aligned("0.71", "0.5075", "X", "", "3", "50=90.0 ")}, 0, W},
        {"SI: width factor", "SI0.2,0.3;LBA" + ETX, {"10=0.0 20=0.0 30=0.0 40=3.0 1=A 41=0.932677"},
         2 * W / 2.03, 0},
        {"SS applies the default cell: factor 1", "SS;LBA" + ETX, {text(o, o, "A", "")}, W, 0},
        // DV1: one TEXT per character, 1.5h apart; centred, the column of
        // (1.5 + 1) h starts a quarter h up.
        {"DV1 centred", "DV1;LO4;LBAB" + ETX,
         {aligned(o, "0.71", "A", "1", ""), aligned(o, "-3.55", "B", "1", "")}, 0, 0},
        // Symbol mode: centred half a height below each plotted point.
        {"SM: a label is middle-centred", "SM*;LBA" + ETX, {aligned(o, o, "A", "4", "2")}, W, 0},
        {"PU and PD plot symbols too", "SMx;PU40,0;PD80,0;",
         {aligned("1.0", "-1.42", "x", "4", "2"), aligned("2.0", "-1.42", "x", "4", "2")}, 2, 0},
    });
}

TEST(Labels, PathCountAndEscape) {
    EXPECT_EQ(run_labels("LB" + ETX + "LBA" + ETX)->gs.path_counter, 1);  // joined into one
    EXPECT_EQ(run_labels("LB" + ETX + "PU;LBA" + ETX)->gs.path_counter, 2);
    // The look-ahead stops at an escape: what follows is not the label's business.
    const auto first = entity_groups(saved_dxf(*run_labels("LBAB" + ETX + "\x1b;LBCD" + ETX)), "TEXT");
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first[0], text(o, o, "AB"));
}

// Outside the clip window: no TEXT, but the pen advances.
TEST(Labels, VisibilityAgainstTheClipWindow) {
    const std::string iw = "IW0,0,4000,4000;";
    check_rows({
        {"entirely outside", iw + "PA8000,8000;LBAB" + ETX, {}, 200 + 2 * W, 200},
        {"across the right edge, 2 corners in", iw + "PA3960,40;LBABCDEF" + ETX, {}, 99 + 6 * W, 1},
        {"on the window edge counts as inside", iw + "PA0,0;LBA" + ETX, {text(o, o, "A")}, W, 0},
        {"clipping off: everything visible", "PA-8000,-8000;LBA" + ETX, {text("-200.0", "-200.0", "A")},
         -200 + W, -200},
    });
    auto ctx = testing::label_context("");
    GraphicsState& gs = ctx->gs;
    gs.clipping_off = false;
    gs.clip_min_x = gs.clip_min_y = 0;
    gs.clip_max_x = gs.clip_max_y = 100;
    gs.width_factor = 1.0;
    EXPECT_TRUE(in_clip_window(gs, 100, 100));  // the window's edges are inside
    // "AB" in TXT (the default font file): (1.0 + 0.6667 + 0.3333) x 2.84 = 5.68 wide.
    // Left-bottom: Q4 just inside, Q3 and Q4 out, Q2 and Q4 out; right-justified
    // (Q1 moves left by the width): only Q1 out, Q1 and Q2 out; top (Q1 a whole
    // height below P): only Q1 out, Q1 and Q2 out.
    struct Row { int horizontal, vertical; double x, y; bool visible; };
    const Row rows[] = {{0, 0, 94.3, 97.1, true}, {0, 0, 94.4, 97.1, false}, {0, 0, 0, 97.2, false},
                        {2, 0, 5.0, 0, true},     {2, 0, -0.01, 0, false},   {0, 3, 0, 1.0, true},
                        {0, 3, -0.01, 1.0, false}};
    for (const Row& row : rows) {
        gs.label_horizontal = row.horizontal, gs.label_vertical = row.vertical;
        EXPECT_EQ(label_visible(ctx->interpreter, "AB", row.x, row.y), row.visible) << row.x << "," << row.y;
    }
}

// The dot is a circle of h/30 filled through polygon mode: a solid HATCH
// with one circular edge path, and no TEXT.
TEST(SymbolMode, TheDotIsAFilledCircle) {
    check_rows({{"SM.", "SM.;PA400,400;", {}, 10, 10}});
    const std::string dxf = saved_dxf(*run_labels("SM.;PA400,400;"));
    const auto hatches = entity_groups(dxf, "HATCH");
    ASSERT_EQ(hatches.size(), 1u);
    EXPECT_NE(hatches[0].find("2=SOLID 70=     1 71=     0 91=        1 92=        0 93=        1 "
                              "72=     2 10=10.0 20=10.0 40=0.094667 50=0.0 51=360.0 73=     1"),
              std::string::npos)
        << hatches[0];
}

TEST(LabelOrigin, CodesOffsetsAndJustification) {
    struct Row { std::string input; int code, horizontal, vertical; double ox, oy; };
    // Default cell: width 2.03, height 2.84; a quarter is 0.5075 by 0.71.
    // Centred codes (4..9) are seen in the TEXT groups of the label tests.
    const double x = 0.5075, y = 0.71;
    const Row rows[] = {
        {"LO11;", 11, 0, 0, x, y},  {"LO19;", 19, 2, 3, -x, -y}, {"LO23;", 23, 0, 3, 2 * x, -2 * y},
        {"LO10;", 10, 0, 0, x, y},  {"LO0;", 0, 0, 0, 0, 0},     {"LO-13;", -13, 0, 0, -x, -y},
        {"LO13,2;", 1, 0, 0, 0, 0},                              // two parameters: 1
        {"LO11;SI0.4,0.8;", 11, 0, 0, 1.0, 2.0},                 // SI recomputes the offsets
        {"LO11;SR;", 11, 0, 0, x, y},                            // SR does not
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        const auto ctx = run_labels(row.input);
        const GraphicsState& gs = ctx->gs;
        EXPECT_EQ(std::tuple(gs.label_origin, gs.label_horizontal, gs.label_vertical),
                  std::tuple(row.code, row.horizontal, row.vertical));
        EXPECT_NEAR(gs.label_offset_x, row.ox, 1e-12);
        EXPECT_NEAR(gs.label_offset_y, row.oy, 1e-12);
    }
}

TEST(LabelDirection, DiAnglesAndRotations) {
    // ro: RO rotation in force; run: run rotation
    struct Row { const char* name; std::string input; int ro; int run; double direction; };
    const Row rows[] = {
        {"one parameter is 0", "DI0,1;DI5;", 0, 0, 0},
        {"a tiny run counts as none", "DI0.0000001,-3;", 0, 0, -90},
        {"and the run rotation", "DI-1,0;", 90, 180, 90},
        {"a run rotation of 45 is not used", "DI0,1;", 0, 45, 90},
        {"brought below 360", "DI-1,-1;", 270, 270, 45},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = testing::label_context(row.input);
        ctx->gs.rotation = row.ro;
        ctx->gs.run_rotation = row.run;
        testing::run_all(*ctx);
        EXPECT_NEAR(ctx->gs.label_direction, row.direction, 1e-9);
    }
    const auto ctx = run_labels("DI0,1;PA400,0;RO90;");  // RO sets both
    const GraphicsState& gs = ctx->gs;
    EXPECT_EQ(std::tuple(gs.label_direction, gs.carriage_x, gs.carriage_y),
              std::tuple(90.0, gs.current_x, gs.current_y));
}

TEST(CharacterPlot, MovesFromTheCarriageReturnPoint) {
    const double h2 = 2 * 2.84;
    struct Row { const char* name; std::string input; double x, y; };
    const Row rows[] = {
        {"after a label: back and one line down", "PA100,100;LBAB\x03" "CP;", 2.5, 2.5 - h2},
        {"spaces and lines", "CP2,1;", 2 * 2.82, h2},
        {"along the direction", "DI0,1;CP3,0;", 0, 3 * 2.82},
        {"DI sets the carriage-return point", "PA400,0;DI1,0;PA0,0;DI;CP;", 0, -h2},
        {"LO sets it too", "PA400,0;LO1;PA0,0;CP0,0;", 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto ctx = run_labels(row.input);
        const GraphicsState& gs = ctx->gs;
        EXPECT_NEAR(gs.current_x, row.x, 1e-9);
        EXPECT_NEAR(gs.current_y, row.y, 1e-9);
        EXPECT_EQ(std::tuple(gs.carriage_x, gs.carriage_y), std::tuple(gs.current_x, gs.current_y));
    }
}

constexpr double kBaseAspect = 1.3990147783251232;

TEST(CharacterSize, SizesOfSiSrSdAndAd) {
    struct Row { const char* name; std::string input; double height, width, advance, factor; };
    const double r = 2.82 / 2.03, pitch = 25.4 / 10;  // advance per width; SD3,10 advance
    const double pt_h = 12 * 0.2469444444444444, pt_w = 12 * 0.17638888888888887;
    const double sr = 8.41875 / 5.8875;  // the aspect of an SR cell
    const Row rows[] = {
        {"SI0.2,0.3", "SI0.2,0.3;", 3, 2, r * 2, kBaseAspect * 2 / 3},
        {"SI; goes back to the default", "SI0.2,0.3;SI;", 2.84, 2.03, 2.82, 1.0},
        {"SR; default P1, P2", "SR;", 8.41875, 5.8875, r * 5.8875, kBaseAspect / sr},
        {"IP recomputes SR", "SR;IP0,0,15700,11225;", 4.209375, 2.94375, r * 2.94375, kBaseAspect / sr},
        {"SI ends relative sizing", "SR;SI;IP0,0,15700,11225;", 2.84, 2.03, 2.82, 1.0},
        {"SI0,0 keeps the factor finite", "SI0,0;", 0, 0, 0, 0.8},
        {"SD3,10: the factor at once, the size at SS", "SD3,10;", 2.84, 2.03, 2.82, kBaseAspect},
        {"SD3,10;SS", "SD3,10;SS;", 0.67 * pitch, 0.67 * pitch, pitch, kBaseAspect},
        {"SD4,12;SS: point sizes", "SD4,12;SS;", pt_h, pt_w, 12 * 0.35277777777777775, kBaseAspect / 1.4},
        {"AD sizes wait for SA", "AD4,12;SS;", 2.84, 2.03, 2.82, 1.0},
        {"SD; restores the start values", "SD3,10;SD;SS;", 2.84, 2.03, 2.82, 1.0},
        {"SD2,0: stored pitch", "SD3,10;SD2,0;SS;", 0.67 * pitch, 0.67 * pitch, pitch, kBaseAspect},
        {"SA: the alternate's", "AD3,20;SA;", 0.67 * 25.4 / 20, 0.67 * 25.4 / 20, 25.4 / 20, kBaseAspect},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto ctx = run_labels(row.input);
        const GraphicsState& gs = ctx->gs;
        EXPECT_NEAR(gs.char_height, row.height, 1e-9);
        EXPECT_NEAR(gs.char_width, row.width, 1e-9);
        EXPECT_NEAR(gs.char_advance, row.advance, 1e-9);
        EXPECT_NEAR(gs.width_factor, row.factor, 1e-9);
    }
    auto ctx = run_labels("SI0.2,0.3;");  // the absolute-size flag carries into the next file:
    ctx->gs.more_pages = false;
    initialize_file_state(ctx->interpreter);
    const GraphicsState& gs = ctx->gs;  // the definition is reset but not applied
    EXPECT_EQ(std::tuple(gs.absolute_size_on, gs.fonts[0].height, gs.char_height, gs.width_factor),
              std::tuple(true, 2.84, 3.0, 0.8));
}

// The font files and spacing of the standard and alternate definitions,
// the alternate's style name, their style indexes, and the style table's
// count and last name. Eight records fit beside the two of the definitions;
// a ninth typeface keeps the style selected before it.
TEST(FontDefinitions, SpacingPicksTheFontFileAndTypefacesTheStyle) {
    LabelSettings ini("[Settings]\nStdTextFont=simplex.shx\nStdTextFontFixedWidth=monotxt.shx\n"
                      "AltTextFont=romans.shx\n");
    const std::pair<std::string, std::string> rows[] = {
        {"SD2,1;", "simplex.shx txt STD_1 | 1 0 | 0 1 | 2 STD_1"},
        {"SD2,0;", "monotxt.shx txt STD_1 | 0 0 | 0 1 | 2 STD_1"},
        {"AD1,5;", "txt romanx.shx romanx | 0 0 | 0 1 | 2 romanx"},
        {"AD1,5,2,1;", "txt romanx.shx romanx | 0 1 | 0 1 | 2 romanx"},  // spacing keeps romanx
        {"SD1,5;", "txt txt STD_1 | 0 0 | 0 1 | 2 STD_1"},                // SD1,5 is ignored
        {"SD7,5;SD7,5;SD;", "txt txt STD_1 | 0 0 | 0 1 | 3 HP_STYLE_5"},
        {"SD7,1;SD7,2;SD7,3;SD7,4;SD7,5;SD7,6;SD7,7;SD7,8;SD7,9;",
         "txt txt STD_1 | 0 0 | 9 1 | 10 HP_STYLE_8"},
    };
    for (const auto& [input, expected] : rows) {
        const auto ctx = run_labels(input, &ini);
        const GraphicsState& gs = ctx->gs;
        const TextStyleTable& t = gs.text_styles;
        auto n = [](int v) { return std::to_string(v); };
        const std::string got = t.records[0].font_file + " " + t.records[1].font_file + " " +
                                t.records[1].name + " | " + n(gs.fonts[0].spacing) + " " +
                                n(gs.fonts[1].spacing) + " | " + n(gs.fonts[0].style_index) + " " +
                                n(gs.fonts[1].style_index) + " | " + n(t.count) + " " +
                                t.records[t.count - 1].name;
        EXPECT_EQ(got, expected) << input;
    }
}

}  // namespace
}  // namespace penloom
