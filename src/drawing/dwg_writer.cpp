// DWG save: object framing shared by every object writer, the common parts
// of an entity, and the file output. In: the objects a writer builds in a
// BitWriter. Out: their frames in the file and a map row for each.
#include <cerrno>
#include <unistd.h>

#include "drawing/dwg_writer_internal.h"

namespace penloom {

void dwg_out_write(DwgOut& out, const std::uint8_t* data, std::size_t size) {
    if (out.failed)
        return;
    while (size > 0) {
        if (out.buffer.size() == out.capacity) {
            std::size_t done = 0;
            while (done < out.buffer.size()) {
                std::size_t want = out.buffer.size() - done;
                if (out.offset - out.buffer.size() + done + want > out.limit)
                    want = static_cast<std::size_t>(out.limit - (out.offset - out.buffer.size() + done));
                const ssize_t n = want == 0 ? -1 : ::write(out.fd, out.buffer.data() + done, want);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    out.failed = true;
                    return;
                }
                done += static_cast<std::size_t>(n);
            }
            out.buffer.clear();
        }
        const std::size_t room = out.capacity - out.buffer.size();
        const std::size_t take = size < room ? size : room;
        out.buffer.insert(out.buffer.end(), data, data + take);
        out.offset += take;
        data += take;
        size -= take;
    }
}

void begin_object(DwgContext& c, BitWriter& w, std::uint16_t type, std::uint64_t handle) {
    bits_clear(w);
    put_bs(w, type);
    if (c.is_2000()) {
        c.size_at = bit_size(w);
        put_rl(w, 0);
    }
    put_h(w, 0, handle);
    put_bs(w, 0);   // no extended data
    if (!c.is_2000()) {
        c.size_at = bit_size(w);
        put_rl(w, 0);
    }
    c.current_handle = handle;
}

void begin_entity(DwgContext& c, BitWriter& w, std::uint16_t type, std::uint64_t handle) {
    bits_clear(w);
    put_bs(w, type);
    if (c.is_2000()) {
        c.size_at = bit_size(w);
        put_rl(w, 0);
    }
    put_h(w, 0, handle);
    put_bs(w, 0);   // no extended data
    put_b(w, false); // no graphic image
    if (!c.is_2000()) {
        c.size_at = bit_size(w);
        put_rl(w, 0);
    }
    c.current_handle = handle;
}

void start_handles(DwgContext& c, BitWriter& w) {
    patch_rl(w, c.size_at, static_cast<std::uint32_t>(bit_size(w)));
}

void end_object(DwgContext& c, BitWriter& w) {
    BitWriter& f = c.frame;
    bits_clear(f);
    put_ms(f, static_cast<std::uint32_t>(byte_size(w)));
    f.bytes.insert(f.bytes.end(), w.bytes.begin(), w.bytes.end());
    const std::uint16_t crc = dwg_crc(f.bytes.data(), f.bytes.size(), dwg_crc_seed);
    f.bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    f.bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    const DwgMapEntry row{c.current_handle, c.out.offset};
    (c.writing_entities ? c.entity_map : c.object_map).push_back(row);
    dwg_out_write(c.out, f.bytes.data(), f.bytes.size());
}

std::uint8_t dwg_lineweight(std::int16_t lineweight) {
    static constexpr std::int16_t weights[24] = {0,  5,  9,  13, 15, 18,  20,  25,  30,  35,  40,  50,
                                                 53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};
    if (lineweight == -1)
        return 29;
    if (lineweight == -2)
        return 30;
    if (lineweight < 0)
        return 31;
    // The nearest of the standard weights (a value between two goes up).
    std::uint8_t best = 0;
    for (std::uint8_t i = 0; i < 24; ++i) {
        const int here = weights[i] - lineweight, there = weights[best] - lineweight;
        if ((here < 0 ? -here : here) <= (there < 0 ? -there : there))
            best = i;
    }
    return best;
}

void put_entity_common(DwgContext& c, BitWriter& w, const DwgEntityCommon& e) {
    put_bb(w, e.mode);
    put_bl(w, 0);   // no reactors
    if (!c.is_2000())
        put_b(w, e.linetype_bylayer);
    put_b(w, false); // neighbours written out
    put_cmc(w, e.color);
    put_bd(w, e.linetype_scale);
    if (c.is_2000()) {
        put_bb(w, e.linetype_bylayer ? 0 : e.linetype_byblock ? 1 : 3);
        put_bb(w, 0);   // plot style BYLAYER
    }
    put_bs(w, e.invisible ? 1 : 0);
    if (c.is_2000())
        put_rc(w, dwg_lineweight(e.lineweight));
}

void put_entity_handles(DwgContext& c, BitWriter& w, const DwgEntityCommon& e) {
    if (e.mode == 0)
        put_h(w, 4, e.owner);
    put_h(w, 3, 0);   // no extension dictionary
    if (!c.is_2000()) {
        put_h(w, 5, e.layer);
        if (!e.linetype_bylayer)
            put_h(w, 5, e.linetype);
    }
    put_h(w, 4, e.previous);
    put_h(w, 4, e.next);
    if (c.is_2000()) {
        put_h(w, 5, e.layer);
        if (!e.linetype_bylayer && !e.linetype_byblock)
            put_h(w, 5, e.linetype);
    }
}

// Until the entity writer is linked in, drawings are saved without entities.
[[gnu::weak]] bool write_dwg_entities(DwgContext& c) {
    (void)c;
    return true;
}

}  // namespace penloom
