// BLOCKS and ENTITIES sections. In: the blocks of the drawing and the entity
// records of its store, decoded one at a time in store order. Out: BLOCK and
// ENDBLK per block, then the model-space and paper-space entities with their
// common and type-specific groups. R12 drops what it cannot hold (HATCH) and
// writes an LWPOLYLINE as POLYLINE, VERTEX..., SEQEND.
#include <cstring>
#include <string>
#include <string_view>

#include "drawing/dxf_writer_internal.h"
#include "drawing/hatch_blob.h"

namespace penloom {

namespace {

using C = SaveContext&;

bool is_default_extrusion(const Point3& e) { return e.x == 0.0 && e.y == 0.0 && e.z == 1.0; }

const std::string& layer_name(C c, const Handle& h) {
    // Entities come in long runs on one layer: remember the last answer.
    const std::uint64_t value = handle_bits(h);
    if (c.last_layer_name && value == c.last_layer)
        return *c.last_layer_name;
    const std::string* name = record_name(c, layer_table, value);
    c.last_layer = value;
    c.last_layer_name = name ? name : &c.default_layer_name;
    return *c.last_layer_name;
}

// The common groups after the handle: owner reactors and subclass from R13,
// paper space, layer, lineweight, linetype, colour, linetype scale; in R12
// the thickness.
void write_common_groups(C c, const EntityHeader& h, const Block& owner, bool class_entity, double thickness) {
    DxfOut& o = c.out;
    if (c.r13_up()) {
        if (c.r14_up() || class_entity) {
            char digits[number_buffer_size];
            put_lines(o, "102\r\n{ACAD_REACTORS\r\n330\r\n");
            put_lines(o, std::string_view(digits, format_handle(digits, handle_value(owner.record))));
            put_lines(o, "\r\n102\r\n}\r\n100\r\nAcDbEntity\r\n");
        } else {
            put_lines(o, "100\r\nAcDbEntity\r\n");
        }
        if (h.flags & entity_flag_paper_space)
            group_int16(o, 67, 1);
    }
    group_string(o, 8, layer_name(c, h.layer));
    if (c.is_2000() && h.lineweight != -1)
        group_int16(o, 370, h.lineweight);
    const std::uint64_t value = handle_bits(h.linetype);
    if (value != handle_bits(c.drawing.bylayer_linetype) && value != 0) {
        if (!c.last_linetype_valid || value != c.last_linetype) {
            // A linetype that never made it into the table is left out (BYLAYER).
            c.last_linetype = value;
            c.last_linetype_name = record_name(c, linetype_table, value);
            c.last_linetype_valid = true;
        }
        if (c.last_linetype_name)
            group_string(o, 6, *c.last_linetype_name);
    }
    if (h.color != 256)
        group_int16(o, 62, h.color);
    if (h.linetype_scale != 1.0)
        group_real(o, 48, h.linetype_scale);
    if (c.r12() && thickness != 0.0)
        group_real(o, 39, thickness);
    if (c.r13_up() && (h.flags & entity_flag_invisible))
        group_int16(o, 60, 1);
}

// Entity groups 0 to 60 shared by every kind. handle is the one to write (the
// entity's own, or a made-up one for the VERTEX/SEQEND of an R12 LWPOLYLINE).
void write_common(C c, std::string_view name, const EntityHeader& h, std::uint64_t handle, const Block& owner,
                  bool class_entity, double thickness) {
    DxfOut& o = c.out;
    group_string(o, 0, name);
    if (c.r13_up())
        group_handle(o, 5, handle);
    const CommonGroupsKey key{&owner,      handle_bits(h.layer), handle_bits(h.linetype), h.linetype_scale, thickness,
                              h.lineweight, h.color,             h.flags,                 class_entity};
    if (c.common_run_valid && key == c.common_key) {
        put_lines(o, c.common_run);
    } else {
        // Written as usual, and kept when it all went into the buffer at once.
        const std::uint64_t written = o.written;
        const std::size_t from = o.used;
        write_common_groups(c, h, owner, class_entity, thickness);
        c.common_run_valid = !o.failed && o.written == written;
        if (c.common_run_valid) {
            c.common_run.assign(o.buffer.get() + from, o.used - from);
            c.common_key = key;
        }
    }
    if (c.r12() && c.entity_handles && handle != 0)
        group_handle(o, 5, handle);
}

void write_text(C c, const StoredEntity& e, const Block& owner) {
    const TextData& t = e.record.text;
    DxfOut& o = c.out;
    write_common(c, "TEXT", e.header, handle_value(e.header.handle), owner, false, t.thickness);
    if (c.r13_up()) {
        group_string(o, 100, "AcDbText");
        if (t.thickness != 0.0)
            group_real(o, 39, t.thickness);
    }
    group_point3(o, 10, t.insert);
    group_real(o, 40, t.height);
    group_text(o, 1, t.text);
    if (t.rotation != 0.0)
        group_angle(o, 50, t.rotation);
    if (t.width_factor != 1.0)
        group_real(o, 41, t.width_factor);
    if (t.oblique != 0.0)
        group_angle(o, 51, t.oblique);
    if (!is_null_handle(t.style) && t.style != c.drawing.standard_text_style) {
        if (const std::string* style = record_name(c, style_table, handle_value(t.style)))
            group_string(o, 7, *style);
    }
    if (t.generation != 0)
        group_int16(o, 71, t.generation);
    if (t.halign != 0)
        group_int16(o, 72, t.halign);
    if (t.halign != 0 || t.valign != 0)
        group_point3(o, 11, t.align);
    if (!is_default_extrusion(t.extrusion))
        group_point3(o, 210, t.extrusion);
    if (c.r13_up())
        group_string(o, 100, "AcDbText");
    if (t.valign != 0)
        group_int16(o, 73, t.valign);
}

void write_circle(C c, const StoredEntity& e, const Block& owner) {
    const CircleData& k = e.record.circle;
    DxfOut& o = c.out;
    write_common(c, "CIRCLE", e.header, handle_value(e.header.handle), owner, false, k.thickness);
    if (c.r13_up()) {
        group_string(o, 100, "AcDbCircle");
        if (k.thickness != 0.0)
            group_real(o, 39, k.thickness);
    }
    group_point3(o, 10, k.center);
    group_real(o, 40, k.radius);
    group_point3(o, 210, k.extrusion);
}

void write_arc(C c, const StoredEntity& e, const Block& owner) {
    const ArcData& a = e.record.arc;
    DxfOut& o = c.out;
    write_common(c, "ARC", e.header, handle_value(e.header.handle), owner, false, a.thickness);
    if (c.r13_up()) {
        group_string(o, 100, "AcDbCircle");
        if (a.thickness != 0.0)
            group_real(o, 39, a.thickness);
    }
    group_point3(o, 10, a.center);
    group_real(o, 40, a.radius);
    group_point3(o, 210, a.extrusion);
    if (c.r13_up())
        group_string(o, 100, "AcDbArc");
    group_angle(o, 50, a.start_angle);
    group_angle(o, 51, a.end_angle);
}

// R13 and later only: R12 has no ELLIPSE. Its ratio and parameters are
// written at full precision like its points: rounded to few places, a ratio
// could become 0 and a whole ellipse would open a gap at its seam.
void write_ellipse(C c, const StoredEntity& e, const Block& owner) {
    const EllipseData& k = e.record.ellipse;
    DxfOut& o = c.out;
    write_common(c, "ELLIPSE", e.header, handle_value(e.header.handle), owner, false, 0.0);
    group_string(o, 100, "AcDbEllipse");
    group_full_point3(o, 10, k.center);
    group_full_point3(o, 11, k.major_axis);
    group_point3(o, 210, k.extrusion);
    group_full(o, 40, k.ratio);
    group_full(o, 41, k.start_parameter);
    group_full(o, 42, k.end_parameter);
}

void write_polyline_groups(C c, const PolylineData& p) {
    DxfOut& o = c.out;
    if (c.r13_up()) {
        group_string(o, 100, "AcDb2dPolyline");
        if (p.thickness != 0.0)
            group_real(o, 39, p.thickness);
    }
    group_int16(o, 66, 1);
    group_point3(o, 10, Point3{0.0, 0.0, p.elevation});
    if (p.flags != 0)
        group_int16(o, 70, p.flags);
    if (p.start_width != 0.0)
        group_real(o, 40, p.start_width);
    if (p.end_width != 0.0)
        group_real(o, 41, p.end_width);
    group_point3(o, 210, p.extrusion);
    const std::int16_t mesh[] = {p.mesh_m, p.mesh_n, p.smooth_m, p.smooth_n, p.smooth_type};
    for (int i = 0; i < 5; ++i)
        if (mesh[i] != 0)
            group_int16(o, 71 + i, mesh[i]);
}

void write_vertex_groups(C c, const VertexData& v) {
    DxfOut& o = c.out;
    if (c.r13_up())
        put_lines(o, "100\r\nAcDbVertex\r\n100\r\nAcDb2dVertex\r\n");
    group_point3(o, 10, v.location);
    if (v.start_width != 0.0)
        group_real(o, 40, v.start_width);
    if (v.end_width != 0.0)
        group_real(o, 41, v.end_width);
    if (v.bulge != 0.0)
        group_real(o, 42, v.bulge);
    group_int16(o, 70, v.flags);
}

void read_blob(C c, const BlobRef& ref, std::vector<std::uint8_t>& bytes) {
    bytes.resize(ref.size);
    if (ref.size > 0 && !cursor_read(c.cursor, ref.offset, bytes.data(), ref.size))
        c.out.failed = true;  // the store's file could not be read: no drawing rather than a wrong one
}

// The vertices of an LWPOLYLINE as its blob holds them.
struct VertexBlob {
    const std::uint8_t* bytes;
    std::size_t stride;
    std::size_t count;       // vertices the blob really holds, at most the record's count
    bool bulges;
    bool widths;

