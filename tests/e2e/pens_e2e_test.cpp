// Whole runs over plots drawn with several pens, widths, colours and line
// types: every entity on its pen's layer with its colour, lineweight and
// linetype, at R12, R14 and 2000, in colour and monochrome. Every drawing
// is also copied, with its expectations, under $PENLOOM_E2E_DIR for the
// ezdxf read-back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/dxf_text.h"
#include "support/program_run.h"
#include "support/readback.h"

namespace penloom::testing {
namespace {

// Type, layer, colour, linetype and lineweight of every entity that carries
// drawn geometry ("-" where a group is absent); VERTEX and SEQEND follow
// their POLYLINE.
std::vector<std::string> drawn_attributes(const std::string& dxf) {
    std::vector<std::string> result;
    for (const DxfRecord& e : dxf_entities(dxf))
        if (e.type != "VERTEX" && e.type != "SEQEND")
            result.push_back(e.type + " " + e.value(8) + " " + e.value(62) + " " + e.value(6) + " " + e.value(370));
    return result;
}

class PenPlot : public ProgramTest {
protected:
    int run(const std::string& plot, const std::vector<std::string>& switches = {}, const std::string& ini = "") {
        return run_plot(plot, switches, ini).status;
    }
    std::string drawing(const std::string& name = "A.DXF") const { return read_file(name); }
    void keep(const std::string& label, const std::string& members, const std::string& name = "A.DXF") const {
        // The rows hold whole JSON objects; the sidecar takes their members.
        keep_for_readback(path(name), "pens_" + label, members.substr(1, members.size() - 2));
    }
};

// Three pens, the third 0.5 mm wide; the pen changes with the pen down.
const std::string kThreePens = "IN;SP1;PA0,0;PD4000,0;SP2;PD4000,4000;SP3;PW0.5;PD0,4000;PU;";

TEST_F(PenPlot, EachPenOnItsLayer) {
    struct Row {
        const char* name;
        const char* release;
        std::vector<std::string> attributes;
        std::string expect;
    };
    const Row rows[] = {
        {"three_pens_2000", "/2000",
         {"LWPOLYLINE LAY001 7 - 35", "LWPOLYLINE LAY002 1 - 35", "LWPOLYLINE LAY003 3 - 50"},
         R"({"acadver": "AC1015", "entities": {"LWPOLYLINE": 3}, "layers": ["0", "LAY001", "LAY002", "LAY003"],)"
         R"( "layer_colors": {"LAY001": 7, "LAY002": 1, "LAY003": 3}, "linetypes": []})"},
        {"three_pens_r12", "/12", {"POLYLINE LAY001 7 - -", "POLYLINE LAY002 1 - -", "POLYLINE LAY003 3 - -"},
         R"({"acadver": "AC1009", "entities": {"POLYLINE": 3}, "layers": ["0", "LAY001", "LAY002", "LAY003"],)"
         R"( "layer_colors": {"LAY001": 7, "LAY002": 1, "LAY003": 3}})"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(run(kThreePens, {row.release}), 0) << last.out.text();
        EXPECT_EQ(drawn_attributes(drawing()), row.attributes);
        keep(row.name, row.expect);
    }
}

TEST_F(PenPlot, PenChangeWithThePenDownSplitsThePath) {
    ASSERT_EQ(run("SP1;PA0,0;PD100,0;PW0.7;PD200,0;PU;", {"/2000"}), 0) << last.out.text();
    const std::vector<DxfRecord> entities = dxf_entities(drawing());
    ASSERT_EQ(entities.size(), 2u);
    EXPECT_EQ(entities[0].values(10), (std::vector<std::string>{"0.0", "2.5"}));
    EXPECT_EQ(entities[1].values(10), (std::vector<std::string>{"2.5", "5.0"}));
    EXPECT_EQ(entities[0].value(370), "35");
    EXPECT_EQ(entities[1].value(370), "70");
}

// Dashed, solid (BYLAYER), CONTINUOUS (LT99 after LT), dashed again within
// 0.1 mm of the first, an adaptive type, and LT99 back to the dashes.
const std::string kLineTypes =
    "SP1;PA0,0;LT2,5,1;PD4000,0;PU;LT;PA0,1000;PD4000,1000;PU;LT99;PA0,2000;PD4000,2000;PU;"
    "LT2,5.05;PA0,3000;PD4000,3000;PU;LT-1;PA0,4000;PD4000,4000;PU;LT99;PA0,5000;PD4000,5000;PU;";

TEST_F(PenPlot, LineTypesBecomeLinetypes) {
    struct Row {
        const char* name;
        const char* release;
        std::vector<std::string> attributes;
        std::string expect;
    };
    const Row rows[] = {
        {"2000",
         "/2000",
         {"POLYLINE LAY001 7 DASH3 35", "LWPOLYLINE LAY001 7 - 35",
          "LWPOLYLINE LAY001 7 CONTINUOUS 35", "POLYLINE LAY001 7 DASH3 35",
          "POLYLINE LAY001 7 DOT1 35", "POLYLINE LAY001 7 DASH3 35"},
         R"({"acadver": "AC1015", "entities": {"POLYLINE": 4, "LWPOLYLINE": 2}, "linetypes": ["DASH3", "DOT1"]})"},
        {"r12",
         "/12",
         {"POLYLINE LAY001 7 DASH3 -", "POLYLINE LAY001 7 - -", "POLYLINE LAY001 7 CONTINUOUS -",
          "POLYLINE LAY001 7 DASH3 -", "POLYLINE LAY001 7 DOT1 -", "POLYLINE LAY001 7 DASH3 -"},
         R"({"acadver": "AC1009", "entities": {"POLYLINE": 6}, "linetypes": ["DASH3", "DOT1"]})"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(run(kLineTypes, {row.release}), 0) << last.out.text();
        EXPECT_EQ(drawn_attributes(drawing()), row.attributes);
        keep(std::string("linetypes_") + row.name, row.expect);
    }
}

TEST_F(PenPlot, MonochromeAndPenByLayer) {
    struct Row {
        const char* name;
        std::vector<std::string> switches;
        std::string ini;
        std::vector<std::string> attributes;
        std::string expect;
    };
    const std::string plot = "SP2;PA0,0;PD4000,0;PU;PC2,0,0,255;PD4000,4000;PU;SP3;PD0,4000;PU;";
    const Row rows[] = {
        {"mono",
         {"/2000", "/MONO"},
         "",
         {"LWPOLYLINE LAY002 7 - 35", "LWPOLYLINE LAY002 7 - 35", "LWPOLYLINE LAY003 7 - 35"},
         R"({"layers": ["0", "LAY002", "LAY003"], "layer_colors": {"LAY002": 7, "LAY003": 7}})"},
        {"pen_by_layer",
         {"/2000"},
         "[Settings]\nPenByLayer=1\n",
         {"LWPOLYLINE LAY002 - - 35", "LWPOLYLINE LAY002 5 - 35", "LWPOLYLINE LAY003 - - 35"},
         R"({"layers": ["0", "LAY002", "LAY003"], "layer_colors": {"LAY002": 1, "LAY003": 3}})"},
        {"mono_pen_by_layer_r12",
         {"/12", "/MONO"},
         "[Settings]\nPenByLayer=1\n",
         {"POLYLINE LAY002 - - -", "POLYLINE LAY002 - - -", "POLYLINE LAY003 - - -"},
         R"({"acadver": "AC1009", "layers": ["0", "LAY002", "LAY003"], "layer_colors": {"LAY002": 7, "LAY003": 7}})"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(run(plot, row.switches, row.ini), 0) << last.out.text();
        EXPECT_EQ(drawn_attributes(drawing()), row.attributes);
        keep(row.name, row.expect);
    }
}

TEST_F(PenPlot, LayerNamesFromTheSettings) {
    const std::string ini =
        "[Settings]\nHPGLLayers=1\nLayersLeading0=0\n[HPGLLayers]\n3=walls north\n";
    // SP12 with eight pens is pen 5.
    ASSERT_EQ(run("SP3;PA0,0;PD4000,4000;PU;SP12;PD0,4000;PU;", {"/12"}, ini), 0)
        << last.out.text();
    EXPECT_EQ(drawn_attributes(drawing()),
              (std::vector<std::string>{"POLYLINE WALLS_NORTH 3 - -", "POLYLINE LAY5 5 - -"}));
    keep("hpgl_layers_r12",
                      R"({"acadver": "AC1009", "layers": ["0", "WALLS_NORTH", "LAY5"],)"
                      R"( "layer_colors": {"WALLS_NORTH": 3, "LAY5": 5}})");
}

TEST_F(PenPlot, SecondPageStartsWithItsOwnLayers) {
    // Page 1 draws with pen 3; page 2 draws before any SP: its layer is
    // made by the first entity, in the new drawing.
    const std::string plot =
        "SP3;PA0,0;PD4000,0;PU;LT2;PD4000,4000;PU;PG;PA0,0;PD0,4000;PU;" + std::string(2100, ';');
    ASSERT_EQ(run(plot, {"/2000"}), 0) << last.out.text();
    EXPECT_EQ(drawn_attributes(drawing("A.DXF")),
              (std::vector<std::string>{"LWPOLYLINE LAY003 3 - 35", "POLYLINE LAY003 3 DASH3 35"}));
    EXPECT_EQ(drawn_attributes(drawing("A-2.DXF")),
              (std::vector<std::string>{"LWPOLYLINE LAY001 7 - 35"}));
    keep("page_1", R"({"layers": ["0", "LAY003"], "linetypes": ["DASH3"]})", "A.DXF");
    // The first entity's colour 7 stands for pen 7 when it makes the layer.
    keep(
        "page_2", R"({"layers": ["0", "LAY001"], "layer_colors": {"LAY001": 4}, "linetypes": []})",
        "A-2.DXF");
}

}  // namespace
}  // namespace penloom::testing
