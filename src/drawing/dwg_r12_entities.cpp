// The entities section of a release 12 DWG. In: the entity records of the
// drawing's store, decoded one at a time in store order, block by block as
// the R12 DXF writes them. Out: each entity as one record (type, flags,
// size, layer index, option bits, the optional colour, linetype index,
// elevation, thickness and handle, its own data, its CRC), built in one
// reused scratch vector and handed to the file at once. R12 has no
// LWPOLYLINE, HATCH or ELLIPSE: an LWPOLYLINE becomes POLYLINE, VERTEX...,
// SEQEND as in the R12 DXF, and HATCH and ELLIPSE are left out as there.
#include <cstring>

#include "drawing/dwg_r12_internal.h"
#include "drawing/entity_codec.h"
#include "drawing/hatch_blob.h"

namespace penloom {

namespace {

enum R12Type {
    type_circle = 3,
    type_text = 7,
    type_arc = 8,
    type_seqend = 17,
    type_polyline = 19,
    type_vertex = 20
};

constexpr int flag_colour = 1, flag_linetype = 2, flag_elevation = 4, flag_thickness = 8,
              flag_handle = 0x20, flag_followers = 0x80;

bool is_default_extrusion(const Point3& e) {
    return e.x == 0.0 && e.y == 0.0 && e.z == 1.0;
}

struct Walk {
    R12Context& c;
    std::vector<std::uint8_t> scratch;
    std::vector<std::uint8_t> blob;
    StoreCursor* cursor = nullptr;  // the walk's own: a blob just passed is still in its window
    std::uint64_t last_layer = UINT64_MAX;
    int last_layer_index = 0;
    std::uint32_t polyline_address = 0;  // of the POLYLINE the next SEQEND closes

    int layer(const Handle& h) {
        const std::uint64_t v = handle_bits(h);
        if (v != last_layer) {
            const auto it = c.layer_index.find(v);
            last_layer = v;
            last_layer_index = it != c.layer_index.end() ? it->second : 0;
        }
        return last_layer_index;
    }

    // Linetype index, or -1 for BYLAYER (written by leaving the field out).
    int linetype(const Handle& h) const {
        const std::uint64_t v = handle_bits(h);
        if (v == 0 || v == handle_bits(c.drawing.bylayer_linetype)) return -1;
        if (v == handle_bits(c.drawing.byblock_linetype)) return r12_linetype_byblock;
        const auto it = c.linetype_index.find(v);
        return it != c.linetype_index.end() ? it->second : -1;
    }

    // Starts an entity record with the common part; returns its start.
    std::size_t begin(R12Bytes& b, int type, const EntityHeader& h, std::uint64_t handle,
                      int options, double elevation, double thickness, int extra_flags = 0) {
        const int lt = linetype(h.linetype);
        int flags = extra_flags;
        if (h.color != 256) flags |= flag_colour;
        if (lt >= 0) flags |= flag_linetype;
        if (elevation != 0.0) flags |= flag_elevation;
        if (thickness != 0.0) flags |= flag_thickness;
        if (c.entity_handles && handle != 0) flags |= flag_handle;
        const std::size_t start = r12_entity_start(b, type, flags, layer(h.layer), options);
        if (flags & flag_colour) b.rc(static_cast<unsigned>(h.color));
        if (flags & flag_linetype) b.rs(lt);
        if (flags & flag_elevation) b.rd(elevation);
        if (flags & flag_thickness) b.rd(thickness);
        if (flags & flag_handle) {
            int n = 1;
            while (n < 8 && (handle >> (8 * n)) != 0) ++n;
            b.rc(static_cast<unsigned>(n));
            for (int i = n - 1; i >= 0; --i) b.rc(static_cast<unsigned>(handle >> (8 * i)));
        }
        return start;
    }

    void finish(R12Bytes& b, std::size_t start) {
        r12_entity_end(b, start);
        r12_write(c.out, scratch.data(), scratch.size());
        ++c.entities_written;
    }

