// LB: the text, its terminator, the joining of consecutive labels, lines
// at CR and LF, the pen advance, symbol mode, and the TEXT entities as the
// DXF writer writes them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "interpreter/labels.h"
#include "support/drawing_context.h"
#include "support/dxf_text.h"

namespace penloom {
namespace {

using testing::entity_groups;
using testing::run_labels;
using testing::saved_dxf;

const std::string ETX = "\x03";
const double W = 2.82;  // the default advance

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

TEST(Labels, TextTerminatorsAndJoining) {
    const std::string o = "0.0";
    check_rows({
        {"a label at the origin", "LBABC" + ETX, {text(o, o, "ABC")}, 3 * W, 0},
        {"DT* ends the text at *", "DT*;LBABC*", {text(o, o, "ABC")}, 3 * W, 0},
        {"DT; sets ETX again", "DT*;DT;LBA*B" + ETX, {text(o, o, "A*B")}, 3 * W, 0},
        {"a space terminator", "DT ;LBAB CD", {text(o, o, "AB")}, 2 * W, 0},
        {"a space then ETX makes ETX the terminator", "DT \x03LBA B" + ETX, {text(o, o, "A B")},
         3 * W, 0},
        {"DT NUL leaves the terminator", std::string("DT\0;LBA;B", 9) + ETX, {text(o, o, "A;B")},
         3 * W, 0},
        {"consecutive labels join", "LBAB" + ETX + ";LBCD" + ETX, {text(o, o, "ABCD")}, 4 * W, 0},
        {"lower-case lb joins too", "LBAB" + ETX + " \r\nlbCD" + ETX, {text(o, o, "ABCD")}, 4 * W,
         0},
        {"another instruction between them", "LBAB" + ETX + "PA100,100;LBCD" + ETX,
         {text(o, o, "AB"), text("2.5", "2.5", "CD")}, 2.5 + 2 * W, 2.5},
        {"the look-ahead gives back what it read", "LBAB" + ETX + ";PA40,80;", {text(o, o, "AB")},
         1, 2},
        {"a text running to the end of the input", "LBABC", {text(o, o, "ABC")}, 3 * W, 0},
        {"an empty label writes nothing", "LB" + ETX, {}, 0, 0},
        // Lines: CR LF goes 2h below the carriage-return point.
        {"LF alone keeps the column", "LBAB\nCD" + ETX,
         {text(o, o, "AB"), text("5.64", "-5.68", "CD")}, 4 * W, -5.68},
        {"CR alone overwrites the line", "LBAB\rC" + ETX, {text(o, o, "AB"), text(o, o, "C")}, W,
         0},
        {"a label that begins with CR LF", "LB\r\nAB" + ETX,
         {text(o, o, ""), text(o, "-5.68", "AB")}, 2 * W, -5.68},
        {"a trailing CR LF starts no line", "LBAB\r\n" + ETX, {text(o, o, "AB")}, 0, -5.68},
        {"a second CR LF starts from the moved carriage-return point", "LBA\r\nB\r\nC" + ETX,
         {text(o, o, "A"), text(o, "-5.68", "B"), text(o, "-11.36", "C")}, W, -11.36},
        // Bytes kept; the writer escapes carets and control bytes.
        {"a tab and a trailing caret", "LBA\tB^" + ETX, {text(o, o, "A^IB^  ")}, 4 * W, 0},
    });
}

TEST(Labels, JustificationRotationAndStyle) {
    const std::string o = "0.0";
    check_rows({
        {"LO5: middle-centred at the pen, the pen stays", "PA400,400;LO5;LBX" + ETX,
         {aligned("10.0", "10.0", "X", "1", "2")}, 10, 10},
        {"LO3: left-top", "LO3;LBX" + ETX, {aligned(o, o, "X", "", "3")}, W, 0},
        {"LO13: a quarter cell right and down", "LO13;LBX" + ETX,
         {aligned("0.5075", "-0.71", "X", "", "3")}, W, 0},
        {"the offset turns with the text", "DI0,1;LO13;LBX" + ETX,
         {aligned("0.71", "0.5075", "X", "", "3", "50=90.0 ")}, 0, W},
        {"SI sets the width factor", "SI0.2,0.3;LBA" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=3.0 1=A 41=0.932677"}, W / 2.03 * 2, 0},
        {"SS applies the default cell: factor 1", "SS;LBA" + ETX, {text(o, o, "A", "")}, W, 0},
        // DV1: one TEXT per character, 1.5h apart; centred, the column of
        // (1.5 + 1) h starts a quarter h up.
        {"DV1 centred", "DV1;LO4;LBAB" + ETX,
         {aligned(o, "0.71", "A", "1", ""), aligned(o, "-3.55", "B", "1", "")}, 0, 0},
        // Symbol mode: centred half a height below each plotted point.
        {"SM* at every point", "SM*;PA400,400,800,800;",
         {aligned("10.0", "8.58", "*", "4", "2"), aligned("20.0", "18.58", "*", "4", "2")}, 20, 20},
        {"a label in symbol mode is middle-centred", "SM*;LBA" + ETX,
         {aligned(o, o, "A", "4", "2")}, W, 0},
        {"PU and PD plot symbols too", "SMx;PU40,0;PD80,0;",
         {aligned("1.0", "-1.42", "x", "4", "2"), aligned("2.0", "-1.42", "x", "4", "2")}, 2, 0},
    });
}

TEST(Labels, LongTextsKeepTheirFirst5100Characters) {
    auto ctx = run_labels("LB" + std::string(6000, 'A') + ETX + "PA0,40;");
    const auto texts = entity_groups(saved_dxf(*ctx), "TEXT");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("1=" + std::string(5100, 'A') + " "), std::string::npos);
    EXPECT_EQ(texts[0].find(std::string(5101, 'A')), std::string::npos);
    // The PA after it was read as an instruction: the rest was dropped, not left.
    EXPECT_NEAR(ctx->gs.current_y, 1.0, 1e-12);
}

TEST(Labels, PathCountAndEscape) {
    EXPECT_EQ(run_labels("LB" + ETX + "LBA" + ETX)->gs.path_counter, 1);  // joined into one
    EXPECT_EQ(run_labels("LB" + ETX + "PU;LBA" + ETX)->gs.path_counter, 2);
    // The look-ahead stops at an escape: what follows is not the label's business.
    const auto texts = entity_groups(saved_dxf(*run_labels("LBAB" + ETX + "\x1b;LBCD" + ETX)), "TEXT");
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0], text("0.0", "0.0", "AB"));
}

