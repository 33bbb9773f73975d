// Whole runs with labels: TEXT entities in R12 and 2000 drawings, the styles they use, settings that
// name the styles, and text bytes the writer must escape.
#include "e2e/e2e_support.h"

namespace penloom::testing {
namespace {

const std::string ETX = "\x03";

// Labels of every kind: plain, rotated and centred, a typeface style, the
// alternate font over two lines, symbol mode, vertical labels, and bytes
// above 127 with a caret.
const std::string kPlot =
    "IN;SP1;PA1000,1000;LBHello" + ETX + "DI0,1;LO5;LBWorld" + ETX +
    "DI;LO1;PA1000,2000;SD7,5;SS;LBStyled" + ETX + "SA;PA1000,3000;LBAlt\r\nSecond" + ETX +
    "SS;SM*;PA3000,3000;SM;PA3000,1000;DV1;LBUp" + ETX + "DV0;PA1000,4000;LBUml\xe4ut ^caret" + ETX;

// IN sets the width factor to 1; the alternate and typeface styles carry
// group 7, STANDARD does not. R12 writes the same groups (its lack of
// subclass markers is checked apart).
const std::vector<std::string> kTexts = {
    "10=25.0 20=25.0 30=0.0 40=2.84 1=Hello",
    "10=39.1 20=25.0 30=0.0 40=2.84 1=World 50=90.0 72=     1 11=39.1 21=25.0 31=0.0 73=     2",
    "10=25.0 20=50.0 30=0.0 40=2.84 1=Styled 7=HP_STYLE_5",
    "10=25.0 20=75.0 30=0.0 40=2.84 1=Alt 7=STD_1",
    "10=25.0 20=69.32 30=0.0 40=2.84 1=Second 7=STD_1",
    "10=75.0 20=73.58 30=0.0 40=2.84 1=* 7=HP_STYLE_5 72=     4 11=75.0 21=73.58 31=0.0 73=     2",
    "10=75.0 20=25.0 30=0.0 40=2.84 1=U 7=HP_STYLE_5",
    "10=75.0 20=20.74 30=0.0 40=2.84 1=p 7=HP_STYLE_5",
    "10=25.0 20=100.0 30=0.0 40=2.84 1=Uml\xe4ut ^ caret 7=HP_STYLE_5",
};

class LabelRun : public ProgramTest {};

TEST_F(LabelRun, EveryKindOfLabelAtR12And2000) {
    for (const char* release : {"/2000", "/12"}) {
        SCOPED_TRACE(release);
        ASSERT_EQ(run_plot(kPlot, {release}).status, 0) << last->out.text();
        const std::string dxf = read_file("A.DXF");
        EXPECT_EQ(entity_groups(dxf, "TEXT"), kTexts);
        EXPECT_EQ(dxf.find("AcDbText") == std::string::npos, release[1] == '1');
        keep_counted(path("A.DXF"), std::string("labels_") + (release + 1), release,
                     R"(, "text_styles": ["STANDARD", "HP_STYLE_5", "STD_1"])");
    }
}

TEST_F(LabelRun, NamedStylesFromTheSettings) {
    const std::string ini = "[Settings]\nStdTextStyle=MYSTD\nAltTextStyle=MYALT\nOutputUnit=inch\n"
                            "[Stylename]\n5=ARIAL\n[MapTypefaceToFont]\n5=romans.shx\n";
    ASSERT_EQ(run_plot("LBA" + ETX + "SA;LBB" + ETX + "SD7,5;SS;LBC" + ETX, {"/2000"}, ini).status, 0);
    const std::string dxf = read_file("A.DXF");
    // f = 0.025 / 25.4 inch per plotter unit; the advance stays 2.82 as stored.
    EXPECT_EQ(entity_groups(dxf, "TEXT"),
              (std::vector<std::string>{"10=0.0 20=0.0 30=0.0 40=0.111811 1=A 41=0.8 7=MYSTD",
                                        "10=2.82 20=0.0 30=0.0 40=0.111811 1=B 7=MYALT",
                                        "10=5.64 20=0.0 30=0.0 40=0.111811 1=C 7=ARIAL"}));
    // New styles in inches: fixed and last height 0.15.
    EXPECT_NE(dxf.find("  2\r\nARIAL\r\n 70\r\n     0\r\n 40\r\n0.15\r\n 41\r\n1.0\r\n 50\r\n0.0\r\n"
                       " 71\r\n     0\r\n 42\r\n0.15\r\n  3\r\nromans.shx\r\n"),
              std::string::npos);
    keep_counted(path("A.DXF"), "labels_named_styles", "2000",
                 R"(, "text_styles": ["STANDARD", "MYSTD", "MYALT", "ARIAL"])");
}

}  // namespace
}  // namespace penloom::testing
