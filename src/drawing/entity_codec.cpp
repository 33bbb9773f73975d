// Compact entity and blob records (see entity_codec.h).
#include "drawing/entity_codec.h"

#include <cstring>
#include <string>

namespace penloom {

namespace {

// make_handle as one byte-swapped 8-byte store.
Handle bits_handle(std::uint64_t v) {
    if constexpr (std::endian::native == std::endian::little)
        v = __builtin_bswap64(v);
    Handle h;
    std::memcpy(h.data(), &v, 8);
    return h;
}

// Room in front of the payload for the kind byte and the longest LEB128 length.
constexpr std::size_t frame_room = 11;
// More than the fixed fields of any kind take (header and a HATCH, the
// largest, stay under 250 bytes at the longest varints).
constexpr std::size_t fixed_payload_bound = 512;

// Writes into room encode_entity has made (fixed_payload_bound plus the
// strings): no checks per byte.
struct Encoder {
    std::uint8_t* p;

    void byte(std::uint8_t b) { *p++ = b; }
    void varint(std::uint64_t v) {
        while (v >= 0x80) {
            *p++ = static_cast<std::uint8_t>(v | 0x80);
            v >>= 7;
        }
        *p++ = static_cast<std::uint8_t>(v);
    }
    void sint(std::int64_t v) { varint((static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63)); }
    void real(double d) {
        std::memcpy(p, &d, 8);
        p += 8;
    }
    void point(const Point3& p3) {
        real(p3.x);
        real(p3.y);
        real(p3.z);
    }
    void handle(const Handle& h) { varint(handle_bits(h)); }
    void text(const std::string& s) {
        varint(s.size());
        std::memcpy(p, s.data(), s.size());
        p += s.size();
    }
    void blob(const BlobRef& r) {
        varint(r.offset);
        varint(r.size);
    }
};

struct Decoder {
    const std::uint8_t* p;
    const std::uint8_t* end;
    bool ok = true;

    std::uint8_t byte() {
        if (p >= end) {
            ok = false;
            return 0;
        }
        return *p++;
    }
    std::uint64_t varint() {
        if (p < end && *p < 0x80)
            return *p++;  // the usual one-byte value
        std::uint64_t v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            const std::uint8_t b = byte();
            v |= static_cast<std::uint64_t>(b & 0x7f) << shift;
            if (!(b & 0x80))
                return v;
        }
        ok = false;
        return 0;
    }
    std::int64_t sint() {
        const std::uint64_t v = varint();
        return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
    }
    double real() {
        double d = 0.0;
        if (end - p < 8) {
            ok = false;
            return d;
        }
        std::memcpy(&d, p, 8);
        p += 8;
        return d;
    }
    Point3 point() {
        Point3 r;
        r.x = real();
        r.y = real();
        r.z = real();
        return r;
    }
    Handle handle() { return bits_handle(varint()); }
    void text(std::string& s) {
        const std::uint64_t n = varint();
        if (n > static_cast<std::uint64_t>(end - p)) {
            ok = false;
            return;
        }
        s.assign(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n));
        p += n;
    }
    BlobRef blob() {
        BlobRef r;
        r.offset = varint();
        r.size = static_cast<std::uint32_t>(varint());
        return r;
    }
};

// The mark on the kind byte of an entity whose header is the previous
// entity's with the next handle (the vertices of a polyline, one after the
// other): no header follows.
constexpr std::uint8_t header_follows = 0x80;

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool follows(const EntityHeader& h, std::uint64_t handle, const EntityHeader& previous) {
    return handle == handle_bits(previous.handle) + 1 && h.type == previous.type &&
           handle_bits(h.layer) == handle_bits(previous.layer) &&
           handle_bits(h.linetype) == handle_bits(previous.linetype) && h.color == previous.color &&
           h.lineweight == previous.lineweight && h.flags == previous.flags &&
           same_bits(h.linetype_scale, previous.linetype_scale) && same_bits(h.scale2, previous.scale2);
}