// Outside the clip window: no TEXT, but the pen advances.
TEST(Labels, VisibilityAgainstTheClipWindow) {
    struct Row { const char* name; std::string input; std::size_t texts; double pen_x; };
    const std::string iw = "IW0,0,4000,4000;";
    const std::vector<Row> rows = {
        {"inside", iw + "PA40,40;LBAB" + ETX, 1, 1 + 2 * W},
        {"entirely outside", iw + "PA8000,8000;LBAB" + ETX, 0, 200 + 2 * W},
        {"crossing the right edge with 2 corners in", iw + "PA3960,40;LBABCDEF" + ETX, 0,
         99 + 6 * W},
        {"on the window edge counts as inside", iw + "PA0,0;LBA" + ETX, 1, W},
        {"clipping off: everything visible", "PA-8000,-8000;LBA" + ETX, 1, -200 + W},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = run_labels(row.input);
        EXPECT_EQ(entity_groups(saved_dxf(*ctx), "TEXT").size(), row.texts);
        EXPECT_NEAR(ctx->gs.current_x, row.pen_x, 1e-9);
    }
    auto ctx = testing::label_context("");
    GraphicsState& gs = ctx->gs;
    gs.clipping_off = false;
    gs.clip_min_x = gs.clip_min_y = 0;
    gs.clip_max_x = gs.clip_max_y = 100;
    gs.width_factor = 1.0;
    // "AB" in TXT (the default font file): (1.0 + 0.6667 + 0.3333) x 2.84 = 5.68 wide.
    EXPECT_TRUE(label_visible(*ctx, "AB", 94.3, 97.1));   // Q4 just inside
    EXPECT_FALSE(label_visible(*ctx, "AB", 94.4, 97.1));  // Q3 and Q4 out
    EXPECT_FALSE(label_visible(*ctx, "AB", 0, 97.2));     // Q2 and Q4 out
    gs.label_horizontal = 2;  // right-justified: Q1 moves left by the width
    EXPECT_TRUE(label_visible(*ctx, "AB", 5.0, 0));     // only Q1 out
    EXPECT_FALSE(label_visible(*ctx, "AB", -0.01, 0));  // Q1 and Q2 out
    gs.label_horizontal = 0;
    gs.label_vertical = 3;  // top: Q1 a whole height below P
    EXPECT_TRUE(label_visible(*ctx, "AB", 0, 1.0));
    EXPECT_FALSE(label_visible(*ctx, "AB", -0.01, 1.0));
}

// The dot is a circle of h/30 filled through polygon mode: a solid HATCH
// with one circular edge path.
TEST(SymbolMode, TheDotIsAFilledCircle) {
    const std::string dxf = saved_dxf(*run_labels("SM.;PA400,400;"));
    EXPECT_TRUE(entity_groups(dxf, "TEXT").empty());
    EXPECT_TRUE(entity_groups(dxf, "CIRCLE").empty());
    const auto hatches = entity_groups(dxf, "HATCH");
    ASSERT_EQ(hatches.size(), 1u);
    EXPECT_NE(hatches[0].find("2=SOLID 70=     1 71=     0 91=        1 92=        0 93=        1 "
                              "72=     2 10=10.0 20=10.0 40=0.094667 50=0.0 51=360.0 73=     1"),
              std::string::npos)
        << hatches[0];
}

}  // namespace
}  // namespace penloom
