// Entities and blobs: init_entity defaults, add_entity (checks, handle, then
// the compact record appended to the drawing's store) and the blob writer.
#include <algorithm>
#include <cstring>
#include <new>

#include "drawing/drawing.h"
#include "drawing/drawing_internal.h"
#include "drawing/entity_codec.h"
#include "drawing/hatch_blob.h"

namespace penloom {

namespace {

// Resolves a blob id of a record to its bytes in the store. Id 0 is an empty
// blob; an unknown, still open or already taken blob fails with 162.
bool resolve_blob(Drawing& d, BlobId id, BlobRef& out) {
    out = BlobRef{};
    if (id == 0)
        return true;
    const auto it = d.blobs.find(id);
    if (it == d.blobs.end() || !it->second.closed)
        return fail(d, 162);
    out.offset = it->second.offset;
    out.size = it->second.size;
    return true;
}

// After an append: a store whose temporary file could not be made or written
// has lost data, which is as fatal for the drawing as a failed allocation.
bool store_ok(Drawing& d) {
    if (!d.store.failed)
        return true;
    if (d.library->error_callback)
        d.library->error_callback(severity_allocation);
    return fail(d, 44);
}

BlobReader reader_for(Drawing& d, const BlobRef& ref, std::vector<std::uint8_t>& bytes) {
    bytes.resize(ref.size);
    if (ref.size > 0)
        store_read(d.store, ref.offset, bytes.data(), ref.size);
    return BlobReader{bytes.data(), bytes.data() + bytes.size()};
}

// A HATCH's blobs must hold what its counts promise, so that the writer can
// rely on them.
bool check_hatch(Drawing& d, const HatchData& h, const EntityBlobs& b) {
    std::vector<std::uint8_t> paths, sources, lines;
    NullHatchVisitor none;
    if (!walk_hatch_paths(reader_for(d, b.paths, paths), reader_for(d, b.sources, sources), h.path_count, none))
        return false;
    if (!h.solid_fill && !walk_pattern_lines(reader_for(d, b.pattern_lines, lines), h.pattern_line_count, none))
        return false;
    return h.seed_count >= 0 && static_cast<std::uint64_t>(h.seed_count) * 16 <= b.seeds.size;
}

// entity_kind without the class-table lookups for the types whose code is
// fixed (the bulk: VERTEX); only LWPOLYLINE and HATCH take theirs from the
// drawing's classes, and a fixed code wins over them in entity_kind anyway.
EntityKind kind_of(const Drawing& d, std::uint16_t type) {
    const EntityKind fixed = entity_kind(type, 0, 0);
    if (fixed != EntityKind::none)
        return fixed;
    return entity_kind(type, lwpolyline_type(d), hatch_type(d));
}

// Doubles an open blob's room (out of line: the appends rarely need it).
[[gnu::noinline]] void grow(BlobBuffer& buffer) {
    buffer.bytes.resize(std::max<std::size_t>(2 * buffer.bytes.size(), 256));
}

}  // namespace

bool init_entity(Drawing& drawing, EntityHeader& header, EntityRecord& record) {
    if (header.type == 0)
        return fail(drawing, 187);
    // Copied from constants: a value built on the stack first is read back
    // in wider pieces than it was written, which stalls (this runs per vertex).
    static const EntityHeader default_header;
    static const EntityRecord defaults;
    const std::uint16_t type = header.type;
    header = default_header;
    header.type = type;
    if (!drawing.layers.records.empty())
        header.layer = drawing.layers.records.front().handle;
    header.linetype = drawing.bylayer_linetype;

    switch (kind_of(drawing, type)) {
    case EntityKind::text: {
        // Keep the string's buffer: the record is reused for every label.
        TextData& t = record.text;
        std::string text = std::move(t.text);
        text.clear();
        t = TextData{};
        t.text = std::move(text);
        t.style = drawing.standard_text_style;
        break;
    }
    case EntityKind::circle: record.circle = defaults.circle; break;
    case EntityKind::arc: record.arc = defaults.arc; break;
    case EntityKind::ellipse: record.ellipse = defaults.ellipse; break;
    case EntityKind::polyline: record.polyline = defaults.polyline; break;
    case EntityKind::vertex: record.vertex = defaults.vertex; break;
    case EntityKind::lwpolyline: record.lwpolyline = defaults.lwpolyline; break;
    case EntityKind::hatch: {
        std::string name = std::move(record.hatch.pattern_name);
        record.hatch = HatchData{};
        name.assign("SOLID");
        record.hatch.pattern_name = std::move(name);
        break;
    }
    case EntityKind::seqend:
    case EntityKind::none: break;
    }
    return true;
}

bool add_entity(Drawing& drawing, EntityList& list, const EntityHeader& header, const EntityRecord& record) {
    const EntityKind kind = kind_of(drawing, header.type);
    if (kind == EntityKind::none)
        return fail(drawing, 187);
    if (list.id >= drawing.blocks.size() || &drawing.blocks[list.id].entities != &list)
        return fail(drawing, 152);

    EntityBlobs blobs;
    if (kind == EntityKind::lwpolyline) {
        const LwpolylineData& l = record.lwpolyline;
        if (l.vertex_count < 0)
            return fail(drawing, 187);
        if (!resolve_blob(drawing, l.vertices, blobs.vertices))
            return false;
        if (blobs.vertices.size < static_cast<std::uint64_t>(l.vertex_count) * lwpolyline_vertex_size(l.flags))
            return fail(drawing, 187);
    } else if (kind == EntityKind::hatch) {
        const HatchData& h = record.hatch;
        if (!resolve_blob(drawing, h.paths, blobs.paths) || !resolve_blob(drawing, h.sources, blobs.sources) ||
            !resolve_blob(drawing, h.pattern_lines, blobs.pattern_lines) ||
            !resolve_blob(drawing, h.seeds, blobs.seeds))
            return false;
        if (h.path_count < 0 || !check_hatch(drawing, h, blobs))
            return fail(drawing, 187);
    }

    // Only the handle is taken out of the header: copying the header whole,
    // just after the caller wrote its fields, would stall on the wider reads.
    Handle handle = header.handle;
    if (!claim_handle(drawing, handle))
        return false;

    try {
        const auto bytes = encode_entity(drawing.scratch, list.id, kind, header, handle, record, blobs,
                                         drawing.has_last_stored ? &drawing.last_stored : nullptr);
        store_append(drawing.store, bytes.data(), bytes.size());
        drawing.last_stored = header;
        drawing.last_stored.handle = handle;
        drawing.has_last_stored = true;
    } catch (const std::bad_alloc&) {
        if (drawing.library->error_callback)
            drawing.library->error_callback(severity_allocation);
        return fail(drawing, 289);
    }
    if (!store_ok(drawing))
        return false;
    ++list.count;

    // The blobs belong to this entity now.
    if (kind == EntityKind::lwpolyline) {
        drawing.blobs.erase(record.lwpolyline.vertices);
        ++drawing.lwpolyline_count;
        drawing.lwpolyline_vertices += static_cast<std::uint64_t>(record.lwpolyline.vertex_count);
    } else if (kind == EntityKind::hatch) {
        ++drawing.hatch_count;
        for (BlobId id : {record.hatch.paths, record.hatch.sources, record.hatch.pattern_lines, record.hatch.seeds})
            drawing.blobs.erase(id);
    }
    return true;
}

BlobId create_blob(Drawing& drawing, std::uint32_t block_size) {
    (void)block_size;  // the store grows in its own chunks
    const BlobId id = drawing.next_blob++;
    drawing.blobs.emplace(id, PendingBlob{});
    return id;
}

BlobWriter open_blob_writer(Drawing& drawing, BlobId blob) {
    const auto it = drawing.blobs.find(blob);
    if (it == drawing.blobs.end() || it->second.closed) {
        fail(drawing, 163);
        return BlobWriter{};
    }
    std::uint32_t slot;
    if (!drawing.free_writers.empty()) {
        slot = drawing.free_writers.back();
        drawing.free_writers.pop_back();
    } else {
        slot = static_cast<std::uint32_t>(drawing.writer_buffers.size());
        drawing.writer_buffers.emplace_back();
    }
    drawing.writer_buffers[slot].used = 0;
    return BlobWriter{&drawing, blob, slot};
}

bool blob_write(BlobWriter& writer, const void* data, std::size_t width) {
    if (!writer.drawing)
        return false;
    Drawing& d = *writer.drawing;
    if (width != 1 && width != 2 && width != 4 && width != 8 && width != 16)
        return fail(d, 163);
    BlobBuffer& buffer = d.writer_buffers[writer.slot];
    if (buffer.used + width > UINT32_MAX)
        return fail(d, 210);
    if (buffer.bytes.size() - buffer.used < width)
        grow(buffer);
    // One fixed-size copy per width (a vertex is one 16-byte write).
    std::uint8_t* to = buffer.bytes.data() + buffer.used;
    switch (width) {
    case 16: std::memcpy(to, data, 16); break;
    case 8: std::memcpy(to, data, 8); break;
    case 4: std::memcpy(to, data, 4); break;
    case 2: std::memcpy(to, data, 2); break;
    default: std::memcpy(to, data, 1); break;
    }
    buffer.used += width;
    return true;
}

bool close_blob_writer(BlobWriter& writer) {
    if (!writer.drawing)
        return false;
    Drawing& d = *writer.drawing;
    BlobBuffer& buffer = d.writer_buffers[writer.slot];
    const auto it = d.blobs.find(writer.blob);
    bool ok = false;
    if (it != d.blobs.end()) {
        it->second.size = static_cast<std::uint32_t>(buffer.used);
        it->second.offset = append_blob_record(d.store, buffer.bytes.data(), it->second.size);
        it->second.closed = true;
        ok = store_ok(d);
    } else {
        fail(d, 163);
    }
    buffer.used = 0;
    d.free_writers.push_back(writer.slot);
    writer = BlobWriter{};
    return ok;
}

std::int64_t blob_size(const Drawing& drawing, BlobId blob) {
    const auto it = drawing.blobs.find(blob);
    if (it == drawing.blobs.end() || !it->second.closed)
        return -1;
    return it->second.size;
}

}  // namespace penloom