bool default_extrusion(const Point3& e) { return e.x == 0.0 && e.y == 0.0 && e.z == 1.0; }

void put_header(Encoder& e, const EntityHeader& h, std::uint64_t handle) {
    e.varint(h.type);
    e.varint(handle);
    e.handle(h.layer);
    e.handle(h.linetype);
    e.sint(h.color);
    e.sint(h.lineweight);
    e.varint(h.flags);
    const std::uint8_t mask = (h.linetype_scale != 1.0 ? 1 : 0) | (h.scale2 != 1.0 ? 2 : 0);
    e.byte(mask);
    if (mask & 1)
        e.real(h.linetype_scale);
    if (mask & 2)
        e.real(h.scale2);
}

void get_header(Decoder& d, EntityHeader& h) {
    h.type = static_cast<std::uint16_t>(d.varint());
    h.handle = d.handle();
    h.layer = d.handle();
    h.linetype = d.handle();
    h.color = static_cast<std::int16_t>(d.sint());
    h.lineweight = static_cast<std::int16_t>(d.sint());
    h.flags = static_cast<std::uint16_t>(d.varint());
    const std::uint8_t mask = d.byte();
    h.linetype_scale = (mask & 1) ? d.real() : 1.0;
    h.scale2 = (mask & 2) ? d.real() : 1.0;
}

void put_text(Encoder& e, const TextData& t) {
    e.point(t.insert);
    e.point(t.align);
    e.real(t.height);
    e.text(t.text);
    e.real(t.rotation);
    e.real(t.width_factor);
    e.real(t.oblique);
    e.handle(t.style);
    e.sint(t.generation);
    e.sint(t.halign);
    e.sint(t.valign);
    e.real(t.thickness);
    e.point(t.extrusion);
}

void get_text(Decoder& d, TextData& t) {
    t.insert = d.point();
    t.align = d.point();
    t.height = d.real();
    d.text(t.text);
    t.rotation = d.real();
    t.width_factor = d.real();
    t.oblique = d.real();
    t.style = d.handle();
    t.generation = static_cast<std::int16_t>(d.sint());
    t.halign = static_cast<std::int16_t>(d.sint());
    t.valign = static_cast<std::int16_t>(d.sint());
    t.thickness = d.real();
    t.extrusion = d.point();
}

// Vertices are the bulk of dashed polylines: only x and y always go in.
void put_vertex(Encoder& e, const VertexData& v) {
    const std::uint8_t mask = (v.location.z != 0.0 ? 1 : 0) | (v.start_width != 0.0 ? 2 : 0) |
                              (v.end_width != 0.0 ? 4 : 0) | (v.bulge != 0.0 ? 8 : 0);
    e.byte(mask);
    e.real(v.location.x);
    e.real(v.location.y);
    if (mask & 1)
        e.real(v.location.z);
    if (mask & 2)
        e.real(v.start_width);
    if (mask & 4)
        e.real(v.end_width);
    if (mask & 8)
        e.real(v.bulge);
    e.varint(v.flags);
}

void get_vertex(Decoder& d, VertexData& v) {
    const std::uint8_t mask = d.byte();
    v.location.x = d.real();
    v.location.y = d.real();
    v.location.z = (mask & 1) ? d.real() : 0.0;
    v.start_width = (mask & 2) ? d.real() : 0.0;
    v.end_width = (mask & 4) ? d.real() : 0.0;
    v.bulge = (mask & 8) ? d.real() : 0.0;
    v.flags = static_cast<std::uint16_t>(d.varint());
}

void put_lwpolyline(Encoder& e, const LwpolylineData& l, const BlobRef& vertices) {
    e.varint(static_cast<std::uint32_t>(l.vertex_count));
    e.varint(l.flags);
    const std::uint8_t mask = (l.elevation != 0.0 ? 1 : 0) | (l.constant_width != 0.0 ? 2 : 0) |
                              (l.thickness != 0.0 ? 4 : 0) | (default_extrusion(l.extrusion) ? 0 : 8);
    e.byte(mask);
    if (mask & 1)
        e.real(l.elevation);
    if (mask & 2)
        e.real(l.constant_width);
    if (mask & 4)
        e.real(l.thickness);
    if (mask & 8)
        e.point(l.extrusion);
    e.blob(vertices);
}