    void text(const StoredEntity& e) {
        const TextData& t = e.record.text;
        scratch.clear();
        R12Bytes b{scratch};
        // No style index means the first record of the STYLE table.
        int style = -1;
        const auto it = c.style_index.find(
            handle_value(is_null_handle(t.style) ? c.drawing.standard_text_style : t.style));
        if (it != c.style_index.end() && it->second > 0 && it->second < 256) style = it->second;
        const bool aligned = t.halign != 0 || t.valign != 0;
        const int options = (t.rotation != 0.0 ? 1 : 0) | (t.width_factor != 1.0 ? 2 : 0) |
                            (t.oblique != 0.0 ? 4 : 0) | (style >= 0 ? 8 : 0) |
                            (t.generation != 0 ? 16 : 0) | (t.halign != 0 ? 32 : 0) |
                            (aligned ? 64 : 0) | (!is_default_extrusion(t.extrusion) ? 128 : 0) |
                            (t.valign != 0 ? 256 : 0);
        const std::size_t start = begin(b, type_text, e.header, handle_value(e.header.handle),
                                        options, t.insert.z, t.thickness);
        b.pt2(t.insert);
        b.rd(t.height);
        b.tv(t.text);
        if (options & 1) b.rd(t.rotation);
        if (options & 2) b.rd(t.width_factor);
        if (options & 4) b.rd(t.oblique);
        if (options & 8) b.rc(static_cast<unsigned>(style));
        if (options & 16) b.rc(static_cast<unsigned>(t.generation));
        if (options & 32) b.rc(static_cast<unsigned>(t.halign));
        if (options & 64) b.pt2(t.align);
        if (options & 128) b.pt3(t.extrusion);
        if (options & 256) b.rc(static_cast<unsigned>(t.valign));
        finish(b, start);
    }

    void circle(const StoredEntity& e) {
        const CircleData& k = e.record.circle;
        scratch.clear();
        R12Bytes b{scratch};
        const int options = is_default_extrusion(k.extrusion) ? 0 : 1;
        const std::size_t start = begin(b, type_circle, e.header, handle_value(e.header.handle),
                                        options, k.center.z, k.thickness);
        b.pt2(k.center);
        b.rd(k.radius);
        if (options & 1) b.pt3(k.extrusion);
        finish(b, start);
    }

    void arc(const StoredEntity& e) {
        const ArcData& a = e.record.arc;
        scratch.clear();
        R12Bytes b{scratch};
        const int options = is_default_extrusion(a.extrusion) ? 0 : 1;
        const std::size_t start = begin(b, type_arc, e.header, handle_value(e.header.handle),
                                        options, a.center.z, a.thickness);
        b.pt2(a.center);
        b.rd(a.radius);
        b.rd(a.start_angle);
        b.rd(a.end_angle);
        if (options & 1) b.pt3(a.extrusion);
        finish(b, start);
    }

    void polyline(const EntityHeader& h, std::uint64_t handle, const PolylineData& p) {
        polyline_address = static_cast<std::uint32_t>(c.out.offset);
        scratch.clear();
        R12Bytes b{scratch};
        const std::int16_t mesh[] = {p.mesh_m, p.mesh_n, p.smooth_m, p.smooth_n, p.smooth_type};
        int options = (p.flags != 0 ? 1 : 0) | (p.start_width != 0.0 ? 2 : 0) |
                      (p.end_width != 0.0 ? 4 : 0) | (!is_default_extrusion(p.extrusion) ? 8 : 0);
        for (int i = 0; i < 5; ++i)
            if (mesh[i] != 0) options |= 16 << i;
        const std::size_t start =
            begin(b, type_polyline, h, handle, options, p.elevation, p.thickness, flag_followers);
        if (options & 1) b.rc(p.flags);
        if (options & 2) b.rd(p.start_width);
        if (options & 4) b.rd(p.end_width);
        if (options & 8) b.pt3(p.extrusion);
        for (int i = 0; i < 5; ++i)
            if (options & (16 << i)) b.rs(mesh[i]);
        finish(b, start);
    }

    void vertex(const EntityHeader& h, std::uint64_t handle, const VertexData& v) {
        scratch.clear();
        R12Bytes b{scratch};
        const int options = (v.start_width != 0.0 ? 1 : 0) | (v.end_width != 0.0 ? 2 : 0) |
                            (v.bulge != 0.0 ? 4 : 0) | (v.flags != 0 ? 8 : 0);
        const std::size_t start = begin(b, type_vertex, h, handle, options, v.location.z, 0.0);
        b.pt2(v.location);
        if (options & 1) b.rd(v.start_width);
        if (options & 2) b.rd(v.end_width);
        if (options & 4) b.rd(v.bulge);
        if (options & 8) b.rc(v.flags);
        finish(b, start);
    }

