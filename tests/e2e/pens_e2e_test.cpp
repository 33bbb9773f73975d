// Whole runs over plots drawn with several pens, widths, colours and line
// types: every entity on its pen's layer with its colour, lineweight and
// linetype, at R12, R14 and 2000, in colour and monochrome. Every drawing
// is also copied, with its expectations, under $PENLOOM_E2E_DIR for the
// ezdxf read-back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "driver/context.h"
#include "driver/program.h"

namespace penloom {
namespace {

namespace fs = std::filesystem;

// One entity of the ENTITIES section: its type and the first value of each
// group code (coordinates keep all of theirs).
struct Entity {
    std::string type;
    std::map<int, std::string> groups;
    std::vector<std::string> xs, ys;

    std::string group(int code) const {
        auto it = groups.find(code);
        return it == groups.end() ? "-" : it->second;
    }
    // layer / colour / linetype / lineweight, "-" where a group is absent.
    std::string attributes() const {
        return type + " " + group(8) + " " + group(62) + " " + group(6) + " " + group(370);
    }
};

std::string trim(const std::string& text) {
    auto first = text.find_first_not_of(" \r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \r") - first + 1);
}

std::vector<Entity> entities_of(const std::string& dxf) {
    std::istringstream in(dxf);
    std::string code, value;
    std::vector<Entity> entities;
    bool inside = false;
    std::string last_value;
    while (std::getline(in, code) && std::getline(in, value)) {
        int number = std::atoi(trim(code).c_str());
        value = trim(value);
        if (number == 2 && last_value == "SECTION") inside = value == "ENTITIES";
        last_value = number == 0 ? value : "";
        if (!inside) continue;
        if (number == 0) {
            if (value == "ENDSEC") break;
            entities.push_back(Entity{value, {}, {}, {}});
            continue;
        }
        if (entities.empty()) continue;
        Entity& e = entities.back();
        if (number == 10) e.xs.push_back(value);
        if (number == 20) e.ys.push_back(value);
        e.groups.emplace(number, value);
    }
    return entities;
}

// The entities that carry drawn geometry: VERTEX and SEQEND follow their
// POLYLINE.
std::vector<std::string> drawn_attributes(const std::vector<Entity>& entities) {
    std::vector<std::string> result;
    for (const Entity& e : entities)
        if (e.type != "VERTEX" && e.type != "SEQEND") result.push_back(e.attributes());
    return result;
}

class PenPlot : public ::testing::Test {
   protected:
    void SetUp() override {
        old_cwd_ = fs::current_path();
        std::string base = (fs::temp_directory_path() / "penloom-pens-XXXXXX").string();
        ASSERT_NE(mkdtemp(base.data()), nullptr);
        root_ = base;
        fs::current_path(root_);
        fs::create_directory(root_ / "prog");
        const char* home = std::getenv("PENLOOM_HOME");
        if (home != nullptr) old_home_ = home;
        setenv("PENLOOM_HOME", (root_ / "prog").c_str(), 1);
    }
    void TearDown() override {
        fs::current_path(old_cwd_);
        std::error_code ignored;
        fs::remove_all(root_, ignored);
        if (old_home_.empty())
            unsetenv("PENLOOM_HOME");
        else
            setenv("PENLOOM_HOME", old_home_.c_str(), 1);
    }

    int run(const std::string& plot, std::vector<std::string> switches = {},
            const std::string& ini = "") {
        for (const auto& entry : fs::directory_iterator(root_))
            if (entry.path().extension() == ".DXF") fs::remove(entry.path());
        std::ofstream(root_ / "prog" / "penloom.ini") << ini;
        std::ofstream(root_ / "A.PLT", std::ios::binary) << plot;
        std::vector<std::string> args{"A.PLT"};
        args.insert(args.end(), switches.begin(), switches.end());
        ctx_ = std::make_unique<Context>();
        return run_program(*ctx_, args);
    }

