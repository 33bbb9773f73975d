// Builds the sample drawing (see sample_drawing.h).
#include "sample_drawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace penloom::testing {

namespace {

constexpr double pi = 3.141592653589793;

Handle add_layer_named(Drawing& d, const char* name, std::int16_t color, std::int16_t lineweight) {
    LayerTableRecord layer;
    init_layer_record(d, layer);
    layer.name = name, layer.color = color, layer.lineweight = lineweight;
    new_handle(d, layer.handle);
    EXPECT_TRUE(add_layer(d, layer));
    return layer.handle;
}

Handle add_dashed_linetype(Drawing& d, const char* name, const std::vector<double>& dashes) {
    LinetypeTableRecord lt;
    init_linetype_record(lt);
    lt.name = name;
    lt.description.assign(1, ' ');  // assigning " " trips a false -Wrestrict in GCC 12
    for (double length : dashes) {
        lt.dashes.push_back(LinetypeDash{});
        lt.dashes.back().length = length, lt.pattern_length += std::fabs(length);
    }
    new_handle(d, lt.handle);
    EXPECT_TRUE(add_linetype(d, lt));
    return lt.handle;
}

// Adds one entity of `type` on `layer` once `fill` has set its fields, and
// counts it under `name`.
template <class Fill>
void add(SampleDrawing& s, std::uint16_t type, const Handle& layer, const char* name, Fill fill) {
    EntityHeader h;
    EntityRecord r;
    h.type = type;
    ASSERT_TRUE(init_entity(*s.drawing, h, r));
    new_handle(*s.drawing, h.handle);
    h.layer = layer;
    fill(h, r);
    ASSERT_TRUE(add_entity(*s.drawing, *s.model_space, h, r)) << last_error(*s.drawing->library);
    ++s.entity_counts[name];
}

}  // namespace

BlobId write_blob(Drawing& drawing, std::initializer_list<BlobValue> values) {
    const BlobId id = create_blob(drawing, 4096);
    BlobWriter w = open_blob_writer(drawing, id);
    for (const BlobValue& value : values)
        std::visit([&](auto v) { EXPECT_TRUE(blob_write(w, &v, sizeof v)); }, value);
    EXPECT_TRUE(close_blob_writer(w));
    return id;
}