void get_lwpolyline(Decoder& d, LwpolylineData& l, BlobRef& vertices) {
    l.vertex_count = static_cast<std::int32_t>(static_cast<std::uint32_t>(d.varint()));
    l.flags = static_cast<std::uint16_t>(d.varint());
    const std::uint8_t mask = d.byte();
    l.elevation = (mask & 1) ? d.real() : 0.0;
    l.constant_width = (mask & 2) ? d.real() : 0.0;
    l.thickness = (mask & 4) ? d.real() : 0.0;
    l.extrusion = (mask & 8) ? d.point() : Point3{0.0, 0.0, 1.0};
    l.vertices = 0;
    vertices = d.blob();
}

void put_hatch(Encoder& e, const HatchData& h, const EntityBlobs& b) {
    e.real(h.elevation);
    e.point(h.extrusion);
    e.text(h.pattern_name);
    e.sint(h.solid_fill);
    e.sint(h.associative);
    e.sint(h.path_count);
    e.blob(b.paths);
    e.blob(b.sources);
    e.sint(h.hatch_style);
    e.sint(h.pattern_type);
    e.real(h.pattern_angle);
    e.real(h.pattern_scale);
    e.sint(h.pattern_double);
    e.sint(h.pattern_line_count);
    e.blob(b.pattern_lines);
    e.byte(h.has_pixel_size ? 1 : 0);
    e.real(h.pixel_size);
    e.sint(h.seed_count);
    e.blob(b.seeds);
}

void get_hatch(Decoder& d, HatchData& h, StoredEntity& s) {
    h.elevation = d.real();
    h.extrusion = d.point();
    d.text(h.pattern_name);
    h.solid_fill = static_cast<std::int16_t>(d.sint());
    h.associative = static_cast<std::int16_t>(d.sint());
    h.path_count = static_cast<std::int32_t>(d.sint());
    s.paths = d.blob();
    s.sources = d.blob();
    h.hatch_style = static_cast<std::int16_t>(d.sint());
    h.pattern_type = static_cast<std::int16_t>(d.sint());
    h.pattern_angle = d.real();
    h.pattern_scale = d.real();
    h.pattern_double = static_cast<std::int16_t>(d.sint());
    h.pattern_line_count = static_cast<std::int16_t>(d.sint());
    s.pattern_lines = d.blob();
    h.has_pixel_size = d.byte() != 0;
    h.pixel_size = d.real();
    h.seed_count = static_cast<std::int32_t>(d.sint());
    s.seeds = d.blob();
    h.paths = h.sources = h.pattern_lines = h.seeds = 0;
}

}  // namespace

EntityKind entity_kind(std::uint16_t type, std::uint16_t lwpolyline_code, std::uint16_t hatch_code) {
    switch (type) {
    case entity_text: return EntityKind::text;
    case entity_circle: return EntityKind::circle;
    case entity_arc: return EntityKind::arc;
    case entity_ellipse: return EntityKind::ellipse;
    case entity_polyline: return EntityKind::polyline;
    case entity_vertex: return EntityKind::vertex;
    case entity_seqend: return EntityKind::seqend;
    default: break;
    }
    if (type != 0 && type == lwpolyline_code)
        return EntityKind::lwpolyline;
    if (type != 0 && type == hatch_code)
        return EntityKind::hatch;
    return EntityKind::none;
}

