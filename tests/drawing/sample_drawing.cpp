// Builds the sample drawing (see sample_drawing.h).
#include "sample_drawing.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

namespace penloom::testing {

namespace {

constexpr double pi = 3.141592653589793;

// Writes typed values into a blob the way the entity emitter does.
struct BlobBuilder {
    Drawing& d;
    BlobId id;
    BlobWriter w;

    explicit BlobBuilder(Drawing& drawing) : d(drawing), id(create_blob(drawing, 4096)), w(open_blob_writer(drawing, id)) {
        EXPECT_NE(w.drawing, nullptr);
    }
    void i16(std::int16_t v) { EXPECT_TRUE(blob_write(w, &v, 2)); }
    void i32(std::int32_t v) { EXPECT_TRUE(blob_write(w, &v, 4)); }
    void u8(std::uint8_t v) { EXPECT_TRUE(blob_write(w, &v, 1)); }
    void real(double v) { EXPECT_TRUE(blob_write(w, &v, 8)); }
    void point(double x, double y) {
        const double xy[2] = {x, y};
        EXPECT_TRUE(blob_write(w, xy, 16));
    }
    BlobId close() {
        EXPECT_TRUE(close_blob_writer(w));
        return id;
    }
};

Handle add_layer_named(Drawing& d, const char* name, std::int16_t color, std::int16_t lineweight) {
    LayerTableRecord layer;
    init_layer_record(d, layer);
    layer.name = name;
    layer.color = color;
    layer.lineweight = lineweight;
    new_handle(d, layer.handle);
    EXPECT_TRUE(add_layer(d, layer));
    return layer.handle;
}

Handle add_dashed_linetype(Drawing& d, const char* name, std::vector<double> dashes) {
    LinetypeTableRecord lt;
    init_linetype_record(lt);
    lt.name = name;
    lt.description.assign(1, ' ');
    for (double len : dashes) {
        LinetypeDash dash;
        dash.length = len;
        lt.dashes.push_back(dash);
        lt.pattern_length += std::fabs(len);
    }
    new_handle(d, lt.handle);
    EXPECT_TRUE(add_linetype(d, lt));
    return lt.handle;
}

struct Builder {
    DrawingLibrary& lib;
    Drawing& d;
    EntityList& ms;
    SampleDrawing& s;
    EntityHeader h;
    EntityRecord r;

