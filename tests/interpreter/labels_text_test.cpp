// LB: the text, its terminator, the joining of consecutive labels, lines
// at CR and LF, the pen advance, and the TEXT entities as the DXF writer
// writes them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/drawing_context.h"
#include "support/dxf_text.h"
#include "interpreter/labels.h"

namespace penloom {
namespace {

using testing::entity_groups;
using testing::run_labels;
using testing::saved_dxf;

const std::string ETX = "\x03";

struct TextRow {
    const char* name;
    std::string input;
    std::vector<std::string> texts;  // TEXT groups, see entity_groups
    double pen_x, pen_y;             // drawing units after the run
};

void check_rows(const std::vector<TextRow>& rows) {
    for (const TextRow& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = run_labels(row.input);
        EXPECT_EQ(entity_groups(saved_dxf(*ctx), "TEXT"), row.texts);
        EXPECT_NEAR(ctx->gs.current_x, row.pen_x, 1e-9);
        EXPECT_NEAR(ctx->gs.current_y, row.pen_y, 1e-9);
    }
}

// Width factor 0.8: the first file of a run starts with StdWidthScale.
TEST(Labels, TextTerminatorsAndJoining) {
    check_rows({
        {"a label at the origin",
         "LBABC" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=ABC 41=0.8"},
         3 * 2.82,
         0},
        {"DT* ends the text at *",
         "DT*;LBABC*",
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=ABC 41=0.8"},
         3 * 2.82,
         0},
        {"DT with a mode", "DT#,1;LBA#", {"10=0.0 20=0.0 30=0.0 40=2.84 1=A 41=0.8"}, 2.82, 0},
        {"DT; sets ETX again",
         "DT*;DT;LBA*B" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=A*B 41=0.8"},
         3 * 2.82,
         0},
        {"a space terminator",
         "DT ;LBAB CD",
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=AB 41=0.8"},
         2 * 2.82,
         0},
        {"a space then ETX makes ETX the terminator",
         "DT \x03LBA B" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=A B 41=0.8"},
         3 * 2.82,
         0},
        {"DT NUL leaves the terminator",
         std::string("DT\0;LBA;B", 9) + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=A;B 41=0.8"},
         3 * 2.82,
         0},
        {"consecutive labels join",
         "LBAB" + ETX + ";LBCD" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=ABCD 41=0.8"},
         4 * 2.82,
         0},
        {"lower-case lb joins too",
         "LBAB" + ETX + " \r\nlbCD" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=ABCD 41=0.8"},
         4 * 2.82,
         0},
        {"another instruction between them",
         "LBAB" + ETX + "PA100,100;LBCD" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=AB 41=0.8", "10=2.5 20=2.5 30=0.0 40=2.84 1=CD 41=0.8"},
         2.5 + 2 * 2.82,
         2.5},
        {"the look-ahead gives back what it read",
         "LBAB" + ETX + ";PA40,80;",
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=AB 41=0.8"},
         1,
         2},
        {"a text running to the end of the input",
         "LBABC",
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=ABC 41=0.8"},
         3 * 2.82,
         0},
        {"an empty label writes nothing", "LB" + ETX, {}, 0, 0},
    });
}

TEST(Labels, LinesAtCarriageReturnAndLineFeed) {
    check_rows({
        {"CR LF: the second line 2h below the carriage-return point",
         "LBAB\r\nCD" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=AB 41=0.8", "10=0.0 20=-5.68 30=0.0 40=2.84 1=CD 41=0.8"},
         2 * 2.82,
         -5.68},
        {"from a moved pen",
         "PA100,100;LBAB\r\nCD" + ETX,
         {"10=2.5 20=2.5 30=0.0 40=2.84 1=AB 41=0.8", "10=2.5 20=-3.18 30=0.0 40=2.84 1=CD 41=0.8"},
         2.5 + 2 * 2.82,
         2.5 - 5.68},
        {"LF alone keeps the column",
         "LBAB\nCD" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=AB 41=0.8",
          "10=5.64 20=-5.68 30=0.0 40=2.84 1=CD 41=0.8"},
         4 * 2.82,
         -5.68},
        {"CR alone overwrites the line",
         "LBAB\rC" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=AB 41=0.8", "10=0.0 20=0.0 30=0.0 40=2.84 1=C 41=0.8"},
         2.82,
         0},
        {"a label that begins with CR LF",
         "LB\r\nAB" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1= 41=0.8", "10=0.0 20=-5.68 30=0.0 40=2.84 1=AB 41=0.8"},
         2 * 2.82,
         -5.68},
        {"a trailing CR LF starts no line",
         "LBAB\r\n" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=AB 41=0.8"},
         0,
         -5.68},
        {"two line feeds",
         "LBA\r\n\nB" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=A 41=0.8", "10=0.0 20=-11.36 30=0.0 40=2.84 1=B 41=0.8"},
         2.82,
         -11.36},
    });
}

TEST(Labels, TextBytesAreKeptAndEscapedByTheWriter) {
    check_rows({
        {"a caret and bytes above 127",
         "LBA^B\xe9\xfc" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=A^ B\xe9\xfc 41=0.8"},
         5 * 2.82,
         0},
        {"a tab and a trailing caret",
         "LBA\tB^" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=A^IB^   41=0.8"},
         4 * 2.82,
         0},
    });
}

TEST(Labels, JustificationRotationAndStyle) {
    check_rows({
        {"LO5: middle-centred at the pen, the pen stays",
         "PA400,400;LO5;LBX" + ETX,
         {"10=10.0 20=10.0 30=0.0 40=2.84 1=X 41=0.8 72=     1 11=10.0 21=10.0 31=0.0 73=     2"},
         10,
         10},
        {"LO15 gives the same text",
         "PA400,400;LO15;LBX" + ETX,
         {"10=10.0 20=10.0 30=0.0 40=2.84 1=X 41=0.8 72=     1 11=10.0 21=10.0 31=0.0 73=     2"},
         10,
         10},
        {"LO3: left-top",
         "LO3;LBX" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=X 41=0.8 11=0.0 21=0.0 31=0.0 73=     3"},
         2.82,
         0},
        {"LO9: right-top",
         "LO9;LBX" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=X 41=0.8 72=     2 11=0.0 21=0.0 31=0.0 73=     3"},
         2.82,
         0},
        {"LO13: the text a quarter cell right and down",
         "LO13;LBX" + ETX,
         {"10=0.5075 20=-0.71 30=0.0 40=2.84 1=X 41=0.8 11=0.5075 21=-0.71 31=0.0 73=     3"},
         2.82,
         0},
        {"DI0,1: rotated 90 degrees, the pen goes up",
         "DI0,1;LBAB" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=AB 50=90.0 41=0.8"},
         0,
         2 * 2.82},
        {"the offset turns with the text",
         "DI0,1;LO13;LBX" + ETX,
         {"10=0.71 20=0.5075 30=0.0 40=2.84 1=X 50=90.0 41=0.8 11=0.71 21=0.5075 31=0.0 73=     3"},
         0,
         2.82},
        {"SI sets the width factor",
         "SI0.2,0.3;LBA" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=3.0 1=A 41=0.932677"},
         2.82 / 2.03 * 2,
         0},
        {"SS applies the default cell: factor 1",
         "SS;LBA" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=A"},
         2.82,
         0},
        {"a typeface style",
         "SD7,5;SS;LBA" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=A 7=HP_STYLE_5"},
         2.82,
         0},
        {"the alternate font's style",
         "SA;LBA" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=A 7=STD_1"},
         2.82,
         0},
    });
}

TEST(Labels, VerticalLabelsStackCharacters) {
    check_rows({
        {"DV1: one TEXT per character, 1.5h apart",
         "DV1;LBAB" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=A 41=0.8", "10=0.0 20=-4.26 30=0.0 40=2.84 1=B 41=0.8"},
         2 * 2.82,
         0},
        // Column (1.5 + 1) h; centred: first point a quarter h up.
        {"centred column",
         "DV1;LO4;LBAB" + ETX,
         {"10=0.0 20=0.71 30=0.0 40=2.84 1=A 41=0.8 72=     1 11=0.0 21=0.71 31=0.0",
          "10=0.0 20=-3.55 30=0.0 40=2.84 1=B 41=0.8 72=     1 11=0.0 21=-3.55 31=0.0"},
         0,
         0},
        {"DV0 writes lines again",
         "DV1;DV;LBAB" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=AB 41=0.8"},
         2 * 2.82,
         0},
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

TEST(Labels, ExtentsGrowByThePenAndTheInsertionPoint) {
    struct Row {
        const char* name;
        std::string input;
        double min_x, min_y, max_x, max_y;
    };
    const Row rows[] = {
        {"offset text", "LO13;LBAB" + ETX, 0.5075, -0.71, 2 * 2.82, 0},
        {"the line feed's pen position", "LBA\r\n" + ETX, 0, -5.68, 2.82, 0},
        {"a symbol and its point", "SM*;PU400,400;", 10, 8.58, 10, 10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = run_labels(row.input);
        EXPECT_NEAR(ctx->gs.extents_min_x, row.min_x, 1e-9);
        EXPECT_NEAR(ctx->gs.extents_min_y, row.min_y, 1e-9);
        EXPECT_NEAR(ctx->gs.extents_max_x, row.max_x, 1e-9);
        EXPECT_NEAR(ctx->gs.extents_max_y, row.max_y, 1e-9);
    }
}

TEST(Labels, TheLookAheadStopsAtEscape) {
    // What the escape sequence does with the rest is not the label's business.
    auto ctx = run_labels("LBAB" + ETX + "\x1b;LBCD" + ETX);
    const auto texts = entity_groups(saved_dxf(*ctx), "TEXT");
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0], "10=0.0 20=0.0 30=0.0 40=2.84 1=AB 41=0.8");
}

TEST(Labels, LabelsCountAsDrawnPaths) {
    auto ctx = run_labels("LB" + ETX + "LBA" + ETX);
    EXPECT_EQ(ctx->gs.path_counter, 1);  // the two joined into one
    auto two = run_labels("LB" + ETX + "PU;LBA" + ETX);
    EXPECT_EQ(two->gs.path_counter, 2);
}

// Outside the clip window: no TEXT, but the pen advances.
TEST(Labels, VisibilityAgainstTheClipWindow) {
    struct Row {
        const char* name;
        std::string input;
        int texts;
        double pen_x;
    };
    const std::vector<Row> rows = {
        {"inside", "IW0,0,4000,4000;PA40,40;LBAB" + ETX, 1, 1 + 2 * 2.82},
        {"entirely outside", "IW0,0,4000,4000;PA8000,8000;LBAB" + ETX, 0, 200 + 2 * 2.82},
        {"crossing the right edge with 2 corners in", "IW0,0,4000,4000;PA3960,40;LBABCDEF" + ETX, 0,
         99 + 6 * 2.82},
        {"on the window edge counts as inside", "IW0,0,4000,4000;PA0,0;LBA" + ETX, 1, 2.82},
        {"clipping off: everything visible", "PA-8000,-8000;LBA" + ETX, 1, -200 + 2.82},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto ctx = run_labels(row.input);
        EXPECT_EQ(entity_groups(saved_dxf(*ctx), "TEXT").size(),
                  static_cast<std::size_t>(row.texts));
        EXPECT_NEAR(ctx->gs.current_x, row.pen_x, 1e-9);
    }
}

TEST(Labels, VisibleCornersFollowTheJustification) {
    auto ctx = testing::label_context("");
    GraphicsState& gs = ctx->gs;
    gs.clipping_off = false;
    gs.clip_min_x = 0;
    gs.clip_min_y = 0;
    gs.clip_max_x = 100;
    gs.clip_max_y = 100;
    gs.width_factor = 1.0;
    // "AB" in TXT (the default font file): (1.0 + 0.6667 + 0.3333) x 2.84 = 5.68 wide.
    EXPECT_TRUE(label_visible(*ctx, "AB", 0, 0));
    EXPECT_TRUE(label_visible(*ctx, "AB", 94.3, 97.1));   // Q4 just inside
    EXPECT_FALSE(label_visible(*ctx, "AB", 94.4, 97.1));  // Q3 and Q4 out
    EXPECT_FALSE(label_visible(*ctx, "AB", 0, 97.2));     // Q2 and Q4 out
    // Right-justified: Q1 moves left by the width, the others stay at P.
    gs.label_horizontal = 2;
    EXPECT_TRUE(label_visible(*ctx, "AB", 5.0, 0));     // only Q1 out
    EXPECT_FALSE(label_visible(*ctx, "AB", -0.01, 0));  // Q1 and Q2 out
    // Top: Q1 a whole height below P.
    gs.label_horizontal = 0;
    gs.label_vertical = 3;
    EXPECT_TRUE(label_visible(*ctx, "AB", 0, 1.0));
    EXPECT_FALSE(label_visible(*ctx, "AB", -0.01, 1.0));
}

TEST(SymbolMode, ASymbolAtEveryPlottedPoint) {
    check_rows({
        {"SM*: centred half a height below each point",
         "SM*;PA400,400,800,800;",
         {"10=10.0 20=8.58 30=0.0 40=2.84 1=* 41=0.8 72=     4 11=10.0 21=8.58 31=0.0 73=     2",
          "10=20.0 20=18.58 30=0.0 40=2.84 1=* 41=0.8 72=     4 11=20.0 21=18.58 31=0.0 73=     2"},
         20,
         20},
        {"a label in symbol mode is middle-centred",
         "SM*;LBA" + ETX,
         {"10=0.0 20=0.0 30=0.0 40=2.84 1=A 41=0.8 72=     4 11=0.0 21=0.0 31=0.0 73=     2"},
         2.82,
         0},
        {"SM; turns it off", "SM*;SM;PA400,400;", {}, 10, 10},
        {"PU and PD plot symbols too",
         "SMx;PU40,0;PD80,0;",
         {"10=1.0 20=-1.42 30=0.0 40=2.84 1=x 41=0.8 72=     4 11=1.0 21=-1.42 31=0.0 73=     2",
          "10=2.0 20=-1.42 30=0.0 40=2.84 1=x 41=0.8 72=     4 11=2.0 21=-1.42 31=0.0 73=     2"},
         2,
         0},
    });
}

// The dot is a circle of h/30 filled through polygon mode: a solid HATCH
// with one circular edge path.
TEST(SymbolMode, TheDotIsAFilledCircle) {
    auto ctx = run_labels("SM.;PA400,400;");
    const std::string dxf = saved_dxf(*ctx);
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
