// DWG entities of every block. In: the entity records of the drawing's store,
// decoded one at a time in store order, as the DXF writer reads them. Out:
// one object per entity, the entities of a block chained to each other (each
// names the one before and after it), a POLYLINE's VERTEX entities chained
// the same way under it and ended by its SEQEND, and per block its first and
// last entity for the block's BLOCK_HEADER.
//
// An entity can only be written once the next one of its block is known (it
// names it), so each waits in a slot until then: the last top-level entity
// and the last VERTEX of a POLYLINE. Three decoded entities are kept, whose
// roles rotate; nothing is allocated per entity.
#include "drawing/dwg_entities.h"

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>

namespace penloom {

void read_entity_blob(DwgEntityScratch& scratch, const BlobRef& ref,
                      std::vector<std::uint8_t>& bytes) {
    bytes.resize(ref.size);
    if (ref.size > 0 && !cursor_read(*scratch.cursor, ref.offset, bytes.data(), ref.size)) {
        scratch.read_failed = true;  // no drawing rather than a wrong one
        bytes.clear();
    }
}

namespace {

// Table handles the entities may name, and the one-entry caches in front of
// them (entities come in long runs on one layer and linetype). A record whose
// name as written repeats an earlier one's (R13/R14 names are converted) is
// not written; its entities name the earlier record, as the DXF's name does.
struct TableHandles {
    std::unordered_map<std::uint64_t, std::uint64_t> layers, linetypes,
        styles;                       // record -> as written
    std::uint64_t default_layer = 0;  // layer "0": for an entity whose layer is not in the table
    std::uint64_t bylayer = 0, byblock = 0, standard_style = 0;
    std::uint64_t last_layer = 0, last_layer_out = 0;
    std::uint64_t last_linetype = ~std::uint64_t{0}, last_linetype_out = 0;
    bool last_linetype_known = false;
};

template <class Record>
std::unordered_map<std::uint64_t, std::uint64_t> written_handles(
    const DwgContext& c, const std::vector<Record>& records) {
    std::unordered_map<std::uint64_t, std::uint64_t> out;
    std::unordered_map<std::string, std::uint64_t> first;
    for (const Record& r : records) {
        std::string key = dwg_name(c, r.name);
        for (char& ch : key)
            if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
        const auto [it, fresh] = first.emplace(std::move(key), handle_value(r.handle));
        out.emplace(handle_value(r.handle), it->second);
    }
    return out;
}

TableHandles collect_tables(const DwgContext& c) {
    const Drawing& d = c.drawing;
    TableHandles t;
    t.layers = written_handles(c, d.layers.records);
    t.linetypes = written_handles(c, d.linetypes.records);
    t.styles = written_handles(c, d.text_styles.records);
    for (const LayerTableRecord& r : d.layers.records)
        if (t.default_layer == 0 && r.name == "0")
            t.default_layer = t.layers[handle_value(r.handle)];
    if (t.default_layer == 0 && !d.layers.records.empty())
        t.default_layer = handle_value(d.layers.records.front().handle);
    t.bylayer = handle_value(d.bylayer_linetype);
    t.byblock = handle_value(d.byblock_linetype);
    t.standard_style = handle_value(d.standard_text_style);
    return t;
}

struct EntityWalk {
    DwgContext& c;
    const Drawing& d;
    TableHandles tables;
    DwgEntityScratch scratch;
    StoreCursor cursor;
    std::vector<std::uint8_t> payload;
    std::uint16_t lw_code = 0, hatch_code = 0;

    // Decoded entities: the one decoded last (whose header the next record
    // may repeat), the top-level entity and the VERTEX waiting to be written.
    StoredEntity slots[3];
    StoredEntity* last = &slots[0];
    StoredEntity* top = nullptr;
    StoredEntity* vertex = nullptr;

    // The block being written.
    std::size_t block = 0;
    unsigned mode = 2;
    std::uint64_t owner = 0;
    std::uint64_t previous_top = 0;     // the top-level entity written last
    std::uint64_t previous_vertex = 0;  // the VERTEX of `top` written last
    DwgPolylineLinks links;
    bool seqend_seen = false;
    std::size_t group_start = 0;  // the first map row written while `top` waited

