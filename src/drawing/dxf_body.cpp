// The ENTITIES text formatted beside the interpreter (see dxf_body.h).
#include "drawing/dxf_body.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/falloc.h>
#include <system_error>
#include <unistd.h>

#include "drawing/drawing_internal.h"

namespace penloom {

namespace {

std::unordered_map<std::uint64_t, std::string>& names_of(SaveContext& c, int table) {
    return table == layer_table ? c.layer_names : table == linetype_table ? c.linetype_names : c.style_names;
}

const std::unordered_map<std::uint64_t, std::string>& names_of(const SaveContext& c, int table) {
    return names_of(const_cast<SaveContext&>(c), table);
}

// The folder a file of path goes into.
std::string folder_of(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The store has written another piece to its file (interpreter's thread).
void publish(void* data, const EntityStore& store) {
    DxfBody& body = *static_cast<DxfBody*>(data);
    {
        const std::lock_guard lock(body.mutex);
        if (body.store_fd < 0 && store.file.fd >= 0)
            body.store_fd = ::fcntl(store.file.fd, F_DUPFD_CLOEXEC, 0);
        if (body.store_fd >= 0)
            body.published = store.spilled;
    }
    body.wake.notify_one();
}

// Waits for more of the store; false when the drawing goes away unsaved.
// `last` is set once the view holds the whole store.
bool take_more(DxfBody& body, bool& last) {
    EntityStore& view = body.view;
    std::unique_lock lock(body.mutex);
    body.wake.wait(lock, [&] { return body.stopping || body.finishing || body.published > view.size; });
    if (body.stopping)
        return false;
    if (view.file.fd < 0 && body.store_fd >= 0) {
        view.file.fd = body.store_fd;
        body.store_fd = -1;
    }
    view.spilled = view.size = body.published;
    if (body.finishing) {
        view.tail = std::move(body.final_tail);
        view.size = body.final_size;
        last = true;
    }
    return true;
}

// The formatter thread: every entity of the model space, in store order, as
// it becomes readable.
void format_entities(DxfBody& body) {
    SaveContext& c = *body.context;
    c.cursor.store = &body.view;
    c.cursor.position = 0;
    RecordKind kind;
    std::span<const std::uint8_t> payload;
    bool last = false;
    // A formatter stopped before the end leaves its text unfinished: failed.
    while (!last) {
        if (!take_more(body, last)) {
            body.failed = true;
            return;
        }
        while (next_record(c.cursor, kind, c.payload, payload)) {
            if (kind != RecordKind::entity)
                continue;
            if (!decode_entity(payload, body.lwpolyline_code, body.hatch_code, c.entity)) {
                body.failed = true;
                return;
            }
            if (c.entity.list != body.owner.entities.id)
                continue;
            if (body.abandon.load(std::memory_order_relaxed)) {
                body.failed = true;
                return;
            }
            write_entity(c, c.entity, body.owner);
            if (c.out.failed) {
                body.failed = true;
                return;
            }
        }
    }
    body.failed = !out_flush(c.out);
}

void run_formatter(DxfBody& body) {
    try {
        format_entities(body);
    } catch (...) {
        body.failed = true;   // out of memory: the save writes the file itself
    }
    {
        const std::lock_guard lock(body.mutex);
        body.done = true;
    }
    body.wake_saver.notify_one();
}

// Stops the formatter (if it still runs) and waits for it.
void stop(DxfBody& body) {
    if (!body.thread.joinable())
        return;
    body.abandon.store(true, std::memory_order_relaxed);
    {
        const std::lock_guard lock(body.mutex);
        body.stopping = true;
    }
    body.wake.notify_one();
    body.thread.join();
}

// Copies n bytes of from (at from_offset) into to (at to_offset): in the
// kernel, or, where it will not copy between these two files (another file
// system, an old kernel), by reading and writing through a buffer of our own.
bool copy_range(int from, std::uint64_t from_offset, int to, std::uint64_t to_offset, std::uint64_t n) {
    auto in = static_cast<off_t>(from_offset);
    auto at = static_cast<off_t>(to_offset);
    while (n > 0) {
        const ssize_t done = ::copy_file_range(from, &in, to, &at, static_cast<std::size_t>(n), 0);
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                         errno == EBADF || errno == ETXTBSY))
            break;
        if (done <= 0)
            return false;
        n -= static_cast<std::uint64_t>(done);
    }
    std::unique_ptr<char[]> buffer;
    constexpr std::size_t buffer_size = std::size_t{1} << 20;
    while (n > 0) {
        if (!buffer)
            buffer = std::make_unique_for_overwrite<char[]>(buffer_size);
        const ssize_t got = ::pread(from, buffer.get(), static_cast<std::size_t>(std::min<std::uint64_t>(n, buffer_size)), in);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        for (ssize_t put = 0; put < got;) {
            const ssize_t w = ::pwrite(to, buffer.get() + put, static_cast<std::size_t>(got - put), at);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return false;
            put += w;
            at += w;
        }
        in += got;
        n -= static_cast<std::uint64_t>(got);
    }
    return true;
}

// The text is copied in pieces (DrawingLibrary::copy_piece); the pieces
// already copied are cut out of its file (hole punching) on a second thread
// meanwhile. Left to the close, freeing gigabytes of page cache would add a
// good part of the copy's time again to the save.

struct BehindTheCopy {
    int fd;
    std::mutex mutex{};
    std::condition_variable wake{};
    std::uint64_t copied = 0;
    bool finished = false;
};

void release_behind(BehindTheCopy& behind) {
    std::uint64_t released = 0;
    for (;;) {
        std::uint64_t upto;
        bool last;
        {
            std::unique_lock lock(behind.mutex);
            behind.wake.wait(lock, [&] { return behind.finished || behind.copied > released; });
            upto = behind.copied;
            last = behind.finished;
        }
        if (upto > released)
            (void)::fallocate(behind.fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, static_cast<off_t>(released),
                              static_cast<off_t>(upto - released));
        released = upto;
        if (last)
            return;
    }
}

}  // namespace

void DxfBodyDelete::operator()(DxfBody* body) const {
    if (!body)
        return;
    stop(*body);
    if (body->store_fd >= 0)
        ::close(body->store_fd);
    delete body;
}

bool begin_dxf_body(Drawing& drawing, const std::string& path, int version, int decimal_places) {
    if (drawing.dxf_body || version < version_r12 || version > version_2000 ||
        (drawing.version < version_2000 && version >= version_2000))
        return false;
    std::unique_ptr<DxfBody, DxfBodyDelete> body(new DxfBody);
    body->text.fd = open_unnamed_file(folder_of(path));
    if (body->text.fd < 0)
        return false;
    body->version = version;
    body->decimal_places = decimal_places;
    body->owner = drawing.blocks.front();
    body->lwpolyline_code = lwpolyline_type(drawing);
    body->hatch_code = hatch_type(drawing);
    body->view.buffer_size = drawing.store.buffer_size;

    const DrawingLibrary& lib = *drawing.library;
    out_open(body->out, body->text.fd, std::max<std::size_t>(lib.output_buffer, 256), UINT64_MAX,
             make_number_format(decimal_places, false));
    body->out.progress = &body->progress;
    body->copy_piece = std::max<std::uint64_t>(lib.copy_piece, 1);
    body->context = std::make_unique<SaveContext>(body->out, drawing, version);
    SaveContext& c = *body->context;
    // R12 files from the translator carry no handles ($HANDLING is cleared
    // for them); a save that finds it set writes the file itself.
    c.entity_handles = version >= version_r13;
    c.live = &body->live;
    if (!drawing.layers.records.empty())
        c.default_layer_name = written_name(c, drawing.layers.records.front().name);
    c.linetype_names.emplace(handle_value(drawing.byblock_linetype), "BYBLOCK");
    c.linetype_names.emplace(handle_value(drawing.bylayer_linetype), "BYLAYER");
    for (const LayerTableRecord& r : drawing.layers.records)
        body->live.names[layer_table].emplace(handle_value(r.handle), r.name);
    for (const LinetypeTableRecord& r : drawing.linetypes.records)
        body->live.names[linetype_table].emplace(handle_value(r.handle), r.name);
    for (const TextStyleTableRecord& r : drawing.text_styles.records)
        body->live.names[style_table].emplace(handle_value(r.handle), r.name);
    for (const NameTable table : {layer_table, linetype_table})
        for (const auto& [handle, name] : drawing.announced_names[table])
            body->live.names[table].emplace(handle, name);

    // Whatever the store has written already is there to read at once.
    if (drawing.store.file.fd >= 0 && !drawing.store.failed) {
        body->store_fd = ::fcntl(drawing.store.file.fd, F_DUPFD_CLOEXEC, 0);
        if (body->store_fd >= 0)
            body->published = drawing.store.spilled;
    }
    try {
        body->thread = std::thread(run_formatter, std::ref(*body));
    } catch (const std::system_error&) {
        return false;
    }
    drawing.store.on_spill = publish;
    drawing.store.on_spill_data = body.get();
    drawing.dxf_body = std::move(body);
    return true;
}

namespace {

// Kept in the drawing too, for a formatter that starts later.
void announce(Drawing& drawing, NameTable table, const Handle& handle, std::string_view name) {
    drawing.announced_names[table].emplace(handle_value(handle), name);
    if (!drawing.dxf_body)
        return;
    LiveNames& live = drawing.dxf_body->live;
    const std::lock_guard lock(live.mutex);
    live.names[table].emplace(handle_value(handle), name);
}

}  // namespace

void announce_layer(Drawing& drawing, const Handle& handle, std::string_view name) {
    announce(drawing, layer_table, handle, name);
}

void announce_linetype(Drawing& drawing, const Handle& handle, std::string_view name) {
    announce(drawing, linetype_table, handle, name);
}

void note_record_name(Drawing& drawing, int table, const Handle& handle, const std::string& name) {
    if (!drawing.dxf_body || table < 0 || table >= name_table_count)
        return;
    LiveNames& live = drawing.dxf_body->live;
    const std::lock_guard lock(live.mutex);
    live.names[table].insert_or_assign(handle_value(handle), name);
}

const std::string* record_name(SaveContext& c, NameTable table, std::uint64_t handle) {
    auto& names = names_of(c, table);
    if (const auto it = names.find(handle); it != names.end())
        return &it->second;
    if (!c.live || c.absent[table].contains(handle))
        return nullptr;
    std::string name;
    bool known = false;
    {
        const std::lock_guard lock(c.live->mutex);
        const auto& live = c.live->names[table];
        if (const auto it = live.find(handle); it != live.end()) {
            name = it->second;
            known = true;
        }
    }
    if (!known) {
        c.absent[table].insert(handle);
        return nullptr;
    }
    return &names.emplace(handle, written_name(c, name)).first->second;
}

std::unique_ptr<DxfBody, DxfBodyDelete> finish_dxf_body(Drawing& drawing) {
    std::unique_ptr<DxfBody, DxfBodyDelete> body = std::move(drawing.dxf_body);
    if (!body)
        return body;
    EntityStore& store = drawing.store;
    store.on_spill = nullptr;
    store.on_spill_data = nullptr;
    {
        const std::lock_guard lock(body->mutex);
        if (body->store_fd < 0 && body->view.file.fd < 0 && store.file.fd >= 0)
            body->store_fd = ::fcntl(store.file.fd, F_DUPFD_CLOEXEC, 0);
        const bool reachable = store.spilled == 0 || body->store_fd >= 0 || body->view.file.fd >= 0;
        if (store.failed || !reachable) {
            body->stopping = true;   // part of the store is lost or out of reach
        } else {
            const std::size_t rest = static_cast<std::size_t>(store.size - store.spilled);
            body->published = store.spilled;
            body->final_size = store.size;
            if (rest > 0) {
                body->final_tail = std::make_unique_for_overwrite<std::uint8_t[]>(rest);
                std::memcpy(body->final_tail.get(), store.tail.get(), rest);
            }
            body->finishing = true;
        }
    }
    body->wake.notify_one();
    return body;
}

bool dxf_body_suits(DxfBody& body, const SaveContext& c, bool negative_zero) {
    bool suits = !negative_zero && c.version == body.version &&
                 c.out.format.decimal_places == body.out.format.decimal_places &&
                 c.entity_handles == body.context->entity_handles;
    for (const Block& block : c.drawing.blocks)
        if (block.entities.count != 0 && block.entities.id != body.owner.entities.id)
            suits = false;
    {
        const std::lock_guard lock(body.mutex);
        suits = suits && body.finishing;   // not stopped for a store that lost data
    }
    if (!suits)
        stop(body);
    return suits;
}

namespace {

// Whether every name the formatter used is the one the save writes, and
// every handle it found no name for still has none.
bool names_agree(const DxfBody& body, const SaveContext& c) {
    const SaveContext& early = *body.context;
    if (early.default_layer_name != c.default_layer_name)
        return false;
    for (int table = 0; table < name_table_count; ++table) {
        const auto& final_names = names_of(c, table);
        for (const auto& [handle, name] : names_of(early, table)) {
            const auto it = final_names.find(handle);
            if (it == final_names.end() || it->second != name)
                return false;
        }
        for (const std::uint64_t handle : early.absent[table])
            if (final_names.contains(handle))
                return false;
    }
    return true;
}

// Copies the text into the output piece by piece, the pieces copied being
// punched out of the text's file on a second thread (see release_behind).
struct Copier {
    int from;
    int to;
    std::uint64_t at;          // where the text starts in the output
    std::uint64_t piece;
    std::uint64_t copied = 0;
    BehindTheCopy behind{from};
    std::thread freeing{};

