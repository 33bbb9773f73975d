// Compact binary form of entities and blobs in the drawing's store.
//
// In: EntityHeader/EntityRecord pairs from add_entity and blob bytes from
// close_blob_writer. Out: framed records appended to the EntityStore, and,
// at save time, the same records decoded one by one in store order.
//
// Framing: kind byte, payload length (LEB128), payload. An entity's header is
// left out when it is the previous entity's with the next handle. Integers inside are
// LEB128 (signed ones zig-zagged), doubles their 8 raw bytes, handles their
// value as LEB128, and blobs are referenced by (offset, size) in the store.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "drawing/entity_store.h"
#include "drawing/records.h"

namespace penloom {

// handle_value as one byte-swapped 8-byte load, for the per-entity paths.
inline std::uint64_t handle_bits(const Handle& h) {
    std::uint64_t v;
    std::memcpy(&v, h.data(), 8);
    if constexpr (std::endian::native == std::endian::little)
        v = __builtin_bswap64(v);
    return v;
}

enum class RecordKind : std::uint8_t { entity = 1, blob = 2 };

// The entity kinds the database stores; anything else is refused.
enum class EntityKind : std::uint8_t { none, text, circle, arc, polyline, vertex, seqend, lwpolyline, hatch, ellipse };

struct BlobRef {
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
};

// A decoded entity with its blobs resolved to store ranges.
struct StoredEntity {
    std::uint32_t list = 0;
    EntityKind kind = EntityKind::none;
    EntityHeader header;
    EntityRecord record;
    BlobRef vertices;          // LWPOLYLINE
    BlobRef paths;             // HATCH
    BlobRef sources;
    BlobRef pattern_lines;
    BlobRef seeds;
};

// Blob references for encoding, looked up by the caller from the record's ids.
struct EntityBlobs {
    BlobRef vertices, paths, sources, pattern_lines, seeds;
};

// Encodes one entity as a complete framed record, built inside scratch (which
// only grows, to the room the largest record needs); the returned bytes stay
// valid until scratch is next used. The entity's handle is `handle`, not
// the header's. previous is the header of the entity stored last (null for
// the first): a header that repeats it with the next handle is not stored
// again.
std::span<const std::uint8_t> encode_entity(std::vector<std::uint8_t>& scratch, std::uint32_t list, EntityKind kind,
                                            const EntityHeader& header, const Handle& handle,
                                            const EntityRecord& record, const EntityBlobs& blobs,
                                            const EntityHeader* previous);

// Appends a framed blob record; returns the offset of the blob's bytes.
std::uint64_t append_blob_record(EntityStore& store, const std::uint8_t* data, std::uint32_t size);

// Reads the record at cursor and advances. payload is the record's bytes:
// where they lie in the cursor's memory (valid until the cursor moves on)
// or, for a record that does not lie in one piece, copied into buffer. False
// at the end of the store or on a damaged frame.
bool next_record(StoreCursor& cursor, RecordKind& kind, std::vector<std::uint8_t>& buffer,
                 std::span<const std::uint8_t>& payload);

// Decodes an entity payload into out, which must hold the entity decoded
// from the record before (or be a fresh StoredEntity before the store's first
// entity record): a header that repeats the previous one is taken from it.
// Entity records are therefore decoded in store order, all of them. False
// when the payload is damaged.
bool decode_entity(std::span<const std::uint8_t> payload, std::uint16_t lwpolyline_code,
                   std::uint16_t hatch_code, StoredEntity& out);

EntityKind entity_kind(std::uint16_t type, std::uint16_t lwpolyline_code, std::uint16_t hatch_code);

}  // namespace penloom
