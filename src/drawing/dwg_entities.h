// What the DWG entity writers share (dwg_entities.cpp walks the store and
// keeps the block chains; dwg_entity_kinds.cpp and dwg_hatch.cpp encode one
// entity each). Not for callers.
//
// In: one decoded entity at a time with its common data already resolved
// against the drawing's tables. Out: one framed object per entity through
// begin_entity / end_object.
#pragma once

#include <cstdint>
#include <vector>

#include "drawing/dwg_writer_internal.h"
#include "drawing/entity_codec.h"

namespace penloom {

// Scratch for the encoders: the entity's blobs are read into these, which
// only grow, so a plot's millions of entities allocate nothing.
struct DwgEntityScratch {
    StoreCursor* cursor = nullptr;
    std::vector<std::uint8_t> blob;
    std::vector<std::uint8_t> blob2;
    bool read_failed = false;
};

// Reads the blob into bytes (resized to it); a read failure is remembered in
// scratch.read_failed and leaves bytes empty.
void read_entity_blob(DwgEntityScratch& scratch, const BlobRef& ref,
                      std::vector<std::uint8_t>& bytes);

// The handles a POLYLINE points to, gathered while its vertices went by.
struct DwgPolylineLinks {
    std::uint64_t first_vertex = 0;
    std::uint64_t last_vertex = 0;
    std::uint64_t seqend = 0;
    std::vector<std::uint64_t> vertices;  // 2004: every VERTEX (the POLYLINE lists them)
};

// Each writes one complete object: the entity's own data after the common
// data k, then the common handles and its own.
void write_dwg_text(DwgContext& c, const StoredEntity& e, const DwgEntityCommon& k,
                    std::uint64_t style);
void write_dwg_circle(DwgContext& c, const StoredEntity& e, const DwgEntityCommon& k);
void write_dwg_arc(DwgContext& c, const StoredEntity& e, const DwgEntityCommon& k);
void write_dwg_ellipse(DwgContext& c, std::uint64_t handle, const EllipseData& data,
                       const DwgEntityCommon& k);
void write_dwg_polyline(DwgContext& c, const StoredEntity& e, const DwgEntityCommon& k,
                        const DwgPolylineLinks& links);
void write_dwg_vertex(DwgContext& c, const StoredEntity& e, const DwgEntityCommon& k);
void write_dwg_seqend(DwgContext& c, std::uint64_t handle, const DwgEntityCommon& k);
void write_dwg_lwpolyline(DwgContext& c, DwgEntityScratch& s, const StoredEntity& e,
                          const DwgEntityCommon& k);
void write_dwg_hatch(DwgContext& c, DwgEntityScratch& s, const StoredEntity& e,
                     const DwgEntityCommon& k);

}  // namespace penloom
