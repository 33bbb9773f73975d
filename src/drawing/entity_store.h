// Append-only byte store behind the drawing's entities and blobs.
//
// In: byte runs appended by add_entity and close_blob_writer (already encoded
// compactly, entity_codec.h). Out: the same bytes, read back by offset,
// normally front to back at save time.
//
// The store lives in an anonymous temporary file so that memory stays flat
// however large the plot: appends collect in one buffer (the tail of the
// store), and each time the buffer fills it is written to the file, which is
// created on the first such write. Small drawings therefore never touch the
// disk. The file has no name (O_TMPFILE, or unlinked at once where the file
// system lacks it), so it disappears when the store is released or the
// process ends in any way. There is no second, in-memory path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace penloom {

// Owns a file descriptor; closing it removes the anonymous file.
struct SpillFile {
    int fd = -1;
    SpillFile() = default;
    SpillFile(const SpillFile&) = delete;
    SpillFile& operator=(const SpillFile&) = delete;
    SpillFile(SpillFile&& other) noexcept : fd(other.fd) { other.fd = -1; }
    SpillFile& operator=(SpillFile&& other) noexcept;
    ~SpillFile();
};

struct EntityStore {
    std::size_t buffer_size = std::size_t{1} << 20;  // 1 MiB of tail before a write
    std::unique_ptr<std::uint8_t[]> tail;            // bytes from `spilled` to `size`
    SpillFile file;
    std::string folder;        // where the file goes; empty: $TMPDIR, else /tmp
    std::uint64_t spilled = 0; // bytes already in the file (offsets 0..spilled-1)
    std::uint64_t size = 0;    // bytes appended so far
    bool failed = false;       // the file could not be made or written: appends are lost
    // Told after every piece that went to the file (store.spilled has moved):
    // the DXF body formatter reads the pieces from there while the store grows.
    void (*on_spill)(void* data, const EntityStore& store) = nullptr;
    void* on_spill_data = nullptr;
};

// An unnamed read-write file in folder (empty: $TMPDIR, else /tmp), gone
// when closed; -1 when the folder cannot take one.
int open_unnamed_file(const std::string& folder);

// store_append for bytes that do not fit in the tail as it is (or before the
// tail exists): fills the tail, spills it to the file, goes on.
std::uint64_t append_spilling(EntityStore& store, const void* data, std::size_t n);

// Appends n bytes; returns the offset of the first of them. When the file
// cannot be created or written the store becomes `failed` (later appends are
// dropped, reads of the lost range fail) and the return value is still the
// offset the bytes would have had. Inline for the usual append that fits in
// the tail: one copy (every entity passes here).
inline std::uint64_t store_append(EntityStore& store, const void* data, std::size_t n) {
    const auto used = static_cast<std::size_t>(store.size - store.spilled);
    if (!store.tail || n > store.buffer_size - used)
        return append_spilling(store, data, n);
    std::memcpy(store.tail.get() + used, data, n);
    store.size += n;
    return store.size - n;
}

// Copies n bytes from offset into out. False when the range is not all inside
// the store or the file cannot be read.
bool store_read(const EntityStore& store, std::uint64_t offset, void* out, std::size_t n);

// Releases the buffer and the file; the store is empty again.
void store_clear(EntityStore& store);

// One piece of the file held by a cursor: the file's bytes from `start` (a
// multiple of the buffer size, as the file is written) for `length` bytes.
struct StoreWindow {
    std::unique_ptr<std::uint8_t[]> bytes{};
    std::uint64_t start = 0;
    std::size_t length = 0;
};

// Sequential reader over the store's records (see entity_codec.h for the
// record framing). It holds two pieces of the file, the one last loaded and
// the one before it, so walking the store front to back (and looking back at
// a blob just passed, or reading a record that runs on into the next piece)
// reads every piece once, in one large read.
struct StoreCursor {
    const EntityStore* store = nullptr;
    std::uint64_t position = 0;
    StoreWindow windows[2]{};
    int latest = 0;   // the window loaded last
};

// store_read through the cursor's window (the position is not moved).
bool cursor_read(StoreCursor& cursor, std::uint64_t offset, void* out, std::size_t n);

// The bytes from offset to the end of the piece of the store that holds them
// in memory (the window, loaded as needed, or the tail), without a copy;
// available is their count. Null (and 0) at or past the end of the store or
// when the file cannot be read. The bytes stay valid until the cursor moves
// its window or the store is appended to.
const std::uint8_t* cursor_view(StoreCursor& cursor, std::uint64_t offset, std::size_t& available);

}  // namespace penloom