std::span<const std::uint8_t> encode_entity(std::vector<std::uint8_t>& scratch, std::uint32_t list, EntityKind kind,
                                            const EntityHeader& header, const Handle& handle,
                                            const EntityRecord& record, const EntityBlobs& blobs,
                                            const EntityHeader* previous) {
    std::size_t bound = frame_room + fixed_payload_bound;
    if (kind == EntityKind::text)
        bound += record.text.text.size();
    else if (kind == EntityKind::hatch)
        bound += record.hatch.pattern_name.size();
    if (scratch.size() < bound)
        scratch.resize(bound);  // grows to the largest record seen, never shrinks
    std::uint8_t* const payload = scratch.data() + frame_room;
    Encoder e{payload};
    e.varint(list);
    const std::uint64_t handle_number = handle_bits(handle);
    if (previous && follows(header, handle_number, *previous)) {
        e.byte(static_cast<std::uint8_t>(kind) | header_follows);
    } else {
        e.byte(static_cast<std::uint8_t>(kind));
        put_header(e, header, handle_number);
    }
    switch (kind) {
    case EntityKind::text: put_text(e, record.text); break;
    case EntityKind::circle:
        e.point(record.circle.center);
        e.real(record.circle.radius);
        e.real(record.circle.thickness);
        e.point(record.circle.extrusion);
        break;
    case EntityKind::arc:
        e.point(record.arc.center);
        e.real(record.arc.radius);
        e.real(record.arc.start_angle);
        e.real(record.arc.end_angle);
        e.real(record.arc.thickness);
        e.point(record.arc.extrusion);
        break;
    case EntityKind::ellipse:
        e.point(record.ellipse.center);
        e.point(record.ellipse.major_axis);
        e.point(record.ellipse.extrusion);
        e.real(record.ellipse.ratio);
        e.real(record.ellipse.start_parameter);
        e.real(record.ellipse.end_parameter);
        break;
    case EntityKind::polyline: {
        const PolylineData& p = record.polyline;
        e.varint(p.flags);
        e.real(p.start_width);
        e.real(p.end_width);
        e.real(p.elevation);
        e.real(p.thickness);
        e.point(p.extrusion);
        e.sint(p.mesh_m);
        e.sint(p.mesh_n);
        e.sint(p.smooth_m);
        e.sint(p.smooth_n);
        e.sint(p.smooth_type);
        break;
    }
    case EntityKind::vertex: put_vertex(e, record.vertex); break;
    case EntityKind::seqend: break;
    case EntityKind::lwpolyline: put_lwpolyline(e, record.lwpolyline, blobs.vertices); break;
    case EntityKind::hatch: put_hatch(e, record.hatch, blobs); break;
    case EntityKind::none: break;
    }
    // The frame goes right in front of the payload, written in place.
    const auto length = static_cast<std::uint64_t>(e.p - payload);
    std::size_t n = 2;   // the kind byte and the last length byte
    for (std::uint64_t v = length; v >= 0x80; v >>= 7)
        ++n;
    std::uint8_t* const start = payload - n;
    start[0] = static_cast<std::uint8_t>(RecordKind::entity);
    Encoder{start + 1}.varint(length);
    return {start, static_cast<std::size_t>(e.p - start)};
}

std::uint64_t append_blob_record(EntityStore& store, const std::uint8_t* data, std::uint32_t size) {
    std::uint8_t prefix[frame_room];
    prefix[0] = static_cast<std::uint8_t>(RecordKind::blob);
    Encoder e{prefix + 1};
    e.varint(size);
    store_append(store, prefix, static_cast<std::size_t>(e.p - prefix));
    const std::uint64_t offset = store.size;
    if (size > 0)
        store_append(store, data, size);
    return offset;
}