    EntityWalk(DwgContext& context)
        : c(context), d(context.drawing), tables(collect_tables(context)) {
        scratch.cursor = &cursor;
        lw_code = lwpolyline_type(d);
        hatch_code = hatch_type(d);
    }

    StoredEntity* free_slot() {
        for (StoredEntity& s : slots)
            if (&s != top && &s != vertex) return &s;
        return nullptr;  // cannot happen: two roles, three slots
    }

    std::uint64_t layer_of(const EntityHeader& h) {
        const std::uint64_t v = handle_bits(h.layer);
        if (v != tables.last_layer || tables.last_layer_out == 0) {
            tables.last_layer = v;
            const auto it = tables.layers.find(v);
            tables.last_layer_out = it != tables.layers.end() ? it->second : tables.default_layer;
        }
        return tables.last_layer_out;
    }

    // The common data of an entity of this block (entity mode, owner) or of
    // a POLYLINE's VERTEX or SEQEND (owned by the POLYLINE). The DXF lists
    // the block as the entity's reactor from R14, and for the class entities
    // (LWPOLYLINE, HATCH) in R13 too; so does the DWG.
    DwgEntityCommon common(const EntityHeader& h, std::uint64_t sub_owner,
                           bool class_entity = false) {
        DwgEntityCommon k;
        if (c.r14_up() || class_entity) k.reactor = owner;
        if (sub_owner != 0) {
            k.mode = 0;
            k.owner = sub_owner;
        } else {
            k.mode = mode;
            k.owner = owner;
        }
        k.layer = layer_of(h);
        const std::uint64_t lt = handle_bits(h.linetype);
        if (lt != tables.last_linetype) {
            tables.last_linetype = lt;
            // A linetype that never made it into the table is BYLAYER, as in the DXF.
            const auto it = tables.linetypes.find(lt);
            tables.last_linetype_known =
                lt != 0 && lt != tables.bylayer && it != tables.linetypes.end();
            tables.last_linetype_out = tables.last_linetype_known ? it->second : tables.bylayer;
        }
        k.linetype_bylayer = !tables.last_linetype_known;
        k.linetype_byblock = tables.last_linetype_known && lt == tables.byblock;
        k.linetype = tables.last_linetype_out;
        k.color = h.color;
        k.linetype_scale = h.linetype_scale;
        k.lineweight = h.lineweight;
        k.invisible = (h.flags & entity_flag_invisible) != 0;
        return k;
    }

    std::uint64_t style_of(const TextData& t) const {
        const auto it = tables.styles.find(handle_value(t.style));
        return it != tables.styles.end() ? it->second : tables.standard_style;
    }

    void write_top(std::uint64_t next) {
        const StoredEntity& e = *top;
        DwgEntityCommon k =
            common(e.header, 0, e.kind == EntityKind::lwpolyline || e.kind == EntityKind::hatch);
        k.previous = previous_top;
        k.next = next;
        const std::uint64_t handle = handle_bits(e.header.handle);
        switch (e.kind) {
            case EntityKind::text:
                write_dwg_text(c, e, k, style_of(e.record.text));
                break;
            case EntityKind::circle:
                write_dwg_circle(c, e, k);
                break;
            case EntityKind::arc:
                write_dwg_arc(c, e, k);
                break;
            case EntityKind::ellipse:
                write_dwg_ellipse(c, handle, e.record.ellipse, k);
                break;
            case EntityKind::polyline:
                write_dwg_polyline(c, e, k, links);
                // Its VERTEX and SEQEND rows went in first: its own row goes back
                // in front of them, so the rows stay in handle order.
                std::rotate(c.entity_map.begin() + static_cast<std::ptrdiff_t>(group_start),
                            c.entity_map.end() - 1, c.entity_map.end());
                break;
            case EntityKind::lwpolyline:
                write_dwg_lwpolyline(c, scratch, e, k);
                break;
            case EntityKind::hatch:
                write_dwg_hatch(c, scratch, e, k);
                break;
            default:
                break;
        }
        DwgBlockEntities& b = c.block_entities[block];
        if (b.first == 0) b.first = handle;
        b.last = handle;
        ++b.count;
        if (c.r2004() && block < c.block_owned.size()) c.block_owned[block].push_back(handle);
        previous_top = handle;
    }