    void begin(std::uint16_t type, const Handle& layer) {
        h.type = type;
        ASSERT_TRUE(init_entity(d, h, r));
        new_handle(d, h.handle);
        h.layer = layer;
    }
    void add(const char* counted_as) {
        ASSERT_TRUE(add_entity(d, ms, h, r)) << last_error(lib);
        ++s.entity_counts[counted_as];
    }
};

}  // namespace

BlobId write_blob(Drawing& drawing, const std::vector<double>& values) {
    BlobBuilder b(drawing);
    for (double v : values)
        b.real(v);
    return b.close();
}

SampleDrawing build_sample_drawing(DrawingLibrary& lib, int version) {
    SampleDrawing s;
    s.drawing = create_drawing(lib, version);
    EXPECT_TRUE(s.drawing);
    if (!s.drawing)
        return s;
    Drawing& d = *s.drawing;
    Handle model;
    EXPECT_TRUE(find_block(d, "*MODEL_SPACE", model));
    s.model_space = block_entity_list(d, model);
    EXPECT_NE(s.model_space, nullptr);

    const Handle outline = add_layer_named(d, "PEN1", 1, 25);
    const Handle dashed = add_layer_named(d, "PEN2", 3, 50);
    const Handle fills = add_layer_named(d, "PEN3", 5, -3);
    const Handle dash3 = add_dashed_linetype(d, "DASH3", {10.0, -10.0});
    const Handle center = add_dashed_linetype(d, "CENTER2", {7.0, -1.0, 1.0, -1.0});

    TextStyleTableRecord style;
    init_text_style_record(style);
    style.name = "HP_STYLE_5";
    style.font_file = "romanx.shx";
    style.fixed_height = 0.0;
    style.last_height = 3.75;
    new_handle(d, style.handle);
    EXPECT_TRUE(add_text_style(d, style));

    RegAppTableRecord app;
    init_regapp_record(app);
    app.name = "PENLOOM";
    new_handle(d, app.handle);
    EXPECT_TRUE(add_regapp(d, app));

    HeaderRecord header;
    get_header(d, header);
    header.extmin = Point3{-10.0, -10.0, 0.0};
    header.extmax = Point3{200.0, 120.0, 0.0};
    header.limmin = Point2{-20.0, -20.0};
    header.limmax = Point2{210.0, 130.0};
    header.viewctr = Point2{95.0, 55.0};
    header.viewsize = 130.0;
    header.tdcreate = JulianDate{2451545, 43200000};
    header.tdupdate = header.tdcreate;
    set_header(d, header);

    Builder b{lib, d, *s.model_space, s, {}, {}};

    // LWPOLYLINE, closed, with bulges.
    b.begin(lwpolyline_type(d), outline);
    b.h.lineweight = 35;
    {
        BlobBuilder v(d);
        const double pts[4][3] = {{0, 0, 0}, {40, 0, 0.4142135623730951}, {40, 30, 0}, {0, 30, -1.0}};
        for (const auto& p : pts) {
            v.point(p[0], p[1]);
            v.real(p[2]);
        }
        b.r.lwpolyline.vertex_count = 4;
        b.r.lwpolyline.flags = lwpolyline_translator_mark | lwpolyline_closed | lwpolyline_has_bulges;
        b.r.lwpolyline.vertices = v.close();
    }
    b.add("LWPOLYLINE");
    s.lwpolyline_vertices += 4;

    // LWPOLYLINE, open, constant width.
    b.begin(lwpolyline_type(d), outline);
    b.h.color = 2;
    {
        BlobBuilder v(d);
        v.point(50, 0);
        v.point(60.5, 10.25);
        v.point(70, 0);
        b.r.lwpolyline.vertex_count = 3;
        b.r.lwpolyline.flags = lwpolyline_translator_mark | lwpolyline_has_constant_width;
        b.r.lwpolyline.constant_width = 0.5;
        b.r.lwpolyline.vertices = v.close();
    }
    b.add("LWPOLYLINE");
    s.lwpolyline_vertices += 3;

    // POLYLINE with its vertices on the dashed linetype.
    b.begin(entity_polyline, dashed);
    b.h.linetype = dash3;
    b.h.lineweight = 50;
    b.r.polyline.flags = polyline_continuous_linetype;
    b.add("POLYLINE");
    const double vertices[3][3] = {{0, 50, 0}, {30, 60, 0.25}, {60, 50, 0}};
    for (const auto& p : vertices) {
        b.begin(entity_vertex, dashed);
        b.h.linetype = dash3;
        b.r.vertex.location = Point3{p[0], p[1], 0.0};
        b.r.vertex.bulge = p[2];
        b.add("VERTEX");
    }
    b.begin(entity_seqend, d.layers.records.front().handle);
    b.add("SEQEND");

    // ARC and CIRCLE.
    b.begin(entity_arc, outline);
    b.h.linetype = center;
    b.r.arc.center = Point3{100.0, 20.0, 0.0};
    b.r.arc.radius = 15.0;
    b.r.arc.start_angle = pi / 6.0;
    b.r.arc.end_angle = pi;
    b.add("ARC");
    b.begin(entity_circle, outline);
    b.r.circle.center = Point3{140.0, 20.0, 0.0};
    b.r.circle.radius = 12.5;
    b.add("CIRCLE");

    // TEXT in the style, rotated, narrowed and justified; another plain one
    // with characters that need escaping.
    b.begin(entity_text, dashed);
    b.r.text.insert = Point3{100.0, 60.0, 0.0};
    b.r.text.align = Point3{100.0, 60.0, 0.0};
    b.r.text.height = 3.75;
    b.r.text.text = "PENLOOM sample";
    b.r.text.rotation = pi / 6.0;
    b.r.text.width_factor = 0.8;
    b.r.text.style = style.handle;
    b.r.text.halign = 1;
    b.r.text.valign = 2;
    b.add("TEXT");
    b.begin(entity_text, dashed);
    b.r.text.insert = Point3{100.0, 80.0, 0.0};
    b.r.text.height = 2.5;
    b.r.text.text = "A^B\tC";
    b.add("TEXT");

    // Solid HATCH: a square polyline path.
    b.begin(hatch_type(d), fills);
    {
        BlobBuilder paths(d);
        paths.i32(hatch_path_polyline | hatch_path_external);
        paths.i16(0);
        paths.i16(1);
        paths.i32(4);
        paths.point(0, 70);
        paths.point(20, 70);
        paths.point(20, 90);
        paths.point(0, 90);
        paths.i32(0);
        BlobBuilder sources(d);
        BlobBuilder seeds(d);
        seeds.point(0, 0);
        b.r.hatch.path_count = 1;
        b.r.hatch.paths = paths.close();
        b.r.hatch.sources = sources.close();
        b.r.hatch.seed_count = 1;
        b.r.hatch.seeds = seeds.close();
    }
    b.add("HATCH");

    // Pattern HATCH: an outer polyline path with bulges and a hole.
    b.begin(hatch_type(d), fills);
    b.h.color = 4;
    {
        BlobBuilder paths(d);
        paths.i32(hatch_path_polyline | hatch_path_external);
        paths.i16(1);
        paths.i16(1);
        paths.i32(4);
        const double outer[4][3] = {{30, 70, 0}, {70, 70, 0.5}, {70, 110, 0}, {30, 110, 0}};
        for (const auto& p : outer) {
            paths.point(p[0], p[1]);
            paths.real(p[2]);
        }
        paths.i32(0);
        paths.i32(hatch_path_polyline | hatch_path_outermost);
        paths.i16(0);
        paths.i16(1);
        paths.i32(3);
        paths.point(40, 80);
        paths.point(60, 80);
        paths.point(50, 100);
        paths.i32(0);
        BlobBuilder sources(d);
        BlobBuilder lines(d);
        lines.real(pi / 4.0);
        lines.point(0, 0);
        lines.point(-2.1213203435596424, 2.1213203435596428);
        lines.i16(0);
        lines.real(-pi / 4.0);
        lines.point(0.5, 0);
        lines.point(2.1213203435596424, 2.1213203435596428);
        lines.i16(2);
        lines.real(3.0);
        lines.real(-1.5);
        BlobBuilder seeds(d);
        seeds.point(0, 0);
        HatchData& h = b.r.hatch;
        h.pattern_name = "HP1_3_0";
        h.solid_fill = 0;
        h.pattern_type = 0;
        h.path_count = 2;
        h.paths = paths.close();
        h.sources = sources.close();
        h.pattern_line_count = 2;
        h.pattern_lines = lines.close();
        h.seed_count = 1;
        h.seeds = seeds.close();
    }
    b.add("HATCH");

    // HATCH with a circular edge path.
    b.begin(hatch_type(d), fills);
    {
        BlobBuilder paths(d);
        paths.i32(0);
        paths.i32(1);
        paths.u8(hatch_edge_arc);
        paths.point(170.0, 90.0);
        paths.real(20.0);
        paths.real(0.0);
        paths.real(2.0 * pi);
        paths.i16(1);
        paths.i32(0);
        BlobBuilder seeds(d);
        seeds.point(0, 0);
        b.r.hatch.path_count = 1;
        b.r.hatch.paths = paths.close();
        b.r.hatch.seed_count = 1;
        b.r.hatch.seeds = seeds.close();
    }
    b.add("HATCH");
    return s;
}

std::map<std::string, int> expected_model_space_counts(const SampleDrawing& sample, int version) {
    std::map<std::string, int> counts = sample.entity_counts;
    // VERTEX and SEQEND belong to their POLYLINE, not to the layout.
    counts.erase("VERTEX");
    counts.erase("SEQEND");
    if (version == version_r12) {
        counts.erase("HATCH");
        counts["POLYLINE"] += counts["LWPOLYLINE"];
        counts.erase("LWPOLYLINE");
    }
    return counts;
}

}  // namespace penloom::testing