    VertexBlob(const std::vector<std::uint8_t>& blob, const LwpolylineData& l)
        : bytes(blob.data()),
          stride(lwpolyline_vertex_size(l.flags)),
          count(std::min<std::size_t>(static_cast<std::size_t>(l.vertex_count), blob.size() / stride)),
          bulges(l.flags & lwpolyline_has_bulges),
          widths(l.flags & lwpolyline_has_widths) {}

    double field(std::size_t i, std::size_t offset) const {
        double v;
        std::memcpy(&v, bytes + i * stride + offset, 8);
        return v;
    }
    double x(std::size_t i) const { return field(i, 0); }
    double y(std::size_t i) const { return field(i, 8); }
    double bulge(std::size_t i) const { return bulges ? field(i, 16) : 0.0; }
    double start_width(std::size_t i) const { return widths ? field(i, bulges ? 24 : 16) : 0.0; }
    double end_width(std::size_t i) const { return widths ? field(i, bulges ? 32 : 24) : 0.0; }
};

void write_lwpolyline(C c, const StoredEntity& e, const Block& owner) {
    const LwpolylineData& l = e.record.lwpolyline;
    DxfOut& o = c.out;
    read_blob(c, e.vertices, c.blob);
    const VertexBlob v(c.blob, l);

    write_common(c, "LWPOLYLINE", e.header, handle_value(e.header.handle), owner, true, l.thickness);
    group_string(o, 100, "AcDbPolyline");
    group_int32(o, 90, static_cast<long>(v.count));
    group_int16(o, 70, ((l.flags & lwpolyline_closed) ? 1 : 0) + ((l.flags & lwpolyline_plinegen) ? 128 : 0));
    if (l.constant_width != 0.0)
        group_real(o, 43, l.constant_width);
    if (l.elevation != 0.0)
        group_real(o, 38, l.elevation);
    if (l.thickness != 0.0)
        group_real(o, 39, l.thickness);
    for (std::size_t i = 0; i < v.count; ++i) {
        group_point2(o, 10, v.x(i), v.y(i));
        if (v.widths) {
            group_real(o, 40, v.start_width(i));
            group_real(o, 41, v.end_width(i));
        }
        if (v.bulge(i) != 0.0)
            group_real(o, 42, v.bulge(i));
    }
    if (!is_default_extrusion(l.extrusion))
        group_point3(o, 210, l.extrusion);
}

// R12 has no LWPOLYLINE: the same shape as a 2D POLYLINE with its vertices.
// The VERTEX and SEQEND entities take handles above the drawing's seed when
// the file carries handles.
void write_lwpolyline_r12(C c, const StoredEntity& e, const Block& owner) {
    const LwpolylineData& l = e.record.lwpolyline;
    read_blob(c, e.vertices, c.blob);
    const VertexBlob blob(c.blob, l);
    auto extra_handle = [&c]() -> std::uint64_t { return c.entity_handles ? c.next_extra_handle++ : 0; };

    PolylineData head;
    head.flags = static_cast<std::uint16_t>(((l.flags & lwpolyline_closed) ? polyline_closed : 0) +
                                            ((l.flags & lwpolyline_plinegen) ? 128 : 0));
    head.start_width = head.end_width = l.constant_width;
    head.elevation = l.elevation;
    head.thickness = l.thickness;
    head.extrusion = l.extrusion;
    write_common(c, "POLYLINE", e.header, handle_value(e.header.handle), owner, false, l.thickness);
    write_polyline_groups(c, head);

    // Layer, linetype, colour and lineweight of the polyline carry over.
    for (std::size_t i = 0; i < blob.count; ++i) {
        VertexData v;
        v.location = Point3{blob.x(i), blob.y(i), l.elevation};
        v.bulge = blob.bulge(i);
        v.start_width = blob.start_width(i);
        v.end_width = blob.end_width(i);
        write_common(c, "VERTEX", e.header, extra_handle(), owner, false, 0.0);
        write_vertex_groups(c, v);
    }
    write_common(c, "SEQEND", e.header, extra_handle(), owner, false, 0.0);
}

// Writes HATCH boundary paths as the blob walk visits them.
struct HatchPathWriter {
    DxfOut& o;
    void polyline_path(std::int32_t flags, std::int16_t has_bulge, std::int16_t closed, std::int32_t count) {
        group_int32(o, 92, flags);
        group_int16(o, 72, has_bulge);
        group_int16(o, 73, closed);
        group_int32(o, 93, count);
    }
    void vertex(double x, double y, double bulge, bool has_bulge) {
        group_full(o, 10, x);
        group_full(o, 20, y);
        if (has_bulge)
            group_full(o, 42, bulge);
    }
    void edge_path(std::int32_t flags, std::int32_t count) {
        group_int32(o, 92, flags);
        group_int32(o, 93, count);
    }
    void line_edge(double x1, double y1, double x2, double y2) {
        group_int16(o, 72, hatch_edge_line);
        group_full(o, 10, x1);
        group_full(o, 20, y1);
        group_full(o, 11, x2);
        group_full(o, 21, y2);
    }
    void arc_edge(double cx, double cy, double r, double a0, double a1, std::int16_t ccw) {
        group_int16(o, 72, hatch_edge_arc);
        group_full(o, 10, cx);
        group_full(o, 20, cy);
        group_real(o, 40, r);
        group_angle(o, 50, a0);
        group_angle(o, 51, a1);
        group_int16(o, 73, ccw);
    }
    void ellipse_edge(double cx, double cy, double mx, double my, double ratio, double a0, double a1,
                      std::int16_t ccw) {
        group_int16(o, 72, hatch_edge_ellipse);
        group_full(o, 10, cx);
        group_full(o, 20, cy);
        group_full(o, 11, mx);
        group_full(o, 21, my);
        group_real(o, 40, ratio);
        group_angle(o, 50, a0);
        group_angle(o, 51, a1);
        group_int16(o, 73, ccw);
    }
    void spline_edge(std::int32_t degree, std::int16_t rational, std::int16_t periodic, std::int32_t knots,
                     std::int32_t controls) {
        group_int16(o, 72, hatch_edge_spline);
        group_int32(o, 94, degree);
        group_int16(o, 73, rational);
        group_int16(o, 74, periodic);
        group_int32(o, 95, knots);
        group_int32(o, 96, controls);
    }
    void knot(double k) { group_real(o, 40, k); }
    void control(double x, double y, double w, bool rational) {
        group_full(o, 10, x);
        group_full(o, 20, y);
        if (rational)
            group_real(o, 42, w);
    }
    void sources(std::int32_t count) { group_int32(o, 97, count); }
    void source(const Handle& h) { group_handle(o, 330, h); }
    void line(double angle, double bx, double by, double ox, double oy, std::int16_t dashes) {
        group_angle(o, 53, angle);
        group_full(o, 43, bx);
        group_full(o, 44, by);
        group_full(o, 45, ox);
        group_full(o, 46, oy);
        group_int16(o, 79, dashes);
    }
    void dash(double d) { group_real(o, 49, d); }
};

void write_hatch(C c, const StoredEntity& e, const Block& owner) {
    const HatchData& h = e.record.hatch;
    DxfOut& o = c.out;
    write_common(c, "HATCH", e.header, handle_value(e.header.handle), owner, true, 0.0);
    group_string(o, 100, "AcDbHatch");
    group_full_point3(o, 10, Point3{0.0, 0.0, h.elevation});
    group_full_point3(o, 210, h.extrusion);
    group_string(o, 2, h.pattern_name);
    group_int16(o, 70, h.solid_fill);
    group_int16(o, 71, h.associative);
    group_int32(o, 91, h.path_count);
    HatchPathWriter writer{o};
    read_blob(c, e.paths, c.blob);
    read_blob(c, e.sources, c.blob2);
    // add_entity walked these blobs already; a failure here cannot happen.
    walk_hatch_paths(BlobReader{c.blob.data(), c.blob.data() + c.blob.size()},
                     BlobReader{c.blob2.data(), c.blob2.data() + c.blob2.size()}, h.path_count, writer);
    group_int16(o, 75, h.hatch_style);
    group_int16(o, 76, h.pattern_type);
    if (!h.solid_fill) {
        group_angle(o, 52, h.pattern_angle);
        group_real(o, 41, h.pattern_scale);
        group_int16(o, 77, h.pattern_double);
        group_int16(o, 78, h.pattern_line_count);
        read_blob(c, e.pattern_lines, c.blob);
        walk_pattern_lines(BlobReader{c.blob.data(), c.blob.data() + c.blob.size()}, h.pattern_line_count, writer);
    }
    if (h.has_pixel_size)
        group_real(o, 47, h.pixel_size);
    group_int32(o, 98, h.seed_count);
    read_blob(c, e.seeds, c.blob);
    BlobReader seeds{c.blob.data(), c.blob.data() + c.blob.size()};
    for (std::int32_t i = 0; i < h.seed_count; ++i) {
        const double x = seeds.real();
        const double y = seeds.real();
        group_full(o, 10, x);
        group_full(o, 20, y);
    }
}

}  // namespace

void write_entity(C c, const StoredEntity& e, const Block& owner) {
    switch (e.kind) {
    case EntityKind::text: write_text(c, e, owner); break;
    case EntityKind::circle: write_circle(c, e, owner); break;
    case EntityKind::arc: write_arc(c, e, owner); break;
    case EntityKind::ellipse:
        if (c.r13_up())
            write_ellipse(c, e, owner);
        break;
    case EntityKind::polyline:
        write_common(c, "POLYLINE", e.header, handle_value(e.header.handle), owner, false,
                     e.record.polyline.thickness);
        write_polyline_groups(c, e.record.polyline);
        break;
    case EntityKind::vertex:
        write_common(c, "VERTEX", e.header, handle_value(e.header.handle), owner, false, 0.0);
        write_vertex_groups(c, e.record.vertex);
        break;
    case EntityKind::seqend:
        write_common(c, "SEQEND", e.header, handle_value(e.header.handle), owner, false, 0.0);
        break;
    case EntityKind::lwpolyline:
        if (c.r12())
            write_lwpolyline_r12(c, e, owner);
        else
            write_lwpolyline(c, e, owner);
        break;
    case EntityKind::hatch:
        if (!c.r12())
            write_hatch(c, e, owner);
        break;
    case EntityKind::none: break;
    }
}

namespace {

void write_block_entity(C c, const Block& b, bool end) {
    DxfOut& o = c.out;
    group_string(o, 0, end ? "ENDBLK" : "BLOCK");
    if (c.r13_up()) {
        group_handle(o, 5, end ? b.end : b.begin);
        if (c.r14_up())
            group_handle(o, 330, b.record);
        group_string(o, 100, "AcDbEntity");
        if (b.paper_space)
            group_int16(o, 67, 1);
    }
    group_string(o, 8, c.default_layer_name);
    if (c.r13_up())
        group_string(o, 100, end ? "AcDbBlockEnd" : "AcDbBlockBegin");
    if (end)
        return;
    const std::string name = written_block_name(c, b);
    group_string(o, 2, name);
    group_int16(o, 70, 0);
    group_point3(o, 10, Point3{});
    group_string(o, 3, name);
    if (c.r13_up())
        group_string(o, 1, "");
}

}  // namespace

void write_blocks_section(SaveContext& c) {
    begin_section(c, "BLOCKS");
    for (const Block& b : c.drawing.blocks) {
        write_block_entity(c, b, false);
        // The entities of the two layout blocks go into ENTITIES.
        write_block_entity(c, b, true);
    }
    end_section(c);
}

bool write_entities_section(SaveContext& c) {
    const Drawing& d = c.drawing;
    const std::uint16_t lw_code = lwpolyline_type(d), hatch_code = hatch_type(d);
    begin_section(c, "ENTITIES");
    for (const Block& block : d.blocks) {
        if (block.entities.count == 0)
            continue;
        c.cursor.store = &d.store;
        c.cursor.position = 0;
        RecordKind kind;
        std::span<const std::uint8_t> payload;
        while (next_record(c.cursor, kind, c.payload, payload)) {
            if (kind != RecordKind::entity)
                continue;
            if (!decode_entity(payload, lw_code, hatch_code, c.entity))
                return false;
            if (c.entity.list != block.entities.id)
                continue;
            write_entity(c, c.entity, block);
            if (c.out.failed)
                return false;
        }
    }
    end_section(c);
    return !c.out.failed;
}

}  // namespace penloom
