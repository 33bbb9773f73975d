// DWG objects of the plain entity kinds: TEXT, CIRCLE, ARC, ELLIPSE, 2D
// POLYLINE with its VERTEX and SEQEND, LWPOLYLINE. In: one decoded entity and
// its resolved common data. Out: its object, framed and written.
#include <algorithm>
#include <cstring>

#include "drawing/dwg_entities.h"
#include "drawing/hatch_blob.h"

namespace penloom {

namespace {

std::uint64_t bits_of(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Opens the object and writes the common data; the caller adds its fields.
BitWriter& open(DwgContext& c, std::uint16_t type, std::uint64_t handle, const DwgEntityCommon& k) {
    BitWriter& w = c.object;
    begin_entity(c, w, type, handle);
    put_entity_common(c, w, k);
    return w;
}

// Ends the data and writes the common handles; the caller adds its own.
void handles(DwgContext& c, BitWriter& w, const DwgEntityCommon& k) {
    start_handles(c, w);
    put_entity_handles(c, w, k);
}

// TEXT from 2000 leaves out what equals its default and says so in a flag
// byte: elevation 0, no alignment point, oblique 0, rotation 0, width 1,
// generation 0, horizontal and vertical alignment 0.
std::uint8_t text_data_flags(const TextData& t) {
    std::uint8_t flags = 0;
    if (t.insert.z == 0.0) flags |= 0x01;
    if (t.halign == 0 && t.valign == 0) flags |= 0x02;
    if (t.oblique == 0.0) flags |= 0x04;
    if (t.rotation == 0.0) flags |= 0x08;
    if (t.width_factor == 1.0) flags |= 0x10;
    if (t.generation == 0) flags |= 0x20;
    if (t.halign == 0) flags |= 0x40;
    if (t.valign == 0) flags |= 0x80;
    return flags;
}

// A NUL ends a text for the DXF writer too.
std::string_view text_value(const std::string& text) {
    const std::size_t end = text.find('\0');
    return std::string_view(text).substr(0, end);
}

}  // namespace

void write_dwg_text(DwgContext& c, const StoredEntity& e, const DwgEntityCommon& k,
                    std::uint64_t style) {
    const TextData& t = e.record.text;
    BitWriter& w = open(c, dwg_type_text, handle_bits(e.header.handle), k);
    const Point2 insert{t.insert.x, t.insert.y};
    const bool aligned = t.halign != 0 || t.valign != 0;
    if (c.is_2000()) {
        const std::uint8_t flags = text_data_flags(t);
        put_rc(w, flags);
        if (!(flags & 0x01)) put_rd(w, t.insert.z);
        put_2rd(w, insert);
        if (!(flags & 0x02)) {
            put_dd(w, t.align.x, insert.x);
            put_dd(w, t.align.y, insert.y);
        }
        put_be(w, t.extrusion, c.version);
        put_bt(w, t.thickness, c.version);
        if (!(flags & 0x04)) put_rd(w, t.oblique);
        if (!(flags & 0x08)) put_rd(w, t.rotation);
        put_rd(w, t.height);
        if (!(flags & 0x10)) put_rd(w, t.width_factor);
        put_tv(w, text_value(t.text), c.version);
        if (!(flags & 0x20)) put_bs(w, t.generation);
        if (!(flags & 0x40)) put_bs(w, t.halign);
        if (!(flags & 0x80)) put_bs(w, t.valign);
    } else {
        put_bd(w, t.insert.z);
        put_2rd(w, insert);
        // Without a justification the DXF has no alignment point (0,0), and
        // AutoCAD's own R13/R14 files hold 0,0 there too.
        put_2rd(w, aligned ? Point2{t.align.x, t.align.y} : Point2{});
        put_3bd(w, t.extrusion);
        put_bd(w, t.thickness);
        put_bd(w, t.oblique);
        put_bd(w, t.rotation);
        put_bd(w, t.height);
        put_bd(w, t.width_factor);
        put_tv(w, text_value(t.text), c.version);
        put_bs(w, t.generation);
        put_bs(w, t.halign);
        put_bs(w, t.valign);
    }
    handles(c, w, k);
    put_h(w, 5, style);
    end_object(c, w);
}

void write_dwg_circle(DwgContext& c, const StoredEntity& e, const DwgEntityCommon& k) {
    const CircleData& d = e.record.circle;
    BitWriter& w = open(c, dwg_type_circle, handle_bits(e.header.handle), k);
    put_3bd(w, d.center);
    put_bd(w, d.radius);
    put_bt(w, d.thickness, c.version);
    put_be(w, d.extrusion, c.version);
    handles(c, w, k);
    end_object(c, w);
}

void write_dwg_arc(DwgContext& c, const StoredEntity& e, const DwgEntityCommon& k) {
    const ArcData& d = e.record.arc;
    BitWriter& w = open(c, dwg_type_arc, handle_bits(e.header.handle), k);
    put_3bd(w, d.center);
    put_bd(w, d.radius);
    put_bt(w, d.thickness, c.version);
    put_be(w, d.extrusion, c.version);
    put_bd(w, d.start_angle);
    put_bd(w, d.end_angle);
    handles(c, w, k);
    end_object(c, w);
}

void write_dwg_ellipse(DwgContext& c, std::uint64_t handle, const EllipseData& d,
                       const DwgEntityCommon& k) {
    BitWriter& w = open(c, dwg_type_ellipse, handle, k);
    put_3bd(w, d.center);
    put_3bd(w, d.major_axis);
    put_3bd(w, d.extrusion);
    put_bd(w, d.ratio);
    put_bd(w, d.start_parameter);
    put_bd(w, d.end_parameter);
    handles(c, w, k);
    end_object(c, w);
}

void write_dwg_polyline(DwgContext& c, const StoredEntity& e, const DwgEntityCommon& k,
                        const DwgPolylineLinks& links) {
    const PolylineData& p = e.record.polyline;
    BitWriter& w = open(c, dwg_type_polyline_2d, handle_bits(e.header.handle), k);
    put_bs(w, p.flags);
    put_bs(w, p.smooth_type);
    put_bd(w, p.start_width);
    put_bd(w, p.end_width);
    put_bt(w, p.thickness, c.version);
    put_bd(w, p.elevation);
    put_be(w, p.extrusion, c.version);
    if (c.r2004()) put_bl(w, static_cast<std::int64_t>(links.vertices.size()));
    handles(c, w, k);
    if (c.r2004()) {  // 2004 lists every vertex
        for (std::uint64_t v : links.vertices) put_h(w, 3, v);
    } else {
        put_h(w, 4, links.first_vertex);
        put_h(w, 4, links.last_vertex);
    }
    put_h(w, 3, links.seqend);
    end_object(c, w);
}

void write_dwg_vertex(DwgContext& c, const StoredEntity& e, const DwgEntityCommon& k) {
    const VertexData& v = e.record.vertex;
    BitWriter& w = open(c, dwg_type_vertex_2d, handle_bits(e.header.handle), k);
    put_rc(w, static_cast<std::uint8_t>(v.flags));
    put_3bd(w, v.location);
    // Equal widths are written once, as a negative start width. A negative
    // start width therefore always stands alone: the file cannot hold one
    // (readers take its magnitude for both ends).
    if (v.start_width < 0.0) {
        put_bd(w, v.start_width);
    } else if (v.start_width != 0.0 && bits_of(v.start_width) == bits_of(v.end_width)) {
        put_bd(w, -v.start_width);
    } else {
        put_bd(w, v.start_width);
        put_bd(w, v.end_width);
    }
    put_bd(w, v.bulge);
    put_bd(w, 0.0);  // tangent direction
    handles(c, w, k);
    end_object(c, w);
}

void write_dwg_seqend(DwgContext& c, std::uint64_t handle, const DwgEntityCommon& k) {
    BitWriter& w = open(c, dwg_type_seqend, handle, k);
    handles(c, w, k);
    end_object(c, w);
}

void write_dwg_lwpolyline(DwgContext& c, DwgEntityScratch& s, const StoredEntity& e,
                          const DwgEntityCommon& k) {
    const LwpolylineData& l = e.record.lwpolyline;
    read_entity_blob(s, e.vertices, s.blob);
    const std::size_t stride = lwpolyline_vertex_size(l.flags);
    const std::size_t count = std::min<std::size_t>(
        l.vertex_count > 0 ? static_cast<std::size_t>(l.vertex_count) : 0, s.blob.size() / stride);
    const bool bulges = l.flags & lwpolyline_has_bulges;
    const bool widths = l.flags & lwpolyline_has_widths;
    const bool default_extrusion =
        l.extrusion.x == 0.0 && l.extrusion.y == 0.0 && l.extrusion.z == 1.0;

    // The object's flag word: what follows, closed and linetype generation.
    std::uint16_t flags = 0;
    if (!default_extrusion) flags |= 1;
    if (l.thickness != 0.0) flags |= 2;
    if (l.constant_width != 0.0) flags |= 4;
    if (l.elevation != 0.0) flags |= 8;
    if (bulges && count > 0) flags |= 16;
    if (widths && count > 0) flags |= 32;
    flags |= l.flags & (lwpolyline_plinegen | lwpolyline_closed);

    BitWriter& w = open(c, c.lwpolyline_class, handle_bits(e.header.handle), k);
    put_bs(w, flags);
    if (flags & 4) put_bd(w, l.constant_width);
    if (flags & 8) put_bd(w, l.elevation);
    if (flags & 2) put_bd(w, l.thickness);
    if (flags & 1) put_3bd(w, l.extrusion);
    put_bl(w, static_cast<std::int64_t>(count));
    if (flags & 16) put_bl(w, static_cast<std::int64_t>(count));
    if (flags & 32) put_bl(w, static_cast<std::int64_t>(count));

    const std::uint8_t* base = s.blob.data();
    auto field = [base, stride](std::size_t i, std::size_t offset) {
        double v;
        std::memcpy(&v, base + i * stride + offset, 8);
        return v;
    };
    // From 2000 each vertex after the first is written against the one before.
    Point2 previous{};
    for (std::size_t i = 0; i < count; ++i) {
        const Point2 p{field(i, 0), field(i, 8)};
        if (i == 0 || !c.is_2000()) {
            put_2rd(w, p);
        } else {
            put_dd(w, p.x, previous.x);
            put_dd(w, p.y, previous.y);
        }
        previous = p;
    }
    if (flags & 16)
        for (std::size_t i = 0; i < count; ++i) put_bd(w, field(i, 16));
    if (flags & 32) {
        const std::size_t at = bulges ? 24 : 16;
        for (std::size_t i = 0; i < count; ++i) {
            put_bd(w, field(i, at));
            put_bd(w, field(i, at + 8));
        }
    }
    handles(c, w, k);
    end_object(c, w);
}

}  // namespace penloom
