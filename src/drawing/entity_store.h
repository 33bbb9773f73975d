// Append-only byte store behind the drawing's entities and blobs.
//
// In: byte runs appended by add_entity and close_blob_writer (already encoded
// compactly, entity_codec.h). Out: the same bytes, read back by offset,
// normally front to back at save time. The store never rewrites what it holds,
// so it can be moved to a temporary file by replacing these few functions
// (append = write at the end, read = pread) without touching the callers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace penloom {

struct EntityStore {
    std::size_t chunk_size = std::size_t{1} << 22;   // 4 MiB
    std::vector<std::unique_ptr<std::uint8_t[]>> chunks;
    std::uint64_t size = 0;                           // bytes appended so far
};

// Appends n bytes; returns the offset of the first of them.
std::uint64_t store_append(EntityStore& store, const void* data, std::size_t n);

// Copies n bytes from offset into out. False when the range is not all inside
// the store.
bool store_read(const EntityStore& store, std::uint64_t offset, void* out, std::size_t n);

// Releases every chunk.
void store_clear(EntityStore& store);

// Sequential reader over the store's records (see entity_codec.h for the
// record framing). Holds the current position only.
struct StoreCursor {
    const EntityStore* store = nullptr;
    std::uint64_t position = 0;
};

}  // namespace penloom