SampleDrawing build_sample_drawing(DrawingLibrary& lib, int version) {
    SampleDrawing s;
    s.drawing = create_drawing(lib, version);
    EXPECT_TRUE(s.drawing);
    if (!s.drawing) return s;
    Drawing& d = *s.drawing;
    Handle model;
    EXPECT_TRUE(find_block(d, "*MODEL_SPACE", model));
    s.model_space = block_entity_list(d, model);

    const Handle outline = add_layer_named(d, "PEN1", 1, 25);
    const Handle dashed = add_layer_named(d, "PEN2", 3, 50);
    const Handle fills = add_layer_named(d, "PEN3", 5, -3);
    const Handle dash3 = add_dashed_linetype(d, "DASH3", {10.0, -10.0});
    const Handle center = add_dashed_linetype(d, "CENTER2", {7.0, -1.0, 1.0, -1.0});
    TextStyleTableRecord style;
    init_text_style_record(style);
    style.name = "HP_STYLE_5", style.font_file = "romanx.shx", style.last_height = 3.75;
    new_handle(d, style.handle);
    EXPECT_TRUE(add_text_style(d, style));
    RegAppTableRecord app;
    init_regapp_record(app);
    app.name = "PENLOOM";
    new_handle(d, app.handle);
    EXPECT_TRUE(add_regapp(d, app));

    HeaderRecord header;
    get_header(d, header);
    header.extmin = Point3{-10.0, -10.0, 0.0}, header.extmax = Point3{200.0, 120.0, 0.0};
    header.limmin = Point2{-20.0, -20.0}, header.limmax = Point2{210.0, 130.0};
    header.viewctr = Point2{95.0, 55.0}, header.viewsize = 130.0;
    header.tdcreate = header.tdupdate = JulianDate{2451545, 43200000};
    set_header(d, header);

    add(s, lwpolyline_type(d), outline, "LWPOLYLINE", [&](EntityHeader& h, EntityRecord& r) {
        h.lineweight = 35, r.lwpolyline.vertex_count = 4;  // closed, with bulges
        r.lwpolyline.flags = lwpolyline_translator_mark | lwpolyline_closed | lwpolyline_has_bulges;
        r.lwpolyline.vertices = write_blob(d, {0.0, 0.0, 0.0, 40.0, 0.0, 0.4142135623730951, 40.0, 30.0,
                                               0.0, 0.0, 30.0, -1.0});
    });
    add(s, lwpolyline_type(d), outline, "LWPOLYLINE", [&](EntityHeader& h, EntityRecord& r) {
        h.color = 2, r.lwpolyline.vertex_count = 3;  // open, constant width
        r.lwpolyline.flags = lwpolyline_translator_mark | lwpolyline_has_constant_width;
        r.lwpolyline.constant_width = 0.5;
        r.lwpolyline.vertices = write_blob(d, {50.0, 0.0, 60.5, 10.25, 70.0, 0.0});
    });
    add(s, entity_polyline, dashed, "POLYLINE", [&](EntityHeader& h, EntityRecord& r) {
        h.linetype = dash3, h.lineweight = 50, r.polyline.flags = polyline_continuous_linetype;
    });
    for (const Point3 p : {Point3{0, 50, 0}, Point3{30, 60, 0.25}, Point3{60, 50, 0}}) {
        add(s, entity_vertex, dashed, "VERTEX", [&](EntityHeader& h, EntityRecord& r) {
            h.linetype = dash3, r.vertex.location = Point3{p.x, p.y, 0.0}, r.vertex.bulge = p.z;
        });
    }
    add(s, entity_seqend, d.layers.records.front().handle, "SEQEND", [](EntityHeader&, EntityRecord&) {});
    add(s, entity_arc, outline, "ARC", [&](EntityHeader& h, EntityRecord& r) {
        h.linetype = center, r.arc.center = Point3{100.0, 20.0, 0.0}, r.arc.radius = 15.0;
        r.arc.start_angle = pi / 6.0, r.arc.end_angle = pi;
    });
    add(s, entity_circle, outline, "CIRCLE", [](EntityHeader&, EntityRecord& r) {
        r.circle.center = Point3{140.0, 20.0, 0.0}, r.circle.radius = 12.5;
    });
    add(s, entity_text, dashed, "TEXT", [&](EntityHeader&, EntityRecord& r) {
        r.text.insert = r.text.align = Point3{100.0, 60.0, 0.0};
        r.text.height = 3.75, r.text.text = "PENLOOM sample", r.text.rotation = pi / 6.0;
        r.text.width_factor = 0.8, r.text.style = style.handle, r.text.halign = 1, r.text.valign = 2;
    });
    add(s, entity_text, dashed, "TEXT", [](EntityHeader&, EntityRecord& r) {
        r.text.insert = Point3{100.0, 80.0, 0.0}, r.text.height = 2.5, r.text.text = "A^B\tC";
    });
    // Hatch paths: flags, has-bulge, closed, vertex count, vertices, source count.
    add(s, hatch_type(d), fills, "HATCH", [&](EntityHeader&, EntityRecord& r) {
        r.hatch.path_count = 1;  // solid square
        r.hatch.paths = write_blob(d, {I32{hatch_path_polyline | hatch_path_external}, I16{0}, I16{1}, I32{4},
                                       0.0, 70.0, 20.0, 70.0, 20.0, 90.0, 0.0, 90.0, I32{0}});
        r.hatch.sources = write_blob(d, {});
        r.hatch.seed_count = 1, r.hatch.seeds = write_blob(d, {0.0, 0.0});
    });
    add(s, hatch_type(d), fills, "HATCH", [&](EntityHeader& h, EntityRecord& r) {
        h.color = 4;  // pattern: an outer path with bulges around a triangular hole
        HatchData& hatch = r.hatch;
        hatch.path_count = 2;
        hatch.paths = write_blob(d, {I32{hatch_path_polyline | hatch_path_external}, I16{1}, I16{1}, I32{4},
                                     30.0, 70.0, 0.0, 70.0, 70.0, 0.5, 70.0, 110.0, 0.0, 30.0, 110.0, 0.0,
                                     I32{0}, I32{hatch_path_polyline | hatch_path_outermost}, I16{0}, I16{1},
                                     I32{3}, 40.0, 80.0, 60.0, 80.0, 50.0, 100.0, I32{0}});
        hatch.sources = write_blob(d, {});
        hatch.pattern_name = "HP1_3_0", hatch.solid_fill = 0, hatch.pattern_type = 0;
        hatch.pattern_line_count = 2;  // angle, base, offset, dash count, dashes
        hatch.pattern_lines = write_blob(d, {pi / 4.0, 0.0, 0.0, -2.1213203435596424, 2.1213203435596428,
                                             I16{0}, -pi / 4.0, 0.5, 0.0, 2.1213203435596424,
                                             2.1213203435596428, I16{2}, 3.0, -1.5});
        hatch.seed_count = 1, hatch.seeds = write_blob(d, {0.0, 0.0});
    });
    add(s, hatch_type(d), fills, "HATCH", [&](EntityHeader&, EntityRecord& r) {
        r.hatch.path_count = 1;  // one circular arc edge: centre, radius, angles, counter-clockwise
        r.hatch.paths = write_blob(d, {I32{0}, I32{1}, U8{hatch_edge_arc}, 170.0, 90.0, 20.0, 0.0, 2.0 * pi,
                                       I16{1}, I32{0}});
        r.hatch.seed_count = 1, r.hatch.seeds = write_blob(d, {0.0, 0.0});
    });
    return s;
}

std::map<std::string, int> expected_model_space_counts(const SampleDrawing& sample, int version) {
    std::map<std::string, int> counts = sample.entity_counts;
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