bool next_record(StoreCursor& cursor, RecordKind& kind, std::vector<std::uint8_t>& buffer,
                 std::span<const std::uint8_t>& payload) {
    // The usual record, with a one-byte length and all of it in memory, is
    // seen where it lies; anything else the long way, through the buffer.
    std::size_t available = 0;
    const std::uint8_t* view = cursor_view(cursor, cursor.position, available);
    if (view && available >= 2 && view[1] < 0x80) {
        const std::size_t length = view[1];
        if (static_cast<RecordKind>(view[0]) == RecordKind::blob) {
            kind = RecordKind::blob;
            payload = {};
            cursor.position += 2 + length;
            return true;
        }
        if (available - 2 >= length) {
            kind = static_cast<RecordKind>(view[0]);
            payload = {view + 2, length};
            cursor.position += 2 + length;
            return true;
        }
    }
    std::uint8_t b = 0;
    if (!cursor_read(cursor, cursor.position, &b, 1))
        return false;
    kind = static_cast<RecordKind>(b);
    std::uint64_t pos = cursor.position + 1;
    std::uint64_t length = 0;
    for (int shift = 0;; shift += 7) {
        if (shift >= 64 || !cursor_read(cursor, pos++, &b, 1))
            return false;
        length |= static_cast<std::uint64_t>(b & 0x7f) << shift;
        if (!(b & 0x80))
            break;
    }
    if (kind == RecordKind::blob) {
        // Blobs are read where an entity names them; skip the bytes here.
        payload = {};
    } else {
        buffer.resize(static_cast<std::size_t>(length));
        if (length > 0 && !cursor_read(cursor, pos, buffer.data(), buffer.size()))
            return false;
        payload = buffer;
    }
    cursor.position = pos + length;
    return true;
}

bool decode_entity(std::span<const std::uint8_t> payload, std::uint16_t lwpolyline_code,
                   std::uint16_t hatch_code, StoredEntity& out) {
    Decoder d{payload.data(), payload.data() + payload.size()};
    out.list = static_cast<std::uint32_t>(d.varint());
    const std::uint8_t kind = d.byte();
    if (kind & header_follows) {
        // The header of the entity decoded last, with the next handle.
        if (out.kind == EntityKind::none)
            return false;
        out.header.handle = bits_handle(handle_bits(out.header.handle) + 1);
    } else {
        get_header(d, out.header);
    }
    out.kind = static_cast<EntityKind>(kind & ~header_follows);
    EntityRecord& r = out.record;
    switch (out.kind) {
    case EntityKind::text: get_text(d, r.text); break;
    case EntityKind::circle:
        r.circle.center = d.point();
        r.circle.radius = d.real();
        r.circle.thickness = d.real();
        r.circle.extrusion = d.point();
        break;
    case EntityKind::arc:
        r.arc.center = d.point();
        r.arc.radius = d.real();
        r.arc.start_angle = d.real();
        r.arc.end_angle = d.real();
        r.arc.thickness = d.real();
        r.arc.extrusion = d.point();
        break;
    case EntityKind::ellipse:
        r.ellipse.center = d.point();
        r.ellipse.major_axis = d.point();
        r.ellipse.extrusion = d.point();
        r.ellipse.ratio = d.real();
        r.ellipse.start_parameter = d.real();
        r.ellipse.end_parameter = d.real();
        break;
    case EntityKind::polyline: {
        PolylineData& p = r.polyline;
        p.flags = static_cast<std::uint16_t>(d.varint());
        p.start_width = d.real();
        p.end_width = d.real();
        p.elevation = d.real();
        p.thickness = d.real();
        p.extrusion = d.point();
        p.mesh_m = static_cast<std::int16_t>(d.sint());
        p.mesh_n = static_cast<std::int16_t>(d.sint());
        p.smooth_m = static_cast<std::int16_t>(d.sint());
        p.smooth_n = static_cast<std::int16_t>(d.sint());
        p.smooth_type = static_cast<std::int16_t>(d.sint());
        break;
    }
    case EntityKind::vertex: get_vertex(d, r.vertex); break;
    case EntityKind::seqend: break;
    case EntityKind::lwpolyline: get_lwpolyline(d, r.lwpolyline, out.vertices); break;
    case EntityKind::hatch: get_hatch(d, r.hatch, out); break;
    default: return false;
    }
    return d.ok && d.p == d.end &&
           entity_kind(out.header.type, lwpolyline_code, hatch_code) == out.kind;
}

}  // namespace penloom
