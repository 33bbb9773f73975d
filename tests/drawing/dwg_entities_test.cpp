// The DWG entity writer on its own: the sample drawing's entities written
// into a memory buffer at 2000, R14 and R13, each object read back bit by bit
// here (frame, CRC, type, handle, entity mode, owner, chain links, layer and
// some geometry), and the per-block first/last entity the BLOCK_HEADER needs.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "drawing/dwg_writer_internal.h"
#include "drawing/sample_drawing.h"
#include "support/readback.h"

namespace penloom::testing {

namespace {

// Reads what dwg_bits writes: most significant bit first.
struct BitReader {
    const std::uint8_t* p;
    std::size_t size;
    std::uint64_t bit = 0;
    bool overrun = false;

    unsigned b() {
        if (bit >= size * 8) {
            overrun = true;
            return 0;
        }
        const unsigned v = (p[bit >> 3] >> (7 - (bit & 7))) & 1u;
        ++bit;
        return v;
    }
    std::uint64_t bits(unsigned n) {
        std::uint64_t v = 0;
        while (n-- > 0) v = (v << 1) | b();
        return v;
    }
    std::uint64_t raw_le(unsigned bytes) {
        std::uint64_t v = 0;
        for (unsigned i = 0; i < bytes; ++i) v |= bits(8) << (8 * i);
        return v;
    }
    unsigned bb() { return static_cast<unsigned>(bits(2)); }
    unsigned rc() { return static_cast<unsigned>(bits(8)); }
    double rd() {
        const std::uint64_t v = raw_le(8);
        double d;
        std::memcpy(&d, &v, 8);
        return d;
    }
    int bs() {
        switch (bb()) {
            case 0:
                return static_cast<std::int16_t>(raw_le(2));
            case 1:
                return rc();
            case 2:
                return 0;
            default:
                return 256;
        }
    }
    std::int64_t bl() {
        switch (bb()) {
            case 0:
                return static_cast<std::int32_t>(raw_le(4));
            case 1:
                return rc();
            case 2:
                return 0;
            default:
                overrun = true;
                return 0;
        }
    }
    double bd() {
        switch (bb()) {
            case 0:
                return rd();
            case 1:
                return 1.0;
            case 2:
                return 0.0;
            default:
                overrun = true;
                return 0.0;
        }
    }
    Point3 bd3() {
        const double x = bd(), y = bd();
        return Point3{x, y, bd()};
    }
    // A handle reference resolved against the object's own handle.
    std::uint64_t h(std::uint64_t own) {
        const unsigned code = static_cast<unsigned>(bits(4)),
                       count = static_cast<unsigned>(bits(4));
        std::uint64_t v = 0;
        for (unsigned i = 0; i < count; ++i) v = (v << 8) | bits(8);
        switch (code) {
            case 6:
                return own + 1;
            case 8:
                return own - 1;
            case 0xA:
                return own + v;
            case 0xC:
                return own - v;
            default:
                return v;
        }
    }
};

struct ReadEntity {
    std::uint64_t offset = 0;
    unsigned type = 0;
    std::uint64_t handle = 0;
    unsigned mode = 0;
    std::uint64_t owner = 0, reactor = 0, layer = 0, previous = 0, next = 0;
    bool crc_ok = false;
    double first_real = 0.0;                 // CIRCLE/ARC: centre x
    double radius = 0.0;                     // CIRCLE/ARC
    std::vector<std::uint64_t> own_handles;  // after the common ones
};

// Reads the frames one after another from the bytes written.
std::vector<ReadEntity> read_objects(const std::vector<std::uint8_t>& bytes, int version) {
    std::vector<ReadEntity> out;
    std::size_t at = 0;
    while (at < bytes.size()) {
        ReadEntity e;
        e.offset = at;
        std::size_t size = 0, shift = 0, pos = at;
        for (;;) {
            const unsigned word = bytes[pos] | (bytes[pos + 1] << 8);
            pos += 2;
            size |= static_cast<std::size_t>(word & 0x7FFF) << shift;
            shift += 15;
            if (!(word & 0x8000)) break;
        }
        const std::uint16_t crc = dwg_crc(bytes.data() + at, pos - at + size, dwg_crc_seed);
        e.crc_ok = (bytes[pos + size] | (bytes[pos + size + 1] << 8)) == crc;
        BitReader r{bytes.data() + pos, size};
        e.type = static_cast<unsigned>(r.bs());
        std::uint64_t handle_bits = 0;
        if (version >= version_2000) handle_bits = r.raw_le(4);
        e.handle = r.h(0);
        EXPECT_EQ(r.bs(), 0);  // no extended data
        EXPECT_EQ(r.b(), 0u);  // no graphic
        if (version < version_2000) handle_bits = r.raw_le(4);
        e.mode = r.bb();
        const std::int64_t reactors = r.bl();
        EXPECT_LE(reactors, 1);
        bool bylayer_linetype = true;
        if (version < version_2000) bylayer_linetype = r.b();
        EXPECT_EQ(r.b(), 0u);  // links written out
        r.bs();                // colour
        r.bd();                // linetype scale
        unsigned linetype_flags = 0;
        if (version >= version_2000) {
            linetype_flags = r.bb();
            r.bb();
        }
        r.bs();
        if (version >= version_2000) r.rc();
        if (e.type == dwg_type_circle || e.type == dwg_type_arc) {
            e.first_real = r.bd3().x;
            e.radius = r.bd();
        }
        BitReader hr{bytes.data() + pos, size};
        hr.bit = handle_bits;
        if (e.mode == 0) e.owner = hr.h(e.handle);
        for (std::int64_t i = 0; i < reactors; ++i) e.reactor = hr.h(e.handle);
        hr.h(e.handle);  // extension dictionary
        if (version < version_2000) {
            e.layer = hr.h(e.handle);
            if (!bylayer_linetype) hr.h(e.handle);
        }
        e.previous = hr.h(e.handle);
        e.next = hr.h(e.handle);
        if (version >= version_2000) {
            e.layer = hr.h(e.handle);
            if (linetype_flags == 3) hr.h(e.handle);
        }
        while (hr.bit + 8 <= size * 8 && !hr.overrun) {
            const std::uint64_t more = hr.h(e.handle);
            if (hr.overrun) break;
            e.own_handles.push_back(more);
        }
        EXPECT_FALSE(r.overrun);
        out.push_back(e);
        at = pos + size + 2;
    }
    return out;
}

// The sample with a whole and a partial ELLIPSE added after its entities.
SampleDrawing sample_with_ellipses(DrawingLibrary& lib, int version) {
    SampleDrawing s =
        build_sample_drawing(lib, version == version_2000 ? version_2000 : version_r14);
    if (!s.drawing) return s;
    Drawing& d = *s.drawing;
    for (int i = 0; i < 2; ++i) {
        EntityHeader h;
        EntityRecord r;
        h.type = entity_ellipse;
        EXPECT_TRUE(init_entity(d, h, r));
        new_handle(d, h.handle);
        h.layer = d.layers.records.back().handle;
        EllipseData& e = r.ellipse;
        e.center = Point3{150.0 + 30.0 * i, 100.0, 0.0};
        e.major_axis = Point3{12.0, 5.0, 0.0};
        e.ratio = 0.35;
        if (i == 1) e.start_parameter = 0.5, e.end_parameter = 4.25;
        EXPECT_TRUE(add_entity(d, *s.model_space, h, r));
        ++s.entity_counts["ELLIPSE"];
    }
    return s;
}

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

TEST_P(DwgEntitiesTest, EveryEntityIsOneChainedObject) {
    const int version = GetParam();
    SampleDrawing sample = sample_with_ellipses(lib, version);
    ASSERT_TRUE(sample.drawing);
    const Drawing& d = *sample.drawing;

    DwgOut out;
    out.capacity = std::size_t{1} << 24;  // everything stays in the buffer
    DwgContext c(out, d, version);
    c.lwpolyline_class = 500;
    c.hatch_class = 501;
    ASSERT_TRUE(write_dwg_entities(c));
    ASSERT_FALSE(out.failed);

    const std::vector<ReadEntity> objects = read_objects(out.buffer, version);
    std::map<std::uint64_t, ReadEntity> by_handle;
    std::map<unsigned, int> types;
    for (const ReadEntity& e : objects) {
        EXPECT_TRUE(e.crc_ok) << e.handle;
        by_handle[e.handle] = e;
        ++types[e.type];
    }
    EXPECT_EQ(types, (std::map<unsigned, int>{{dwg_type_text, 2},
                                              {dwg_type_seqend, 1},
                                              {dwg_type_vertex_2d, 3},
                                              {dwg_type_polyline_2d, 1},
                                              {dwg_type_arc, 1},
                                              {dwg_type_circle, 1},
                                              {dwg_type_ellipse, 2},
                                              {500, 2},
                                              {501, 3}}));

    // The map rows: one per object, in handle order, at the object's frame.
    ASSERT_EQ(c.entity_map.size(), objects.size());
    for (std::size_t i = 0; i < c.entity_map.size(); ++i) {
        if (i > 0) {
            EXPECT_LT(c.entity_map[i - 1].handle, c.entity_map[i].handle);
        }
        ASSERT_TRUE(by_handle.count(c.entity_map[i].handle));
        EXPECT_EQ(by_handle[c.entity_map[i].handle].offset, c.entity_map[i].offset);
    }

    // The model space chain runs from the block's first entity to its last
    // through every top-level entity, and back.
    const DwgBlockEntities& model = c.block_entities.at(0);
    EXPECT_EQ(model.count, 12u);
    std::uint64_t previous = 0, at = model.first;
    int walked = 0;
    while (at != 0 && walked < 30) {
        const ReadEntity& e = by_handle.at(at);
        EXPECT_EQ(e.mode, 2u);
        EXPECT_EQ(e.previous, previous);
        EXPECT_NE(e.type, static_cast<unsigned>(dwg_type_vertex_2d));
        EXPECT_NE(e.type, static_cast<unsigned>(dwg_type_seqend));
        previous = at;
        at = e.next;
        ++walked;
    }
    EXPECT_EQ(walked, 12);
    EXPECT_EQ(previous, model.last);

    // The POLYLINE owns its vertices (chained among themselves) and its SEQEND.
    for (const ReadEntity& p : objects) {
        if (p.type != dwg_type_polyline_2d) continue;
        ASSERT_EQ(p.own_handles.size(), 3u);
        const std::uint64_t first = p.own_handles[0], last = p.own_handles[1],
                            seqend = p.own_handles[2];
        std::uint64_t before = 0;
        int vertices = 0;
        for (std::uint64_t v = first; v != 0 && vertices < 10; ++vertices) {
            const ReadEntity& vertex = by_handle.at(v);
            EXPECT_EQ(vertex.type, static_cast<unsigned>(dwg_type_vertex_2d));
            EXPECT_EQ(vertex.mode, 0u);
            EXPECT_EQ(vertex.owner, p.handle);
            EXPECT_EQ(vertex.previous, before);
            before = v;
            v = vertex.next;
        }
        EXPECT_EQ(vertices, 3);
        EXPECT_EQ(before, last);
        EXPECT_EQ(by_handle.at(seqend).type, static_cast<unsigned>(dwg_type_seqend));
        EXPECT_EQ(by_handle.at(seqend).owner, p.handle);
    }

    // The block is each entity's reactor from R14, as in the DXF; in R13
    // only the class entities' (LWPOLYLINE, HATCH).
    const std::uint64_t block_record = handle_value(d.blocks.at(0).record);
    for (const ReadEntity& e : objects) {
        const bool class_entity = e.type == 500 || e.type == 501;
        EXPECT_EQ(e.reactor, version >= version_r14 || class_entity ? block_record : 0u)
            << e.handle;
    }
    for (const ReadEntity& e : objects) {
        if (e.type == dwg_type_circle) {
            EXPECT_EQ(e.first_real, 140.0);
            EXPECT_EQ(e.radius, 12.5);
        }
        if (e.type == dwg_type_arc) {
            EXPECT_EQ(e.first_real, 100.0);
            EXPECT_EQ(e.radius, 15.0);
        }
        EXPECT_NE(e.layer, 0u);
    }
}

// The whole save: kept with the DXF of the same drawing and release, which
// the DWG read-back holds the two DWG readers' readings against.
TEST_P(DwgEntitiesTest, SampleIsKeptWithItsDxfTwin) {
    const int version = GetParam();
    const char* release = version == version_2000 ? "2000" : version == version_r14 ? "r14" : "r13";
    const std::string base = readback_dir("drawing") + "dwg-sample-" + release;
    for (const int kind : {file_kind_dwg, file_kind_ascii_dxf}) {
        SampleDrawing sample = sample_with_ellipses(lib, version);
        ASSERT_TRUE(sample.drawing);
        const std::string path = base + (kind == file_kind_dwg ? ".dwg" : ".dxf");
        EXPECT_TRUE(save_drawing(*sample.drawing, path, kind, version, false, 16, 1, 0))
            << last_error(lib);
    }
}

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
    std::map<std::uint64_t, ReadEntity> by_handle;
    for (const ReadEntity& e : read_objects(out.buffer, version)) by_handle[e.handle] = e;
    ASSERT_EQ(c.entity_map.size(), 7u);
    for (std::size_t i = 1; i < c.entity_map.size(); ++i) {
        EXPECT_LT(c.entity_map[i - 1].handle, c.entity_map[i].handle);
    }
    for (std::size_t b = 0; b < 2; ++b) {
        const DwgBlockEntities& chain = c.block_entities.at(b);
        EXPECT_EQ(chain.count, b == 0 ? 5u : 2u);
        std::uint64_t previous = 0;
        std::size_t walked = 0;
        for (std::uint64_t at = chain.first; at != 0 && walked < 10; ++walked) {
            const ReadEntity& e = by_handle.at(at);
            EXPECT_EQ(e.mode, b == 0 ? 2u : 1u);
            EXPECT_EQ(e.previous, previous);
            previous = at;
            at = e.next;
        }
        EXPECT_EQ(walked, chain.count);
        EXPECT_EQ(previous, chain.last);
    }
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
    DwgOut out;
    out.capacity = std::size_t{1} << 20;
    DwgContext c(out, *d, version);
    ASSERT_TRUE(write_dwg_entities(c));
    const std::vector<ReadEntity> objects = read_objects(out.buffer, version);
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0].layer, handle_value(version == version_2000 ? second : first));
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
