// Release 12 DWG (AC1009): the file layout, the ten tables and the save.
// In: a Drawing. Out: a blank header, the entities section, the tables
// BLOCK, LAYER, STYLE, LTYPE, VIEW, UCS, VPORT, APPID, DIMSTYLE and VX (the
// last empty, as in the R12 DXF, which has no viewport entities), the block
// entities (BLOCK and ENDBLK of every block but the two layouts, whose
// entities go into the entities section as the R12 DXF writes them), the
// empty extras and the closing copy of the addresses; then the real header
// over the blank one. Written to a temporary file renamed over the target
// only when all went well, with the same errors as the other writers.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <unordered_set>

#include "drawing/drawing_internal.h"
#include "drawing/dwg_bits.h"
#include "drawing/dwg_r12_internal.h"
#include "drawing/dwg_writer_internal.h"
#include "drawing/dxf_writer_internal.h"
#include "drawing/save_file.h"

namespace penloom {

namespace {

// clang-format off
constexpr std::uint8_t sentinels[r12_sentinel_count][16] = {
    {0xC4, 0x6E, 0x68, 0x54, 0xF8, 0x6E, 0x33, 0x30, 0x63, 0x3E, 0xC1, 0x85, 0x2A, 0xDC, 0x94, 0x01},
    {0x3B, 0x91, 0x97, 0xAB, 0x07, 0x91, 0xCC, 0xCF, 0x9C, 0xC1, 0x3E, 0x7A, 0xD5, 0x23, 0x6B, 0xFE},
    {0xDB, 0xEF, 0xB3, 0xF0, 0xC7, 0x3E, 0x6D, 0xA6, 0xC9, 0xB6, 0x24, 0x5C, 0x4C, 0x6F, 0x32, 0xCB},
    {0x24, 0x10, 0x4C, 0x0F, 0x38, 0xC1, 0x92, 0x59, 0x36, 0x49, 0xDB, 0xA3, 0xB3, 0x90, 0xCD, 0x34},
    {0x0E, 0xC4, 0x64, 0x6F, 0xBB, 0x1D, 0xD3, 0x8B, 0x00, 0x49, 0xC2, 0xEF, 0x18, 0xEA, 0x6F, 0xFB},
    {0xF1, 0x3B, 0x9B, 0x90, 0x44, 0xE2, 0x2C, 0x74, 0xFF, 0xB6, 0x3D, 0x10, 0xE7, 0x15, 0x90, 0x04},
    {0xE2, 0x3E, 0xC1, 0x82, 0x43, 0x9F, 0x61, 0x77, 0x50, 0xAB, 0xC7, 0x66, 0x96, 0x00, 0x06, 0x18},
    {0x1D, 0xC1, 0x3E, 0x7D, 0xBC, 0x60, 0x9E, 0x88, 0xAF, 0x54, 0x38, 0x99, 0x69, 0xFF, 0xF9, 0xE7},
    {0xAC, 0x90, 0x1A, 0xCA, 0x1C, 0xBD, 0x95, 0x15, 0x16, 0x16, 0x4C, 0x14, 0xCE, 0x18, 0x88, 0xAF},
    {0x53, 0x6F, 0xE5, 0x35, 0xE3, 0x42, 0x6A, 0xEA, 0xE9, 0xE9, 0xB3, 0xEB, 0x31, 0xE7, 0x77, 0x50},
    {0xC1, 0x3C, 0xAA, 0x56, 0x68, 0xF4, 0xB4, 0x1E, 0x4B, 0x74, 0xF4, 0x08, 0x42, 0x4D, 0xBF, 0xA5},
    {0x3E, 0xC3, 0x55, 0xA9, 0x97, 0x0B, 0x4B, 0xE1, 0xB4, 0x8B, 0x0B, 0xF7, 0xBD, 0xB2, 0x40, 0x5A},
    {0x60, 0x4A, 0xFA, 0x3D, 0x84, 0x90, 0xCC, 0x5B, 0xEF, 0xE7, 0xD6, 0xA5, 0x7F, 0x1E, 0x61, 0xCD},
    {0x9F, 0xB5, 0x05, 0xC2, 0x7B, 0x6F, 0x33, 0xA4, 0x10, 0x18, 0x29, 0x5A, 0x80, 0xE1, 0x9E, 0x32},
    {0xF6, 0xED, 0x44, 0x61, 0x2A, 0xDC, 0xE4, 0x7B, 0x4E, 0xB9, 0x2B, 0xBB, 0x66, 0x60, 0x63, 0x8D},
    {0x09, 0x12, 0xBB, 0x9E, 0xD5, 0x23, 0x1B, 0x84, 0xB1, 0x46, 0xD4, 0x44, 0x99, 0x9F, 0x9C, 0x72},
    {0xE1, 0x25, 0xC2, 0x50, 0x36, 0x68, 0x6C, 0x0C, 0x3B, 0xD3, 0x5D, 0x56, 0xC1, 0x79, 0x1C, 0x3A},
    {0x1E, 0xDA, 0x3D, 0xAF, 0xC9, 0x97, 0x93, 0xF3, 0xC4, 0x2C, 0xA2, 0xA9, 0x3E, 0x86, 0xE3, 0xC5},
    {0xB4, 0x18, 0x3E, 0x42, 0xC9, 0x9F, 0xFF, 0xE5, 0xB6, 0xE2, 0xCB, 0xB3, 0x75, 0xC3, 0xC3, 0xB0},
    {0x4B, 0xE7, 0xC1, 0xBD, 0x36, 0x60, 0x00, 0x1A, 0x49, 0x1D, 0x34, 0x4C, 0x8A, 0x3C, 0x3C, 0x4F},
    {0xE0, 0xCA, 0x36, 0x7C, 0xCE, 0xE7, 0x58, 0x6F, 0x2B, 0x7D, 0x74, 0x55, 0x05, 0xF1, 0x44, 0x7F},
    {0x1F, 0x35, 0xC9, 0x83, 0x31, 0x18, 0xA7, 0x90, 0xD4, 0x82, 0x8B, 0xAA, 0xFA, 0x0E, 0xBB, 0x80},
    {0x72, 0x2B, 0x7D, 0xEC, 0x3E, 0x8C, 0x88, 0x6C, 0x7A, 0x72, 0x0A, 0xFD, 0xC8, 0x6C, 0x84, 0x26},
    {0x8D, 0xD4, 0x82, 0x13, 0xC1, 0x73, 0x77, 0x93, 0x85, 0x8D, 0xF5, 0x02, 0x37, 0x93, 0x7B, 0xD9},
    {0xD5, 0xF9, 0xD3, 0xBB, 0x0A, 0xA9, 0x69, 0xA6, 0xCD, 0x1C, 0x87, 0xC7, 0xEE, 0x80, 0x4B, 0x17},
    {0x2A, 0x06, 0x2C, 0x44, 0xF5, 0x56, 0x96, 0x59, 0x32, 0xE3, 0x78, 0x38, 0x11, 0x7F, 0xB4, 0xE8},
    {0x29, 0x8D, 0xD1, 0x49, 0xA9, 0x73, 0x1F, 0xEA, 0x99, 0xDE, 0x32, 0xF9, 0x4D, 0x0A, 0xE0, 0x19},
    {0xD6, 0x72, 0x2E, 0xB6, 0x56, 0x8C, 0xE0, 0x15, 0x66, 0x21, 0xCD, 0x06, 0xB2, 0xF5, 0x1F, 0xE6},
};
// clang-format on

// Record sizes of the ten tables, CRC included.
constexpr std::uint16_t record_sizes[r12_table_count] = {45,  41,  198, 191, 153,
                                                         109, 253, 37,  324, 43};
// The numbers the closing header gives the tables.
constexpr std::uint16_t table_numbers[r12_table_count] = {1, 2, 3, 5, 6, 7, 8, 9, 10, 11};

bool write_buffer(R12Out& out) {
    std::size_t done = 0;
    while (done < out.buffer.size()) {
        std::size_t want = out.buffer.size() - done;
        if (out.written + want > out.limit)
            want = out.written < out.limit ? static_cast<std::size_t>(out.limit - out.written) : 0;
        if (want == 0) {
            out.failed = true;
            return false;
        }
        const ssize_t n = ::write(out.fd, out.buffer.data() + done, want);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            out.failed = true;
            return false;
        }
        done += static_cast<std::size_t>(n);
        out.written += static_cast<std::uint64_t>(n);
    }
    out.buffer.clear();
    return true;
}

void sentinel(R12Context& c, R12Sentinel which) {
    r12_write(c.out, sentinels[which], 16);
}

std::uint32_t offset32(R12Context& c) {
    if (c.out.offset > 0xFFFFFFFFu)
        c.out.failed = true;  // past what the release's addresses can hold
    return static_cast<std::uint32_t>(c.out.offset);
}

// Names as the R12 DXF writes them: the first record of every legacy name.
template <class Record>
void collect(const std::vector<Record>& records, std::vector<std::string>& names,
             std::unordered_map<std::uint64_t, int>* index, bool skip_by_names = false) {
    for (const Record& r : records) {
        const std::string name = legacy_name(r.name);
        if (skip_by_names && (name == "BYBLOCK" || name == "BYLAYER")) continue;
        int i = r12_find_name(names, name);
        if (i < 0) {
            i = static_cast<int>(names.size());
            names.push_back(name);
        }
        if (index) index->emplace(handle_value(r.handle), i);
    }
}

bool is_layout_block(const Block& b) {
    return b.paper_space || names_equal(b.name, "*MODEL_SPACE") ||
           names_equal(b.name, "*PAPER_SPACE");
}

void collect_names(R12Context& c) {
    const Drawing& d = c.drawing;
    collect(d.layers.records, c.layer_names, &c.layer_index);
    collect(d.linetypes.records, c.linetype_names, &c.linetype_index, true);
    collect(d.text_styles.records, c.style_names, &c.style_index);
    collect(d.ucss.records, c.ucs_names, nullptr);
    for (std::size_t i = 0; i < d.blocks.size(); ++i)
        if (!is_layout_block(d.blocks[i])) c.written_blocks.push_back(static_cast<int>(i));
}

// Every record: flag, name in 32 bytes, a use count AutoCAD leaves at -1.
void record_start(R12Bytes& b, unsigned flags, std::string_view name) {
    b.rc(flags);
    b.fixed(name, 32);
    b.rs(-1);
}

void record_end(R12Bytes& b, std::size_t start) {
    b.rs(dwg_crc(b.v.data() + start, b.size() - start, dwg_crc_seed));
}

// Writes one table: begin sentinel, the records made by put(b, i), end sentinel.
template <class Put>
void write_table(R12Context& c, R12Table t, std::size_t count, std::vector<std::uint8_t>& scratch,
                 Put put) {
    if (count > 0x7FFF) {
        c.too_many_records = true;  // indexes are signed words
        return;
    }
    sentinel(c, static_cast<R12Sentinel>(r12_block_begin + 2 * t));
    c.tables[t] = {record_sizes[t], static_cast<std::uint16_t>(count), offset32(c)};
    for (std::size_t i = 0; i < count; ++i) {
        scratch.clear();
        R12Bytes b{scratch};
        put(b, i);
        record_end(b, 0);
        if (scratch.size() != record_sizes[t]) {
            c.out.failed = true;  // a record of the wrong size would shift every one after it
            return;
        }
        r12_write(c.out, scratch.data(), scratch.size());
    }
    sentinel(c, static_cast<R12Sentinel>(r12_block_end + 2 * t));
}

// Of several records with one written name, the first.
template <class Record>
std::vector<const Record*> unique_records(const std::vector<Record>& records,
                                          bool skip_by_names = false) {
    std::vector<const Record*> out;
    std::unordered_set<std::string> seen;
    for (const Record& r : records) {
        const std::string name = legacy_name(r.name);
        if (skip_by_names && (name == "BYBLOCK" || name == "BYLAYER")) continue;
        std::string key = name;
        for (char& ch : key)
            if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
        if (seen.insert(key).second) out.push_back(&r);
    }
    return out;
}

// The block entities section in memory (BLOCK/ENDBLK pairs: small), with the
// offset of every BLOCK from the start of the section.
void build_blocks(const R12Context& c, std::vector<std::uint8_t>& bytes,
                  std::vector<std::uint32_t>& offsets) {
    R12Bytes b{bytes};
    for (int i : c.written_blocks) {
        const Block& block = c.drawing.blocks[static_cast<std::size_t>(i)];
        offsets.push_back(static_cast<std::uint32_t>(bytes.size()));
        std::size_t at = r12_entity_start(b, 12, 0, 0, 4);
        b.pt2(Point3{});
        b.tv(legacy_name(block.name));
        r12_entity_end(b, at);
        at = r12_entity_start(b, 13, 0, 0, 0);
        r12_entity_end(b, at);
    }
}

void write_tables(R12Context& c, const std::vector<std::uint32_t>& block_offsets) {
    const Drawing& d = c.drawing;
    const HeaderRecord& h = d.header;
    std::vector<std::uint8_t> scratch;
    scratch.reserve(512);

    write_table(c, r12_block, c.written_blocks.size(), scratch, [&](R12Bytes& b, std::size_t i) {
        const Block& block = d.blocks[static_cast<std::size_t>(c.written_blocks[i])];
        record_start(b, 0, legacy_name(block.name));
        b.rl(0x40000000u | block_offsets[i]);
        b.rs(-1);
        b.rs(-1);
    });
    const auto layers = unique_records(d.layers.records);
    const int continuous = std::max(r12_find_name(c.linetype_names, "CONTINUOUS"), 0);
    write_table(c, r12_layer, layers.size(), scratch, [&](R12Bytes& b, std::size_t i) {
        const LayerTableRecord& r = *layers[i];
        record_start(b, r.flags, legacy_name(r.name));
        b.rs(r.color);
        const auto lt = c.linetype_index.find(handle_value(r.linetype));
        b.rs(lt != c.linetype_index.end() ? lt->second : continuous);
    });
    const auto styles = unique_records(d.text_styles.records);
    write_table(c, r12_style, styles.size(), scratch, [&](R12Bytes& b, std::size_t i) {
        const TextStyleTableRecord& r = *styles[i];
        record_start(b, r.flags, legacy_name(r.name));
        b.rd(r.fixed_height);
        b.rd(r.width_factor);
        b.rd(r.oblique);
        b.rc(static_cast<unsigned>(r.generation));
        b.rd(r.last_height);
        b.fixed(r.font_file, 64);
        b.fixed(r.bigfont_file, 64);
    });
    const auto linetypes = unique_records(d.linetypes.records, true);
    write_table(c, r12_ltype, linetypes.size(), scratch, [&](R12Bytes& b, std::size_t i) {
        const LinetypeTableRecord& r = *linetypes[i];
        record_start(b, r.flags, legacy_name(r.name));
        b.fixed(r.description, 48);
        b.rc(static_cast<unsigned>(r.alignment));
        const std::size_t dashes = std::min<std::size_t>(r.dashes.size(), 12);
        b.rc(static_cast<unsigned>(dashes));
        b.rd(r.pattern_length);
        for (std::size_t k = 0; k < 12; ++k) b.rd(k < dashes ? r.dashes[k].length : 0.0);
    });
    const auto views = unique_records(d.views.records);
    write_table(c, r12_view, views.size(), scratch, [&](R12Bytes& b, std::size_t i) {
        const ViewTableRecord& r = *views[i];
        record_start(b, r.flags, legacy_name(r.name));
        b.rd(r.height);
        b.pt2(r.center);
        b.rd(r.width);
        b.pt3(r.direction);
        b.rs(0);
        b.pt3(r.target);
        b.rs(r.view_mode);
        b.rd(r.lens_length);
        b.rd(r.front_clip);
        b.rd(r.back_clip);
        b.rd(r.twist_angle);
    });
    const auto ucss = unique_records(d.ucss.records);
    write_table(c, r12_ucs, ucss.size(), scratch, [&](R12Bytes& b, std::size_t i) {
        const UcsTableRecord& r = *ucss[i];
        record_start(b, r.flags, legacy_name(r.name));
        b.pt3(r.origin);
        b.pt3(r.x_axis);
        b.pt3(r.y_axis);
    });
    const auto vports = unique_records(d.vports.records);
    write_table(c, r12_vport, vports.size(), scratch, [&](R12Bytes& b, std::size_t i) {
        const VportTableRecord& r = *vports[i];
        record_start(b, r.flags, legacy_name(r.name));
        b.pt2(r.lower_left);
        b.pt2(r.upper_right);
        b.pt3(r.target);
        b.pt3(r.view_direction);
        b.rd(r.twist_angle);
        b.rd(r.view_height);
        b.pt2(r.view_center);
        b.rd(r.aspect_ratio);
        b.rd(r.lens_length);
        b.rd(r.front_clip);
        b.rd(r.back_clip);
        for (int v : {r.view_mode, r.circle_zoom, r.fast_zoom, r.ucs_icon, r.snap_on, r.grid_on,
                      r.snap_style, r.snap_isopair})
            b.rs(v);
        b.rd(r.snap_angle);
        b.pt2(r.snap_base);
        b.pt2(r.snap_spacing);
        b.pt2(r.grid_spacing);
    });
    const auto appids = unique_records(d.regapps.records);
    write_table(c, r12_appid, appids.size(), scratch, [&](R12Bytes& b, std::size_t i) {
        record_start(b, appids[i]->flags, legacy_name(appids[i]->name));
    });
    const auto dimstyles = unique_records(d.dimstyles.records);
    write_table(c, r12_dimstyle, dimstyles.size(), scratch, [&](R12Bytes& b, std::size_t i) {
        record_start(b, dimstyles[i]->flags, legacy_name(dimstyles[i]->name));
        for (double v :
             {h.dimscale, h.dimasz, h.dimexo, h.dimdli, h.dimexe, h.dimrnd, h.dimdle, h.dimtp,
              h.dimtm, h.dimtxt, h.dimcen, h.dimtsz, h.dimaltf, h.dimlfac, h.dimtvp})
            b.rd(v);
        for (int v : {h.dimtol, h.dimlim, h.dimtih, h.dimtoh, h.dimse1, h.dimse2, h.dimtad,
                      h.dimzin, h.dimalt, h.dimaltd, h.dimtofl, h.dimsah, h.dimtix, h.dimsoxd})
            b.rc(static_cast<unsigned>(v));
        b.fixed(h.dimpost, 16);
        b.fixed(h.dimapost, 16);
        b.fixed(h.dimblk, 16);
        b.fixed(h.dimblk1, 16);
        b.fixed(h.dimblk2, 66);
        b.rs(h.dimclrd);
        b.rs(h.dimclre);
        b.rs(h.dimclrt);
        b.rc(static_cast<unsigned>(h.dimupt));
        b.rd(h.dimtfac);
        b.rd(h.dimgap);
    });
    write_table(c, r12_vx, 0, scratch, [](R12Bytes&, std::size_t) {});
}

// The closing copy of the addresses, framed by its sentinels.
void write_closing(R12Context& c) {
    const std::uint32_t address = offset32(c);
    sentinel(c, r12_closing_begin);
    std::vector<std::uint8_t> bytes;
    R12Bytes b{bytes};
    b.rs(16);
    b.rs(0);  // size, set below
    b.rl(c.entities_start);
    b.rl(c.entities_end);
    b.rl(c.blocks_start);
    b.rl(c.extras_start);
    b.rs(c.entity_handles ? 1 : 0);
    for (int i = 7; i >= 0; --i) b.rc(static_cast<unsigned>(c.handle_seed >> (8 * i)));
    b.rs(r12_table_count);
    for (int t = 0; t < r12_table_count; ++t) {
        b.rs(table_numbers[t]);
        b.rs(c.tables[t].size);
        b.rs(c.tables[t].count);
        b.rl(c.tables[t].address);
    }
    b.rl(address);
    b.put_rs_at(2, static_cast<unsigned>(bytes.size() + 2));
    b.rs(dwg_crc(bytes.data(), bytes.size(), dwg_crc_seed));
    r12_write(c.out, bytes.data(), bytes.size());
    sentinel(c, r12_closing_end);
}

bool write_file(R12Context& c) {
    collect_names(c);
    const Drawing& d = c.drawing;
    c.entity_handles = d.header.handling != 0;
    c.handle_seed = d.handle_seed;
    if (c.entity_handles) {
        c.next_extra_handle = d.handle_seed;
        c.handle_seed += d.lwpolyline_vertices + d.lwpolyline_count;
    }

    std::vector<std::uint8_t> header;
    if (!put_r12_header(c, header)) return false;
    header.resize(r12_header_size + 2);  // a blank until the addresses are known
    r12_write(c.out, header.data(), header.size());

    sentinel(c, r12_entities_begin);
    c.entities_start = offset32(c);
    if (!write_r12_entities(c)) return false;
    c.entities_end = offset32(c);
    sentinel(c, r12_entities_end);

    std::vector<std::uint8_t> blocks;
    std::vector<std::uint32_t> block_offsets;
    build_blocks(c, blocks, block_offsets);
    write_tables(c, block_offsets);
    if (c.too_many_records) return false;

    sentinel(c, r12_block_entities_begin);
    c.blocks_start = offset32(c);
    c.blocks_size = static_cast<std::uint32_t>(blocks.size());
    r12_write(c.out, blocks.data(), blocks.size());
    sentinel(c, r12_block_entities_end);
    sentinel(c, r12_extras_begin);
    c.extras_start = offset32(c);
    sentinel(c, r12_extras_end);
    write_closing(c);
    if (!r12_flush(c.out)) return false;

    if (!put_r12_header(c, header)) return false;
    R12Bytes b{header};
    b.rs(dwg_crc(header.data(), header.size(), dwg_crc_seed));
    std::size_t done = 0;
    while (done < header.size()) {
        const ssize_t n = ::pwrite(c.out.fd, header.data() + done, header.size() - done,
                                   static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            c.out.failed = true;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return !c.out.failed;
}

}  // namespace

const std::uint8_t* r12_sentinel(R12Sentinel which) {
    return sentinels[which];
}

void r12_write(R12Out& out, const std::uint8_t* data, std::size_t size) {
    while (size > 0 && !out.failed) {
        if (out.buffer.size() == out.capacity && !write_buffer(out)) return;
        const std::size_t room = out.capacity - out.buffer.size();
        const std::size_t take = size < room ? size : room;
        out.buffer.insert(out.buffer.end(), data, data + take);
        out.offset += take;
        data += take;
        size -= take;
    }
}

bool r12_flush(R12Out& out) {
    return !out.failed && write_buffer(out);
}

std::size_t r12_entity_start(R12Bytes& b, int type, int flags, int layer, int options) {
    const std::size_t start = b.size();
    b.rc(static_cast<unsigned>(type));
    b.rc(static_cast<unsigned>(flags));
    b.rs(0);
    b.rs(layer);
    b.rs(options);
    return start;
}

void r12_entity_end(R12Bytes& b, std::size_t start) {
    b.put_rs_at(start + 2, static_cast<unsigned>(b.size() - start + 2));
    b.rs(dwg_crc(b.v.data() + start, b.size() - start, dwg_crc_seed));
}

bool save_dwg_r12(Drawing& drawing, const std::string& path) {
    DrawingLibrary& lib = *drawing.library;
    return save_through_temporary(lib, path, [&](int fd, bool& write_failed) {
        R12Out out;
        out.fd = fd;
        out.capacity = std::max<std::size_t>(lib.output_buffer, 256);
        out.limit = lib.write_limit;
        out.buffer.reserve(out.capacity);
        R12Context c{out, drawing};
        const bool ok = write_file(c);
        write_failed = out.failed;
        return ok;
    });
}

}  // namespace penloom
