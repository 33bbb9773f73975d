// What the release 12 DWG writer (AC1009) shares during one save; not for
// callers.
//
// In: the Drawing. Out: the file, laid out as release 12 has it: a header of
// fixed layout (section addresses, the descriptors of ten tables and the
// header variables, with a CRC), then the entities section, the ten tables,
// the block entities and the extras, each between two 16-byte sentinels, and
// a closing copy of the addresses. Every entity and table record is a byte
// record of little-endian values ending in its own CRC. The header is
// written last, over a blank one, once the addresses are known; the entities
// stream through a buffer, each built in one reused scratch vector.
//
// dwg_r12_writer.cpp lays out the file and writes the tables;
// dwg_r12_header.cpp the header; dwg_r12_entities.cpp the entities.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "drawing/drawing.h"

namespace penloom {

// The save as a whole (dwg_r12_writer.cpp), called by save_drawing for kind
// 0 at version 4. Sets the library's last error on failure.
bool save_dwg_r12(Drawing& drawing, const std::string& path);

// Little-endian values appended to a byte vector.
struct R12Bytes {
    std::vector<std::uint8_t>& v;

    void raw(const void* p, std::size_t n) {
        const auto* b = static_cast<const std::uint8_t*>(p);
        v.insert(v.end(), b, b + n);
    }
    void rc(unsigned x) { v.push_back(static_cast<std::uint8_t>(x & 0xFF)); }
    void rs(int x) {
        rc(static_cast<unsigned>(x));
        rc(static_cast<unsigned>(x) >> 8);
    }
    void rl(std::uint32_t x) {
        for (int i = 0; i < 4; ++i) rc(x >> (8 * i));
    }
    void rd(double x) {
        std::uint64_t u;
        std::memcpy(&u, &x, 8);
        for (int i = 0; i < 8; ++i) rc(static_cast<unsigned>(u >> (8 * i)));
    }
    void pt2(const Point2& p) { rd(p.x), rd(p.y); }
    void pt2(const Point3& p) { rd(p.x), rd(p.y); }
    void pt3(const Point3& p) { rd(p.x), rd(p.y), rd(p.z); }
    // A text of fixed room: its bytes, cut to fit with one NUL left, then NULs.
    void fixed(std::string_view s, std::size_t room) {
        const std::size_t n = s.size() < room ? s.size() : room - 1;
        raw(s.data(), n);
        v.insert(v.end(), room - n, 0);
    }
    // A text of its own length (RS), up to a NUL.
    void tv(std::string_view s) {
        const std::size_t nul = s.find('\0');
        if (nul != std::string_view::npos) s = s.substr(0, nul);
        if (s.size() > 0x7FFF) s = s.substr(0, 0x7FFF);
        rs(static_cast<int>(s.size()));
        raw(s.data(), s.size());
    }
    std::size_t size() const { return v.size(); }
    void put_rs_at(std::size_t at, unsigned x) {
        v[at] = static_cast<std::uint8_t>(x & 0xFF);
        v[at + 1] = static_cast<std::uint8_t>((x >> 8) & 0xFF);
    }
};

// The file as it is written: a buffer in front of the descriptor.
struct R12Out {
    int fd = -1;
    std::vector<std::uint8_t> buffer;
    std::size_t capacity = 0;
    std::uint64_t offset = 0;          // file offset of the next byte
    std::uint64_t written = 0;         // bytes the file has taken
    std::uint64_t limit = UINT64_MAX;  // fault injection: fail once this many bytes are written
    bool failed = false;
};

void r12_write(R12Out& out, const std::uint8_t* data, std::size_t size);
bool r12_flush(R12Out& out);

// Sentinels framing the sections, in file order.
enum R12Sentinel {
    r12_entities_begin,
    r12_entities_end,
    r12_block_begin,
    r12_block_end,
    r12_layer_begin,
    r12_layer_end,
    r12_style_begin,
    r12_style_end,
    r12_ltype_begin,
    r12_ltype_end,
    r12_view_begin,
    r12_view_end,
    r12_ucs_begin,
    r12_ucs_end,
    r12_vport_begin,
    r12_vport_end,
    r12_appid_begin,
    r12_appid_end,
    r12_dimstyle_begin,
    r12_dimstyle_end,
    r12_vx_begin,
    r12_vx_end,
    r12_block_entities_begin,
    r12_block_entities_end,
    r12_extras_begin,
    r12_extras_end,
    r12_closing_begin,
    r12_closing_end,
    r12_sentinel_count
};
const std::uint8_t* r12_sentinel(R12Sentinel which);

// The ten tables in file order.
enum R12Table {
    r12_block,
    r12_layer,
    r12_style,
    r12_ltype,
    r12_view,
    r12_ucs,
    r12_vport,
    r12_appid,
    r12_dimstyle,
    r12_vx,
    r12_table_count
};

// Where one table lies: record size, count and file address.
struct R12TableSpan {
    std::uint16_t size = 0;
    std::uint16_t count = 0;
    std::uint32_t address = 0;
};

// Linetype indexes an entity or the header gives for BYBLOCK and BYLAYER.
constexpr int r12_linetype_byblock = 0x7FFE;
constexpr int r12_linetype_bylayer = 0x7FFF;

struct R12Context {
    R12Context(R12Out& o, const Drawing& d) : out(o), drawing(d) {}

    R12Out& out;
    const Drawing& drawing;

    // Table indexes by handle value, in the order the tables are written
    // (the first record of every name, as the DXF writer keeps them).
    std::unordered_map<std::uint64_t, int> layer_index;
    std::unordered_map<std::uint64_t, int> linetype_index;
    std::unordered_map<std::uint64_t, int> style_index;
    std::vector<std::string> layer_names;
    std::vector<std::string> linetype_names;
    std::vector<std::string> style_names;
    std::vector<std::string> ucs_names;
    std::vector<int> written_blocks;  // indexes into Drawing::blocks

    // Handles: whether entities carry them, and the made-up ones of the
    // VERTEX/SEQEND entities an LWPOLYLINE becomes.
    bool entity_handles = false;
    std::uint64_t next_extra_handle = 0;
    std::uint64_t handle_seed = 1;

    // Addresses the header gives.
    std::uint32_t entities_start = 0, entities_end = 0;
    std::uint32_t blocks_start = 0, blocks_size = 0;
    std::uint32_t extras_start = 0;
    R12TableSpan tables[r12_table_count];

    // Counts, for the tests.
    std::uint64_t entities_written = 0;
    // A table of more records than its word indexes reach: no file (error 32).
    bool too_many_records = false;
};

// Index of a layer/linetype/style name in its table; -1 when not there.
int r12_find_name(const std::vector<std::string>& names, std::string_view name);

// Bytes of the header from the magic up to its CRC (dwg_r12_header.cpp).
// Addresses and table spans come from the context. False when a field would
// not land at its fixed place.
bool put_r12_header(const R12Context& c, std::vector<std::uint8_t>& out);
constexpr std::size_t r12_header_size = 0x6BD;

// The entities of every block into the entities section, streamed to the
// file (dwg_r12_entities.cpp). False when the store cannot be read back.
bool write_r12_entities(R12Context& c);

// Record header of an entity: type, flags, size (patched by the caller),
// layer index and option bits. Returns where the size goes.
std::size_t r12_entity_start(R12Bytes& b, int type, int flags, int layer, int options);
// Fixes the size and appends the CRC.
void r12_entity_end(R12Bytes& b, std::size_t size_at);

}  // namespace penloom
