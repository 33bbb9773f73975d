// Whole runs drawn with several pens, widths, colours and line types: every entity on its pen's layer
// with its colour, lineweight and linetype, at R12 and 2000, in colour and monochrome.
#include "e2e/e2e_support.h"

namespace penloom::testing {
namespace {

// Type, layer, colour, linetype and lineweight of every entity but VERTEX
// and SEQEND ("-" where a group is absent).
std::vector<std::string> drawn_attributes(const std::string& dxf) {
    std::vector<std::string> result;
    for (const DxfRecord& e : dxf_entities(dxf))
        if (e.type != "VERTEX" && e.type != "SEQEND")
            result.push_back(e.type + " " + e.value(8) + " " + e.value(62) + " " + e.value(6) + " " +
                             e.value(370));
    return result;
}

class PenPlot : public ProgramTest {
protected:
    // Checks the attributes of `name` and keeps it with its release, counts and `members`.
    void check(const std::string& label, const std::string& release, const std::vector<std::string>& want,
               const std::string& members, const std::string& name = "A.DXF") const {
        EXPECT_EQ(drawn_attributes(read_file(name)), want);
        keep_counted(path(name), "pens_" + label, release, members);
    }
};

// Three pens, the third 0.5 mm wide; the pen changes with the pen down.
const std::string kThreePens = "IN;SP1;PA0,0;PD4000,0;SP2;PD4000,4000;SP3;PW0.5;PD0,4000;PU;";
const std::string kTail(2100, ';');  // keeps the page end far from the end of the file
// Dashed, solid (BYLAYER), CONTINUOUS (LT99 after LT), dashed again within
// 0.1 mm of the first, an adaptive type, and LT99 back to the dashes.
const std::string kLineTypes =
    "SP1;PA0,0;LT2,5,1;PD4000,0;PU;LT;PA0,1000;PD4000,1000;PU;LT99;PA0,2000;PD4000,2000;PU;"
    "LT2,5.05;PA0,3000;PD4000,3000;PU;LT-1;PA0,4000;PD4000,4000;PU;LT99;PA0,5000;PD4000,5000;PU;";
// Pen 2 turned blue while in use, then pen 3.
const std::string kBlue = "SP2;PA0,0;PD4000,0;PU;PC2,0,0,255;PD4000,4000;PU;SP3;PD0,4000;PU;";
const std::string kTwoLayers = R"(, "layers": ["0", "LAY002", "LAY003"], "layer_colors": {"LAY002": )";
const std::string kPenByLayer = "[Settings]\nPenByLayer=1\n";

TEST_F(PenPlot, EntitiesCarryTheirPensAttributes) {
    const struct { const char* name; std::string plot; std::vector<std::string> switches; std::string ini;
                   std::vector<std::string> want; std::string members; } rows[] = {
        {"three_pens_2000", kThreePens, {"/2000"}, "",
         {"LWPOLYLINE LAY001 7 - 35", "LWPOLYLINE LAY002 1 - 35", "LWPOLYLINE LAY003 3 - 50"},
         R"(, "layers": ["0", "LAY001", "LAY002", "LAY003"], )"
         R"("layer_colors": {"LAY001": 7, "LAY002": 1, "LAY003": 3}, "linetypes": [])"},
        {"linetypes_2000", kLineTypes, {"/2000"}, "",
         {"POLYLINE LAY001 7 DASH3 35", "LWPOLYLINE LAY001 7 - 35", "LWPOLYLINE LAY001 7 CONTINUOUS 35",
          "POLYLINE LAY001 7 DASH3 35", "POLYLINE LAY001 7 DOT1 35", "POLYLINE LAY001 7 DASH3 35"},
         R"(, "linetypes": ["DASH3", "DOT1"])"},
        {"mono", kBlue, {"/2000", "/MONO"}, "",
         {"LWPOLYLINE LAY002 7 - 35", "LWPOLYLINE LAY002 7 - 35", "LWPOLYLINE LAY003 7 - 35"},
         kTwoLayers + R"(7, "LAY003": 7})"},
        {"pen_by_layer", kBlue, {"/2000"}, kPenByLayer,
         {"LWPOLYLINE LAY002 - - 35", "LWPOLYLINE LAY002 5 - 35", "LWPOLYLINE LAY003 - - 35"},
         kTwoLayers + R"(1, "LAY003": 3})"},
        {"mono_pen_by_layer_r12", kBlue, {"/12", "/MONO"}, kPenByLayer,
         {"POLYLINE LAY002 - - -", "POLYLINE LAY002 - - -", "POLYLINE LAY003 - - -"},
         kTwoLayers + R"(7, "LAY003": 7})"},
        // A width change with the pen down splits the path (its vertices: geometry test).
        {"width_split", "SP1;PA0,0;PD100,0;PW0.7;PD200,0;PU;", {"/2000"}, "",
         {"LWPOLYLINE LAY001 7 - 35", "LWPOLYLINE LAY001 7 - 70"}, ""},
        // SP12 with eight pens is pen 5.
        {"hpgl_layers_r12", "SP3;PA0,0;PD4000,4000;PU;SP12;PD0,4000;PU;", {"/12"},
         "[Settings]\nHPGLLayers=1\nLayersLeading0=0\n[HPGLLayers]\n3=walls north\n",
         {"POLYLINE WALLS_NORTH 3 - -", "POLYLINE LAY5 5 - -"},
         R"(, "layers": ["0", "WALLS_NORTH", "LAY5"], "layer_colors": {"WALLS_NORTH": 3, "LAY5": 5})"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(run_plot(row.plot, row.switches, row.ini).status, 0) << last->out.text();
        check(row.name, row.switches[0], row.want, row.members);
    }
}

TEST_F(PenPlot, SecondPageStartsWithItsOwnLayers) {
    // Page 2 draws before any SP: its layer is made by its first entity, whose colour 7 stands for pen 7.
    const std::string plot = "SP3;PA0,0;PD4000,0;PU;LT2;PD4000,4000;PU;PG;PA0,0;PD0,4000;PU;" + kTail;
    ASSERT_EQ(run_plot(plot, {"/2000"}).status, 0) << last->out.text();
    check("page_1", "/2000", {"LWPOLYLINE LAY003 3 - 35", "POLYLINE LAY003 3 DASH3 35"},
          R"(, "layers": ["0", "LAY003"], "linetypes": ["DASH3"])");
    check("page_2", "/2000", {"LWPOLYLINE LAY001 7 - 35"},
          R"(, "layers": ["0", "LAY001"], "layer_colors": {"LAY001": 4}, "linetypes": [])", "A-2.DXF");
}

}  // namespace
}  // namespace penloom::testing