    void write_vertex(std::uint64_t next) {
        DwgEntityCommon k = common(vertex->header, handle_bits(top->header.handle));
        k.previous = previous_vertex;
        k.next = next;
        write_dwg_vertex(c, *vertex, k);
        previous_vertex = handle_bits(vertex->header.handle);
        links.last_vertex = previous_vertex;
        if (c.r2004()) links.vertices.push_back(previous_vertex);
        vertex = nullptr;
    }

    // Writes the waiting top-level entity (with what waits under it) now
    // that the next one of the block is known (0: it was the last).
    void flush(std::uint64_t next) {
        if (!top) return;
        if (vertex) write_vertex(0);
        write_top(next);
        top = nullptr;
        links = DwgPolylineLinks{};
        previous_vertex = 0;
        seqend_seen = false;
    }

    bool is_top_level(EntityKind kind) const {
        return kind != EntityKind::vertex && kind != EntityKind::seqend && kind != EntityKind::none;
    }

    void take(StoredEntity* e) {
        const std::uint64_t handle = handle_bits(e->header.handle);
        if (is_top_level(e->kind)) {
            flush(handle);
            top = e;
            group_start = c.entity_map.size();
            return;
        }
        // A VERTEX or SEQEND belongs to the POLYLINE before it; one without
        // a POLYLINE has nothing to hang under and is left out.
        if (!top || top->kind != EntityKind::polyline || seqend_seen) return;
        if (e->kind == EntityKind::vertex) {
            if (vertex)
                write_vertex(handle);
            else
                links.first_vertex = handle;
            vertex = e;
            return;
        }
        if (vertex) write_vertex(0);
        write_dwg_seqend(c, handle, common(e->header, handle_bits(top->header.handle)));
        links.seqend = handle;
        seqend_seen = true;
    }

    // Walks the whole store for the entities of block b. False when the
    // store cannot be read back.
    bool write_block(std::size_t b) {
        const Block& blk = d.blocks[b];
        block = b;
        mode = b == 0 ? 2 : blk.paper_space ? 1 : 0;
        owner = handle_value(blk.record);
        previous_top = 0;
        top = vertex = nullptr;
        links = DwgPolylineLinks{};
        seqend_seen = false;
        previous_vertex = 0;
        for (StoredEntity& s : slots) s = StoredEntity{};
        last = &slots[0];

        cursor.store = &d.store;
        cursor.position = 0;
        RecordKind kind;
        std::span<const std::uint8_t> bytes;
        while (next_record(cursor, kind, payload, bytes)) {
            if (kind != RecordKind::entity) continue;
            StoredEntity* e = free_slot();
            if (e != last) {
                // The record may repeat the header of the one before.
                e->header = last->header;
                e->kind = last->kind;
            }
            if (!decode_entity(bytes, lw_code, hatch_code, *e)) return false;
            last = e;
            if (e->list == blk.entities.id) take(e);
            if (c.out.failed || scratch.read_failed) break;
        }
        flush(0);
        return !scratch.read_failed;
    }
};

}  // namespace

bool write_dwg_entities(DwgContext& c) {
    const Drawing& d = c.drawing;
    c.block_entities.assign(d.blocks.size(), DwgBlockEntities{});
    auto walk = std::make_unique<EntityWalk>(c);
    c.writing_entities = true;
    bool ok = true;
    for (std::size_t b = 0; b < d.blocks.size() && ok && !c.out.failed; ++b)
        if (d.blocks[b].entities.count != 0) ok = walk->write_block(b);
    c.writing_entities = false;
    // The rows are in handle order when the entities of each block came in
    // handle order and the blocks' handles do not interleave; otherwise
    // they are put back into order here.
    const auto by_handle = [](const DwgMapEntry& a, const DwgMapEntry& b) {
        return a.handle < b.handle;
    };
    if (!std::is_sorted(c.entity_map.begin(), c.entity_map.end(), by_handle))
        std::sort(c.entity_map.begin(), c.entity_map.end(), by_handle);
    return ok;
}

}  // namespace penloom
