// Whole runs: the entities' text of a DXF output is formatted while the plot
// is interpreted, and the save uses it. (That its file is the one the save
// writes alone is shown in tests/drawing/dxf_body_test.cpp; here, that the
// translator's own drawings give the formatter every name it needs, so that
// the save does not fall back to formatting everything itself.)
#include "e2e/e2e_support.h"

namespace penloom::testing {
namespace {

// Eight pens, dashed line types, arcs, a circle, a filled and a hatched
// polygon, labels in two fonts, then the same again on a second page.
const std::string kPage =
    "SP1;PA0,0;PD4000,0,4000,3000;PU;SP2;LT2;PA0,500;PD3000,2500;PU;LT5,3;SP3;PA5000,5000;CI800;"
    "AA5000,5000,90;PU;SP4;LT;PA100,100;PM0;PD900,100,900,900,100,900;PM2;FP;SP5;FT3,50,45;"
    "PA2000,100;PM0;PD2900,100,2900,900;PM2;FP;SP6;PA200,3000;LBFirst label\x03;SS;SP7;DI0,1;"
    "LBSecond^label\x03;SP8;PR100,100,200,-50,300,80;PU;";
const std::string kPlot = "IN;" + kPage + "PG;" + kPage;

class EntityText : public ProgramTest {};

TEST_F(EntityText, TheSaveTakesTheFormattedEntitiesOfEveryPage) {
    const struct {
        const char* release;
        const char* ini;
    } rows[] = {
        {"/12", ""},
        {"/13", ""},
        {"/14", "[Settings]\nDecimalPlaces=3\n"},
        {"/2000", "[Settings]\nLayerNameFromOutputPen=1\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.release);
        const RunResult r = run_plot(kPlot, {row.release}, row.ini);
        ASSERT_EQ(r.status, 0) << r.text;
        EXPECT_EQ(drawings(), (std::vector<std::string>{"A-2.DXF", "A.DXF"}));
        EXPECT_TRUE(last->drawing.library.entities_preformatted);
        keep_counted(path("A-2.DXF"), std::string("entity_text_") + (row.release + 1), row.release);
    }
}

}  // namespace
}  // namespace penloom::testing