    std::string drawing(const std::string& name = "A.DXF") const {
        std::ifstream in(root_ / name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Copies a drawing for the read-back with its expectations (JSON text).
    void keep_for_readback(const std::string& label, const std::string& expect,
                           const std::string& name = "A.DXF") const {
        const char* e2e = std::getenv("PENLOOM_E2E_DIR");
        if (e2e == nullptr) return;
        fs::create_directories(e2e);
        std::string base = std::string(e2e) + "/pens_" + label;
        fs::copy_file(root_ / name, base + ".dxf", fs::copy_options::overwrite_existing);
        std::ofstream(base + ".expect.json") << expect << "\n";
    }

    std::unique_ptr<Context> ctx_;
    fs::path root_;

   private:
    fs::path old_cwd_;
    std::string old_home_;
};

// Three pens, the third 0.5 mm wide; the pen changes with the pen down.
const std::string kThreePens = "IN;SP1;PA0,0;PD4000,0;SP2;PD4000,4000;SP3;PW0.5;PD0,4000;PU;";

TEST_F(PenPlot, EachPenOnItsLayerAt2000) {
    ASSERT_EQ(run(kThreePens, {"/2000"}), 0) << ctx_->out.text();
    EXPECT_EQ(drawn_attributes(entities_of(drawing())),
              (std::vector<std::string>{"LWPOLYLINE LAY001 7 - 35", "LWPOLYLINE LAY002 1 - 35",
                                        "LWPOLYLINE LAY003 3 - 50"}));
    keep_for_readback(
        "three_pens_2000",
        R"({"acadver": "AC1015", "entities": {"LWPOLYLINE": 3},)"
        R"( "layers": ["0", "LAY001", "LAY002", "LAY003"],)"
        R"( "layer_colors": {"LAY001": 7, "LAY002": 1, "LAY003": 3}, "linetypes": []})");
}

TEST_F(PenPlot, EachPenOnItsLayerAtR12) {
    ASSERT_EQ(run(kThreePens, {"/12"}), 0) << ctx_->out.text();
    EXPECT_EQ(drawn_attributes(entities_of(drawing())),
              (std::vector<std::string>{"POLYLINE LAY001 7 - -", "POLYLINE LAY002 1 - -",
                                        "POLYLINE LAY003 3 - -"}));
    keep_for_readback("three_pens_r12",
                      R"({"acadver": "AC1009", "entities": {"POLYLINE": 3},)"
                      R"( "layers": ["0", "LAY001", "LAY002", "LAY003"],)"
                      R"( "layer_colors": {"LAY001": 7, "LAY002": 1, "LAY003": 3}})");
}

TEST_F(PenPlot, PenChangeWithThePenDownSplitsThePath) {
    ASSERT_EQ(run("SP1;PA0,0;PD100,0;PW0.7;PD200,0;PU;", {"/2000"}), 0) << ctx_->out.text();
    std::vector<Entity> entities = entities_of(drawing());
    ASSERT_EQ(entities.size(), 2u);
    EXPECT_EQ(entities[0].xs, (std::vector<std::string>{"0.0", "2.5"}));
    EXPECT_EQ(entities[1].xs, (std::vector<std::string>{"2.5", "5.0"}));
    EXPECT_EQ(entities[0].group(370), "35");
    EXPECT_EQ(entities[1].group(370), "70");
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
        {"r14",
         "/14",
         {"POLYLINE LAY001 7 DASH3 -", "LWPOLYLINE LAY001 7 - -",
          "LWPOLYLINE LAY001 7 CONTINUOUS -", "POLYLINE LAY001 7 DASH3 -",
          "POLYLINE LAY001 7 DOT1 -", "POLYLINE LAY001 7 DASH3 -"},
         R"({"acadver": "AC1014", "entities": {"POLYLINE": 4, "LWPOLYLINE": 2}, "linetypes": ["DASH3", "DOT1"]})"},
        {"r12",
         "/12",
         {"POLYLINE LAY001 7 DASH3 -", "POLYLINE LAY001 7 - -", "POLYLINE LAY001 7 CONTINUOUS -",
          "POLYLINE LAY001 7 DASH3 -", "POLYLINE LAY001 7 DOT1 -", "POLYLINE LAY001 7 DASH3 -"},
         R"({"acadver": "AC1009", "entities": {"POLYLINE": 6}, "linetypes": ["DASH3", "DOT1"]})"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(run(kLineTypes, {row.release}), 0) << ctx_->out.text();
        EXPECT_EQ(drawn_attributes(entities_of(drawing())), row.attributes);
        keep_for_readback(std::string("linetypes_") + row.name, row.expect);
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
        ASSERT_EQ(run(plot, row.switches, row.ini), 0) << ctx_->out.text();
        EXPECT_EQ(drawn_attributes(entities_of(drawing())), row.attributes);
        keep_for_readback(row.name, row.expect);
    }
}

TEST_F(PenPlot, LayerNamesFromTheSettings) {
    const std::string ini =
        "[Settings]\nHPGLLayers=1\nLayersLeading0=0\n[HPGLLayers]\n3=walls north\n";
    // SP12 with eight pens is pen 5.
    ASSERT_EQ(run("SP3;PA0,0;PD4000,4000;PU;SP12;PD0,4000;PU;", {"/12"}, ini), 0)
        << ctx_->out.text();
    EXPECT_EQ(drawn_attributes(entities_of(drawing())),
              (std::vector<std::string>{"POLYLINE WALLS_NORTH 3 - -", "POLYLINE LAY5 5 - -"}));
    keep_for_readback("hpgl_layers_r12",
                      R"({"acadver": "AC1009", "layers": ["0", "WALLS_NORTH", "LAY5"],)"
                      R"( "layer_colors": {"WALLS_NORTH": 3, "LAY5": 5}})");
}

TEST_F(PenPlot, SecondPageStartsWithItsOwnLayers) {
    // Page 1 draws with pen 3; page 2 draws before any SP: its layer is
    // made by the first entity, in the new drawing.
    const std::string plot =
        "SP3;PA0,0;PD4000,0;PU;LT2;PD4000,4000;PU;PG;PA0,0;PD0,4000;PU;" + std::string(2100, ';');
    ASSERT_EQ(run(plot, {"/2000"}), 0) << ctx_->out.text();
    EXPECT_EQ(drawn_attributes(entities_of(drawing("A.DXF"))),
              (std::vector<std::string>{"LWPOLYLINE LAY003 3 - 35", "POLYLINE LAY003 3 DASH3 35"}));
    EXPECT_EQ(drawn_attributes(entities_of(drawing("A-2.DXF"))),
              (std::vector<std::string>{"LWPOLYLINE LAY001 7 - 35"}));
    keep_for_readback("page_1", R"({"layers": ["0", "LAY003"], "linetypes": ["DASH3"]})", "A.DXF");
    // The first entity's colour 7 stands for pen 7 when it makes the layer.
    keep_for_readback(
        "page_2", R"({"layers": ["0", "LAY001"], "layer_colors": {"LAY001": 4}, "linetypes": []})",
        "A-2.DXF");
}

}  // namespace
}  // namespace penloom
