// Append-only chunked byte store (see entity_store.h).
#include "drawing/entity_store.h"

#include <algorithm>
#include <cstring>

namespace penloom {

std::uint64_t store_append(EntityStore& store, const void* data, std::size_t n) {
    const std::uint64_t start = store.size;
    const auto* from = static_cast<const std::uint8_t*>(data);
    while (n > 0) {
        const std::size_t in_chunk = static_cast<std::size_t>(store.size % store.chunk_size);
        if (in_chunk == 0 && store.size / store.chunk_size == store.chunks.size())
            store.chunks.push_back(std::make_unique<std::uint8_t[]>(store.chunk_size));
        const std::size_t take = std::min(n, store.chunk_size - in_chunk);
        std::memcpy(store.chunks.back().get() + in_chunk, from, take);
        from += take;
        n -= take;
        store.size += take;
    }
    return start;
}

bool store_read(const EntityStore& store, std::uint64_t offset, void* out, std::size_t n) {
    if (offset > store.size || n > store.size - offset)
        return false;
    auto* to = static_cast<std::uint8_t*>(out);
    while (n > 0) {
        const std::size_t chunk = static_cast<std::size_t>(offset / store.chunk_size);
        const std::size_t in_chunk = static_cast<std::size_t>(offset % store.chunk_size);
        const std::size_t take = std::min(n, store.chunk_size - in_chunk);
        std::memcpy(to, store.chunks[chunk].get() + in_chunk, take);
        to += take;
        n -= take;
        offset += take;
    }
    return true;
}

void store_clear(EntityStore& store) {
    store.chunks.clear();
    store.size = 0;
}

}  // namespace penloom
