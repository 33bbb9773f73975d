// The DWG entity writer: drawings of every entity kind and option saved at
// 2000, R14 and R13 beside their DXF, for the read-back by two DWG readers,
// and the per-block first/last entity and map
// rows the BLOCK_HEADER and the object map rely on.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "drawing/dwg_writer_internal.h"
#include "drawing/sample_drawing.h"
#include "support/readback.h"

namespace penloom::testing {

namespace {

// What the sample leaves at its defaults: per-vertex widths, elevation and
// thickness, a justified and slanted TEXT off the ground, a closed POLYLINE
// with widths, a HATCH with line, arc, ellipse and spline edges, a double
// pattern and two seeds, and an entity that is invisible, BYBLOCK in colour,
// linetype and lineweight, at another linetype scale.
SampleDrawing options_drawing(DrawingLibrary& lib, int version) {
    SampleDrawing s;
    s.drawing = create_drawing(lib, version == version_2000 ? version_2000 : version_r14);
    if (!s.drawing) return s;
    Drawing& d = *s.drawing;
    Handle model;
    EXPECT_TRUE(find_block(d, "*MODEL_SPACE", model));
    s.model_space = block_entity_list(d, model);
    const Handle layer = d.layers.records.front().handle;
    auto add = [&](std::uint16_t type, auto fill) {
        EntityHeader h;
        EntityRecord r;
        h.type = type;
        EXPECT_TRUE(init_entity(d, h, r));
        new_handle(d, h.handle);
        h.layer = layer;
        fill(h, r);
        EXPECT_TRUE(add_entity(d, *s.model_space, h, r));
    };
    add(lwpolyline_type(d), [&](EntityHeader&, EntityRecord& r) {
        LwpolylineData& l = r.lwpolyline;
        l.vertex_count = 3;
        l.flags = lwpolyline_has_bulges | lwpolyline_has_widths | lwpolyline_plinegen;
        l.elevation = 2.5, l.thickness = 1.25;
        // x, y, bulge, start width, end width
        l.vertices = write_blob(
            d, {0.0, 0.0, 0.25, 1.0, 2.0, 10.0, 0.0, 0.0, 2.0, 2.0, 10.0, 10.0, 0.0, 0.0, 0.5});
    });
    add(entity_text, [](EntityHeader&, EntityRecord& r) {
        TextData& t = r.text;
        t.insert = Point3{5.0, 20.0, 5.0}, t.align = Point3{25.0, 20.0, 5.0};
        t.height = 2.0, t.text = "Slanted", t.oblique = 0.2, t.width_factor = 1.2;
        t.generation = 2, t.halign = 2, t.thickness = 0.5;
    });
    add(entity_circle, [](EntityHeader&, EntityRecord& r) {
        r.circle.center = Point3{40.0, 40.0, 1.5}, r.circle.radius = 3.0, r.circle.thickness = 2.0;
    });
    add(entity_arc, [&d](EntityHeader& h, EntityRecord& r) {
        h.flags |= entity_flag_invisible, h.color = 0, h.linetype = d.byblock_linetype;
        h.lineweight = -2, h.linetype_scale = 2.5;
        r.arc.center = Point3{50.0, 40.0, 0.0}, r.arc.radius = 4.0, r.arc.start_angle = 1.0,
        r.arc.end_angle = 0.5;
    });
    add(entity_polyline, [](EntityHeader&, EntityRecord& r) {
        r.polyline.flags = polyline_closed, r.polyline.start_width = 0.5,
        r.polyline.end_width = 0.5;
    });
    for (int i = 0; i < 4; ++i) {
        add(entity_vertex, [i](EntityHeader&, EntityRecord& r) {
            r.vertex.location = Point3{60.0 + 5.0 * (i % 2), 40.0 + 5.0 * (i / 2), 0.0};
            r.vertex.start_width = 0.5, r.vertex.end_width = i == 2 ? 1.5 : 0.5;
            r.vertex.bulge = i == 1 ? -0.5 : 0.0;
        });
    }
    add(entity_seqend, [](EntityHeader&, EntityRecord&) {});
    add(hatch_type(d), [&](EntityHeader&, EntityRecord& r) {
        HatchData& h = r.hatch;
        h.path_count = 1;  // edges: line, arc (clockwise), ellipse, rational spline
        h.paths = write_blob(d, {I32{hatch_path_external},
                                 I32{4},
                                 U8{hatch_edge_line},
                                 0.0,
                                 0.0,
                                 20.0,
                                 0.0,
                                 U8{hatch_edge_arc},
                                 20.0,
                                 5.0,
                                 5.0,
                                 4.71238898038469,
                                 1.5707963267948966,
                                 I16{0},
                                 U8{hatch_edge_ellipse},
                                 10.0,
                                 10.0,
                                 -10.0,
                                 0.0,
                                 0.5,
                                 0.0,
                                 3.141592653589793,
                                 I16{1},
                                 U8{hatch_edge_spline},
                                 I32{3},
                                 I16{1},
                                 I16{0},
                                 I32{8},
                                 I32{4},
                                 0.0,
                                 0.0,
                                 0.0,
                                 0.0,
                                 1.0,
                                 1.0,
                                 1.0,
                                 1.0,
                                 0.0,
                                 10.0,
                                 1.0,
                                 -2.0,
                                 5.0,
                                 0.5,
                                 -2.0,
                                 5.0,
                                 0.5,
                                 0.0,
                                 0.0,
                                 1.0,
                                 I32{0}});
        h.pattern_name = "USER", h.solid_fill = 0, h.pattern_type = 0, h.pattern_double = 1;
        h.pattern_angle = 0.5, h.pattern_scale = 1.0, h.pattern_line_count = 1;
        h.pattern_lines =
            write_blob(d, {0.5, 0.0, 0.0, -0.958851077208406, 1.7551651237807455, I16{0}});
        h.seed_count = 2, h.seeds = write_blob(d, {5.0, 5.0, 15.0, 2.0});
    });
    return s;
}

EntityList* model_space_of(Drawing& d) {
    Handle model;
    EXPECT_TRUE(find_block(d, "*MODEL_SPACE", model));
    return block_entity_list(d, model);
}

class DwgEntitiesTest : public ::testing::TestWithParam<int> {
   protected:
    void SetUp() override {
        std::int16_t error = -1;
        ASSERT_TRUE(init_library(lib, "/nonexistent/penloom.dat", error));
    }
    void TearDown() override { close_library(lib); }
    DrawingLibrary lib;
};

// Model-space and paper-space entities interleaved in handle order: each
// block gets its own chain and entity mode, and the map rows still come out
// in handle order.
TEST_P(DwgEntitiesTest, BlocksInterleavedInHandleOrderKeepTheirOwnChains) {
    const int version = GetParam();
    auto d = create_drawing(lib, version == version_2000 ? version_2000 : version_r14);
    ASSERT_TRUE(d);
    Handle model, paper;
    ASSERT_TRUE(find_block(*d, "*MODEL_SPACE", model));
    ASSERT_TRUE(find_block(*d, "*PAPER_SPACE", paper));
    for (int i = 0; i < 7; ++i) {
        EntityHeader h;
        EntityRecord r;
        h.type = entity_circle;
        ASSERT_TRUE(init_entity(*d, h, r));
        new_handle(*d, h.handle);
        h.layer = d->layers.records.front().handle;
        const bool in_paper = i % 3 == 1;
        if (in_paper) h.flags |= entity_flag_paper_space;
        r.circle.center = Point3{10.0 * i, 0.0, 0.0};
        ASSERT_TRUE(add_entity(*d, *block_entity_list(*d, in_paper ? paper : model), h, r));
    }
    DwgOut out;
    out.capacity = std::size_t{1} << 20;
    DwgContext c(out, *d, version);
    ASSERT_TRUE(write_dwg_entities(c));
    ASSERT_EQ(c.entity_map.size(), 7u);
    for (std::size_t i = 1; i < c.entity_map.size(); ++i) {
        EXPECT_LT(c.entity_map[i - 1].handle, c.entity_map[i].handle);
    }
    // Model space holds the circles 0, 2, 3, 5, 6; paper space 1 and 4.
    EXPECT_EQ(c.block_entities.at(0).count, 5u);
    EXPECT_EQ(c.block_entities.at(1).count, 2u);
    EXPECT_EQ(c.block_entities.at(1).last - c.block_entities.at(1).first, 3u);
    EXPECT_EQ(c.block_entities.at(0).last - c.block_entities.at(0).first, 6u);
}

// Below 2000 "X Y" and "X_Y" are both written X_Y, and only the first of
// them is written: an entity on the second names the first, as its DXF name
// does.
TEST_P(DwgEntitiesTest, EntityOnALayerWrittenUnderAnEarlierNameNamesThatLayer) {
    const int version = GetParam();
    auto d = create_drawing(lib, version == version_2000 ? version_2000 : version_r14);
    ASSERT_TRUE(d);
    Handle first, second;
    for (const char* name : {"X Y", "X_Y"}) {
        LayerTableRecord layer;
        init_layer_record(*d, layer);
        layer.name = name;
        new_handle(*d, layer.handle);
        ASSERT_TRUE(add_layer(*d, layer));
        (std::string(name) == "X Y" ? first : second) = layer.handle;
    }
    EntityHeader h;
    EntityRecord r;
    h.type = entity_circle;
    ASSERT_TRUE(init_entity(*d, h, r));
    new_handle(*d, h.handle);
    h.layer = second;
    ASSERT_TRUE(add_entity(*d, *model_space_of(*d), h, r));
    // The read-back holds the DWG's layer names against the DXF's.
    const char* release = version == version_2000 ? "2000" : version == version_r14 ? "r14" : "r13";
    const std::string base = readback_dir("drawing") + "dwg-layer-names-" + release;
    EXPECT_TRUE(save_drawing(*d, base + ".dxf", file_kind_ascii_dxf, version, false, 16, 1, 0));
    EXPECT_TRUE(save_drawing(*d, base + ".dwg", file_kind_dwg, version, false, 16, 1, 0)) << last_error(lib);
}

TEST_P(DwgEntitiesTest, OptionsAreKeptWithTheirDxfTwin) {
    const int version = GetParam();
    const char* release = version == version_2000 ? "2000" : version == version_r14 ? "r14" : "r13";
    const std::string base = readback_dir("drawing") + "dwg-options-" + release;
    for (const int kind : {file_kind_dwg, file_kind_ascii_dxf}) {
        SampleDrawing sample = options_drawing(lib, version);
        ASSERT_TRUE(sample.drawing);
        const std::string path = base + (kind == file_kind_dwg ? ".dwg" : ".dxf");
        EXPECT_TRUE(save_drawing(*sample.drawing, path, kind, version, false, 16, 1, 0))
            << last_error(lib);
        // The same drawing as a 2004 DWG, its twin the 2000 DXF (r2004).
        if (version == version_2000) {
            const std::string base2004 = readback_dir("drawing") + "dwg-options-2004";
            const int as = kind == file_kind_dwg ? version_2004 : version_2000;
            EXPECT_TRUE(save_drawing(*sample.drawing,
                                     base2004 + (kind == file_kind_dwg ? ".dwg" : ".dxf"), kind, as,
                                     false, 16, 1, 0));
            spill(base2004 + ".dwg.json", "{\"release\": \"AC1018\"}\n");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, DwgEntitiesTest,
                         ::testing::Values(version_2000, version_r14, version_r13));

}  // namespace

}  // namespace penloom::testing