    void seqend(const EntityHeader& h, std::uint64_t handle) {
        scratch.clear();
        R12Bytes b{scratch};
        const std::size_t start = begin(b, type_seqend, h, handle, 0, 0.0, 0.0);
        b.rl(polyline_address);
        finish(b, start);
    }

    // An LWPOLYLINE as POLYLINE, VERTEX..., SEQEND, as the R12 DXF has it:
    // the VERTEX and SEQEND take handles above the drawing's seed.
    bool lwpolyline(const StoredEntity& e) {
        const LwpolylineData& l = e.record.lwpolyline;
        blob.resize(e.vertices.size);
        if (e.vertices.size > 0 &&
            !cursor_read(*cursor, e.vertices.offset, blob.data(), e.vertices.size))
            return false;
        const std::size_t stride = lwpolyline_vertex_size(l.flags);
        const std::size_t count =
            std::min<std::size_t>(static_cast<std::size_t>(l.vertex_count < 0 ? 0 : l.vertex_count),
                                  stride ? blob.size() / stride : 0);
        const bool bulges = l.flags & lwpolyline_has_bulges;
        const bool widths = l.flags & lwpolyline_has_widths;
        auto field = [&](std::size_t i, std::size_t offset) {
            double v;
            std::memcpy(&v, blob.data() + i * stride + offset, 8);
            return v;
        };
        auto extra_handle = [this]() -> std::uint64_t {
            return c.entity_handles ? c.next_extra_handle++ : 0;
        };

        PolylineData head;
        head.flags =
            static_cast<std::uint16_t>(((l.flags & lwpolyline_closed) ? polyline_closed : 0) +
                                       ((l.flags & lwpolyline_plinegen) ? 128 : 0));
        head.start_width = head.end_width = l.constant_width;
        head.elevation = l.elevation;
        head.thickness = l.thickness;
        head.extrusion = l.extrusion;
        polyline(e.header, handle_value(e.header.handle), head);
        for (std::size_t i = 0; i < count; ++i) {
            VertexData v;
            v.location = Point3{field(i, 0), field(i, 8), l.elevation};
            v.bulge = bulges ? field(i, 16) : 0.0;
            v.start_width = widths ? field(i, bulges ? 24 : 16) : 0.0;
            v.end_width = widths ? field(i, bulges ? 32 : 24) : 0.0;
            vertex(e.header, extra_handle(), v);
        }
        seqend(e.header, extra_handle());
        return true;
    }

    bool entity(const StoredEntity& e) {
        switch (e.kind) {
            case EntityKind::text:
                text(e);
                break;
            case EntityKind::circle:
                circle(e);
                break;
            case EntityKind::arc:
                arc(e);
                break;
            case EntityKind::polyline:
                polyline(e.header, handle_value(e.header.handle), e.record.polyline);
                break;
            case EntityKind::vertex:
                vertex(e.header, handle_value(e.header.handle), e.record.vertex);
                break;
            case EntityKind::seqend:
                seqend(e.header, handle_value(e.header.handle));
                break;
            case EntityKind::lwpolyline:
                return lwpolyline(e);
            case EntityKind::hatch:
            case EntityKind::ellipse:
            case EntityKind::none:
                break;
        }
        return true;
    }
};

}  // namespace

bool write_r12_entities(R12Context& c) {
    const Drawing& d = c.drawing;
    const std::uint16_t lw_code = lwpolyline_type(d), hatch_code = hatch_type(d);
    Walk walk{c, {}, {}};
    walk.scratch.reserve(256);
    std::vector<std::uint8_t> payload_buffer;
    StoredEntity entity;
    for (const Block& block : d.blocks) {
        if (block.entities.count == 0) continue;
        StoreCursor records;
        records.store = &d.store;
        records.position = 0;
        walk.cursor = &records;
        entity = StoredEntity{};
        RecordKind kind;
        std::span<const std::uint8_t> payload;
        while (next_record(records, kind, payload_buffer, payload)) {
            if (kind != RecordKind::entity) continue;
            if (!decode_entity(payload, lw_code, hatch_code, entity)) return false;
            if (entity.list != block.entities.id) continue;
            if (!walk.entity(entity)) return false;
            if (c.out.failed) return false;
        }
    }
    return !c.out.failed;
}

}  // namespace penloom