    Copier(int from_fd, int to_fd, std::uint64_t offset, std::uint64_t piece_size)
        : from(from_fd), to(to_fd), at(offset), piece(piece_size) {}
    ~Copier() { finish(); }

    bool copy_to(std::uint64_t end) {
        while (copied < end) {
            const std::uint64_t n = std::min(piece, end - copied);
            if (!copy_range(from, copied, to, at + copied, n))
                return false;
            copied += n;
            if (!freeing.joinable()) {
                try {
                    freeing = std::thread(release_behind, std::ref(behind));
                } catch (const std::system_error&) {
                }
            }
            {
                const std::lock_guard lock(behind.mutex);
                behind.copied = copied;
            }
            behind.wake.notify_one();
        }
        return true;
    }

    void finish() {
        if (!freeing.joinable())
            return;
        {
            const std::lock_guard lock(behind.mutex);
            behind.finished = true;
        }
        behind.wake.notify_one();
        freeing.join();
    }
};

}  // namespace

bool copy_dxf_body(DxfBody& body, const SaveContext& c, DxfOut& out) {
    if (!out_flush(out)) {
        stop(body);
        return false;
    }
    // The output has been written front to back, so its offset is out.written.
    Copier copier(body.text.fd, out.fd, out.written, body.copy_piece);
    bool ok = true;
    // While the formatter finishes what the interpreter left it, its text so
    // far goes in (not under the fault injection's limit, which is checked
    // on the whole text below).
    while (ok && out.limit == UINT64_MAX) {
        std::unique_lock lock(body.mutex);
        body.wake_saver.wait_for(lock, std::chrono::milliseconds(2), [&] {
            return body.done || body.progress.load(std::memory_order_acquire) - copier.copied >= copier.piece;
        });
        const bool done = body.done;
        lock.unlock();
        if (done)
            break;
        const std::uint64_t ready = body.progress.load(std::memory_order_acquire);
        if (ready - copier.copied >= copier.piece)
            ok = copier.copy_to(ready - ready % copier.piece);
    }
    if (body.thread.joinable())
        body.thread.join();   // it ends by itself once the store is formatted
    if (!ok) {
        out.failed = true;
        return false;
    }
    if (body.failed || !names_agree(body, c))
        return false;

    std::uint64_t size = body.out.written;
    const bool cut = size > out.limit - out.written;   // fault injection: the "disk" fills up
    if (cut)
        size = out.limit - out.written;
    if (!copier.copy_to(size) || ::lseek(out.fd, static_cast<off_t>(copier.at + size), SEEK_SET) < 0) {
        out.failed = true;
        return false;
    }
    copier.finish();
    out.written += size;
    if (cut)
        out.failed = true;
    return !cut;
}

}  // namespace penloom
