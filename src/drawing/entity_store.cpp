// Append-only byte store on an anonymous temporary file (see entity_store.h).
#include "drawing/entity_store.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace penloom {

int open_unnamed_file(const std::string& folder) {
    std::string dir = folder;
    if (dir.empty()) {
        const char* env = std::getenv("TMPDIR");
        dir = env && *env ? env : "/tmp";
    }
    int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    // File systems without O_TMPFILE: a named file, unlinked at once.
    std::string name = dir + "/penloom-store-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        ::unlink(name.c_str());
    return fd;
}

namespace {

bool write_all(int fd, const std::uint8_t* p, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

bool read_all(int fd, std::uint64_t offset, std::uint8_t* p, std::size_t n) {
    while (n > 0) {
        const ssize_t r = ::pread(fd, p, n, static_cast<off_t>(offset));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        p += r;
        n -= static_cast<std::size_t>(r);
        offset += static_cast<std::uint64_t>(r);
    }
    return true;
}

// Moves the full tail to the file.
void spill(EntityStore& store) {
    if (!store.failed && store.file.fd < 0) {
        store.file.fd = open_unnamed_file(store.folder);
        store.failed = store.file.fd < 0;
    }
    const std::size_t used = static_cast<std::size_t>(store.size - store.spilled);
    if (!store.failed && !write_all(store.file.fd, store.tail.get(), used))
        store.failed = true;
    store.spilled = store.size;
    if (store.on_spill && !store.failed)
        store.on_spill(store.on_spill_data, store);
}

bool in_range(const EntityStore& store, std::uint64_t offset, std::size_t n) {
    return !store.failed && offset <= store.size && n <= store.size - offset;
}

}  // namespace

SpillFile& SpillFile::operator=(SpillFile&& other) noexcept {
    if (this != &other) {
        if (fd >= 0)
            ::close(fd);
        fd = other.fd;
        other.fd = -1;
    }
    return *this;
}

SpillFile::~SpillFile() {
    if (fd >= 0)
        ::close(fd);
}

std::uint64_t append_spilling(EntityStore& store, const void* data, std::size_t n) {
    const std::uint64_t start = store.size;
    if (!store.tail)
        store.tail = std::make_unique_for_overwrite<std::uint8_t[]>(store.buffer_size);
    const auto* from = static_cast<const std::uint8_t*>(data);
    while (n > 0) {
        std::size_t used = static_cast<std::size_t>(store.size - store.spilled);
        if (used == store.buffer_size) {
            spill(store);
            used = 0;
        }
        const std::size_t take = std::min(n, store.buffer_size - used);
        std::memcpy(store.tail.get() + used, from, take);
        from += take;
        n -= take;
        store.size += take;
    }
    return start;
}

bool store_read(const EntityStore& store, std::uint64_t offset, void* out, std::size_t n) {
    if (!in_range(store, offset, n))
        return false;
    auto* to = static_cast<std::uint8_t*>(out);
    if (offset < store.spilled) {
        const std::size_t from_file = static_cast<std::size_t>(std::min<std::uint64_t>(n, store.spilled - offset));
        if (!read_all(store.file.fd, offset, to, from_file))
            return false;
        to += from_file;
        offset += from_file;
        n -= from_file;
    }
    if (n > 0)
        std::memcpy(to, store.tail.get() + (offset - store.spilled), n);
    return true;
}

void store_clear(EntityStore& store) {
    store.tail.reset();
    store.file = SpillFile{};
    store.spilled = 0;
    store.size = 0;
    store.failed = false;
}

namespace {

// The window that holds offset (inside the file part of the store), loading
// its piece into the older window when neither holds it. Null when the file
// cannot be read.
const StoreWindow* window_for(StoreCursor& cursor, std::uint64_t offset) {
    for (const int i : {cursor.latest, 1 - cursor.latest}) {
        const StoreWindow& w = cursor.windows[i];
        if (w.bytes && offset >= w.start && offset - w.start < w.length)
            return &w;
    }
    const EntityStore& store = *cursor.store;
    const int slot = 1 - cursor.latest;
    StoreWindow& w = cursor.windows[slot];
    if (!w.bytes)
        w.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(store.buffer_size);
    const std::uint64_t start = offset - offset % store.buffer_size;
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(store.buffer_size, store.spilled - start));
    w.length = 0;
    if (!read_all(store.file.fd, start, w.bytes.get(), length))
        return nullptr;
    w.start = start;
    w.length = length;
    cursor.latest = slot;
    return &w;
}

}  // namespace

bool cursor_read(StoreCursor& cursor, std::uint64_t offset, void* out, std::size_t n) {
    const EntityStore& store = *cursor.store;
    if (!in_range(store, offset, n))
        return false;
    auto* to = static_cast<std::uint8_t*>(out);
    while (n > 0 && offset < store.spilled) {
        const StoreWindow* w = window_for(cursor, offset);
        if (!w)
            return false;
        const std::size_t at = static_cast<std::size_t>(offset - w->start);
        const std::size_t take = std::min(n, w->length - at);
        std::memcpy(to, w->bytes.get() + at, take);
        to += take;
        offset += take;
        n -= take;
    }
    if (n > 0)
        std::memcpy(to, store.tail.get() + (offset - store.spilled), n);
    return true;
}

const std::uint8_t* cursor_view(StoreCursor& cursor, std::uint64_t offset, std::size_t& available) {
    const EntityStore& store = *cursor.store;
    available = 0;
    if (store.failed || offset >= store.size)
        return nullptr;
    if (offset >= store.spilled) {
        available = static_cast<std::size_t>(store.size - offset);
        return store.tail.get() + (offset - store.spilled);
    }
    const StoreWindow* w = window_for(cursor, offset);
    if (!w)
        return nullptr;
    const std::size_t at = static_cast<std::size_t>(offset - w->start);
    available = w->length - at;
    return w->bytes.get() + at;
}

}  // namespace penloom
