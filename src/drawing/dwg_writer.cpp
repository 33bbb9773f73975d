// DWG save: the file layout (file header with its section locators, header
// variables, classes, the object stream, the object map, the template
// section), the object framing shared by every object writer, the common
// parts of an entity, and the file output. In: a Drawing and the version.
// Out: the file, written to a temporary file and renamed over the target
// only when complete.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

#include "drawing/drawing_internal.h"
#include "drawing/dwg_writer_internal.h"
#include "drawing/save_file.h"

namespace penloom {

namespace {

// Hands the buffer to the file (at most up to the write limit).
void write_buffer(DwgOut& out) {
    std::size_t done = 0;
    while (done < out.buffer.size() && !out.failed) {
        std::size_t want = out.buffer.size() - done;
        if (out.written + want > out.limit)
            want = static_cast<std::size_t>(out.limit - out.written);
        const ssize_t n = want == 0 ? -1 : ::write(out.fd, out.buffer.data() + done, want);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            out.failed = true;
            break;
        }
        done += static_cast<std::size_t>(n);
        out.written += static_cast<std::uint64_t>(n);
    }
    out.buffer.clear();
}

constexpr std::uint8_t header_begin[16] = {0xCF, 0x7B, 0x1F, 0x23, 0xFD, 0xDE, 0x38, 0xA9,
                                           0x5F, 0x7C, 0x68, 0xB8, 0x4E, 0x6D, 0x33, 0x5F};
constexpr std::uint8_t header_end[16] = {0x30, 0x84, 0xE0, 0xDC, 0x02, 0x21, 0xC7, 0x56,
                                         0xA0, 0x83, 0x97, 0x47, 0xB1, 0x92, 0xCC, 0xA0};
constexpr std::uint8_t classes_begin[16] = {0x8D, 0xA1, 0xC4, 0xB8, 0xC4, 0xA9, 0xF8, 0xC5,
                                            0xC0, 0xDC, 0xF4, 0x5F, 0xE7, 0xCF, 0xB6, 0x8A};
constexpr std::uint8_t classes_end[16] = {0x72, 0x5E, 0x3B, 0x47, 0x3B, 0x56, 0x07, 0x3A,
                                          0x3F, 0x23, 0x0B, 0xA0, 0x18, 0x30, 0x49, 0x75};
constexpr std::uint8_t second_header_begin[16] = {0xD4, 0x7B, 0x21, 0xCE, 0x28, 0x93, 0x9F, 0xBF,
                                                  0x53, 0x24, 0x40, 0x09, 0x12, 0x3C, 0xAA, 0x01};
constexpr std::uint8_t second_header_end[16] = {0x2B, 0x84, 0xDE, 0x31, 0xD7, 0x6C, 0x60, 0x40,
                                                0xAC, 0xDB, 0xBF, 0xF6, 0xED, 0xC3, 0x55, 0xFE};
constexpr std::uint8_t file_header_end[16] = {0x95, 0xA0, 0x4E, 0x28, 0x99, 0x82, 0x1A, 0xE5,
                                              0x5E, 0x41, 0xE0, 0x5F, 0x9D, 0x3A, 0x4D, 0x00};


// Section locator numbers.
constexpr int section_header = 0, section_classes = 1, section_map = 2, section_free_space = 3,
              section_template = 4, section_aux_header = 5;
// Room for all six; R13 and R14 files have the first five.
constexpr int section_room = 6;

int section_count(const DwgContext& c) {
    return c.is_2000() ? 6 : 5;
}

struct Locator {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

void append(std::vector<std::uint8_t>& out, const std::uint8_t (&bytes)[16]) {
    for (std::uint8_t b : bytes) out.push_back(b);
}

void append_le(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A sentinel-framed section: begin sentinel, data size, data, CRC of size
// and data, end sentinel.
std::vector<std::uint8_t> framed_section(const BitWriter& data, const std::uint8_t (&begin)[16],
                                         const std::uint8_t (&end)[16]) {
    std::vector<std::uint8_t> out;
    out.reserve(data.bytes.size() + 38);
    append(out, begin);
    append_le(out, data.bytes.size(), 4);
    out.insert(out.end(), data.bytes.begin(), data.bytes.end());
    const std::uint16_t crc = dwg_crc(out.data() + 16, out.size() - 16, dwg_crc_seed);
    append_le(out, crc, 2);
    append(out, end);
    return out;
}

std::uint8_t maintenance(const DwgContext& c) {
    return static_cast<std::uint8_t>(c.is_2000()  ? 6
                                     : c.r14_up() ? c.drawing.header.maintenance_version
                                                  : 0);
}

// The release that wrote the file, as AutoCAD numbers them.
std::uint8_t writer_release(const DwgContext& c) {
    return c.is_2000() ? 0x17 : c.r14_up() ? 0x15 : 0x13;
}

int file_codepage(const DwgContext& c) {
    return codepage_name(c.drawing.header.codepage) != nullptr ? c.drawing.header.codepage : 30;
}

std::vector<std::uint8_t> file_header(const DwgContext& c,
                                      const Locator (&sections)[section_room]) {
    std::vector<std::uint8_t> out;
    const char* magic = version_string(c.version);
    out.insert(out.end(), magic, magic + 6);
    for (int i = 0; i < 5; ++i) out.push_back(0);
    out.push_back(maintenance(c));
    out.push_back(1);
    append_le(out, 0, 4);  // no preview image
    out.push_back(writer_release(c));
    out.push_back(0);
    append_le(out, static_cast<std::uint64_t>(file_codepage(c)), 2);
    append_le(out, static_cast<std::uint64_t>(section_count(c)), 4);
    for (int i = 0; i < section_count(c); ++i) {
        out.push_back(static_cast<std::uint8_t>(i));
        append_le(out, sections[i].offset, 4);
        append_le(out, sections[i].size, 4);
    }
    append_le(out, dwg_crc(out.data(), out.size(), dwg_crc_seed), 2);
    append(out, file_header_end);
    return out;
}

// The AuxHeader of 2000 files: the release, save counts, dates and handle
// seed again, for a reader whose file header is damaged. A new file counts
// one save.
std::vector<std::uint8_t> aux_header(const DwgContext& c) {
    const HeaderRecord& h = c.drawing.header;
    std::vector<std::uint8_t> out = {0xFF, 0x77, 0x01};
    const std::uint8_t release = writer_release(c);
    append_le(out, release, 2);
    append_le(out, 0, 2);  // maintenance release
    append_le(out, 1, 4);  // saves
    append_le(out, 0xFFFFFFFF, 4);
    append_le(out, 1, 2);  // saves, first part
    append_le(out, 0, 2);  // saves above 0x7FFF
    append_le(out, 0, 4);
    for (int i = 0; i < 2; ++i) {
        append_le(out, release, 2);
        append_le(out, 0, 2);
    }
    for (std::uint16_t v : {0x0005, 0x0893, 0x0005, 0x0893, 0x0000, 0x0001}) append_le(out, v, 2);
    for (int i = 0; i < 5; ++i) append_le(out, 0, 4);
    for (const JulianDate& date : {h.tdcreate, h.tdupdate}) {
        append_le(out, static_cast<std::uint32_t>(date.day), 4);
        append_le(out, static_cast<std::uint32_t>(date.milliseconds), 4);
    }
    append_le(out, c.handle_seed < 0x7FFFFFFF ? c.handle_seed : 0xFFFFFFFF, 4);
    append_le(out, 0, 4);  // no educational plot stamp
    append_le(out, 0, 2);
    append_le(out, 1, 2);  // saves, first part less second
    for (int i = 0; i < 3; ++i) append_le(out, 0, 4);
    append_le(out, 1, 4);  // saves
    for (int i = 0; i < 4; ++i) append_le(out, 0, 4);
    return out;
}

// The second file header (a copy of the locators and of the handles
// readers need first), written where it stands in the file. As AutoCAD
// does, it gives the template section no place.
void write_second_header(DwgContext& c, const Locator (&sections)[section_room]) {
    const Drawing& d = c.drawing;
    BitWriter w;
    put_bl(w, static_cast<std::int64_t>(c.out.offset));
    const char* magic = version_string(c.version);
    for (int i = 0; i < 11; ++i) put_rc(w, i < 6 ? static_cast<std::uint8_t>(magic[i]) : 0);
    put_rc(w, maintenance(c));
    put_rc(w, 1);
    put_bs(w, writer_release(c));
    put_rs(w, static_cast<std::uint16_t>(file_codepage(c)));
    put_bs(w, section_count(c));
    for (int i = 0; i < section_count(c); ++i) {
        put_rc(w, static_cast<std::uint8_t>(i));
        put_bl(w, i == section_template ? 0 : sections[i].offset);
        put_bl(w, i == section_template ? 0 : sections[i].size);
    }
    const std::uint64_t handles[14] = {c.handle_seed,
                                       handle_value(d.block_records.handle),
                                       handle_value(d.layers.handle),
                                       handle_value(d.text_styles.handle),
                                       handle_value(d.linetypes.handle),
                                       handle_value(d.views.handle),
                                       handle_value(d.ucss.handle),
                                       handle_value(d.vports.handle),
                                       handle_value(d.regapps.handle),
                                       handle_value(d.dimstyles.handle),
                                       c.vx_control,
                                       handle_value(d.objects.root_dictionary),
                                       handle_value(d.objects.mlinestyle_dictionary),
                                       handle_value(d.objects.group_dictionary)};
    put_bs(w, 14);
    for (int i = 0; i < 14; ++i) {
        unsigned count = 0;
        for (std::uint64_t v = handles[i]; v != 0; v >>= 8) ++count;
        put_rc(w, static_cast<std::uint8_t>(count));
        put_rc(w, static_cast<std::uint8_t>(i));
        for (unsigned k = count; k-- > 0;)
            put_rc(w, static_cast<std::uint8_t>(handles[i] >> (8 * k)));
    }
    std::vector<std::uint8_t> out;
    append(out, second_header_begin);
    const std::size_t junk = c.r14_up() ? 8 : 0;
    append_le(out, 4 + w.bytes.size() + 2 + junk, 4);
    out.insert(out.end(), w.bytes.begin(), w.bytes.end());
    append_le(out, dwg_crc(out.data() + 16, out.size() - 16, dwg_crc_seed), 2);
    for (std::size_t i = 0; i < junk; ++i) out.push_back(0);
    append(out, second_header_end);
    dwg_out_write(c.out, out.data(), out.size());
}

bool flush(DwgOut& out) {
    write_buffer(out);
    return !out.failed;
}

// Writes the whole file; false on a write failure (out.failed) or an entity
// store that cannot be read back.
bool write_file(DwgContext& c) {
    // The VX table's control object is the one object the DXF has no place
    // for; AutoCAD's files always carry it. It takes the next free handle.
    c.vx_control = c.drawing.handle_seed;
    c.handle_seed = c.vx_control + 1;
    number_classes(c);
    BitWriter data;
    put_header_variables(c, data);
    const std::vector<std::uint8_t> header = framed_section(data, header_begin, header_end);
    bits_clear(data);
    put_classes(c, data);
    // A drawing without classes still gets a byte of class data: some
    // readers take an empty class section for a broken one.
    if (data.bytes.empty()) put_rc(data, 0);
    const std::vector<std::uint8_t> classes = framed_section(data, classes_begin, classes_end);

    Locator sections[section_room];
    const std::vector<std::uint8_t> blank = file_header(c, sections);
    dwg_out_write(c.out, blank.data(), blank.size());
    if (c.is_2000()) {
        const std::vector<std::uint8_t> aux = aux_header(c);
        sections[section_aux_header] = {static_cast<std::uint32_t>(c.out.offset),
                                        static_cast<std::uint32_t>(aux.size())};
        dwg_out_write(c.out, aux.data(), aux.size());
    }
    sections[section_header] = {static_cast<std::uint32_t>(c.out.offset),
                                static_cast<std::uint32_t>(header.size())};
    dwg_out_write(c.out, header.data(), header.size());
    sections[section_classes] = {static_cast<std::uint32_t>(c.out.offset),
                                 static_cast<std::uint32_t>(classes.size())};
    dwg_out_write(c.out, classes.data(), classes.size());
    // AutoCAD puts this word between the classes and the objects.
    const std::uint8_t gap[4] = {0xCA, 0x0D, 0x00, 0x00};
    dwg_out_write(c.out, gap, sizeof gap);

    write_dwg_tables(c);
    c.block_entities.assign(c.drawing.blocks.size(), DwgBlockEntities{});
    c.writing_entities = true;
    const bool entities_ok = write_dwg_entities(c);
    c.writing_entities = false;
    if (!entities_ok) return false;
    write_dwg_blocks(c);
    write_dwg_objects(c);

    const std::uint64_t map_start = c.out.offset;
    write_object_map(c);
    sections[section_map] = {static_cast<std::uint32_t>(map_start),
                             static_cast<std::uint32_t>(c.out.offset - map_start)};
    sections[section_free_space] = {0, 0};
    write_second_header(c, sections);

    // Template: no description, then the measurement system.
    const std::uint8_t measurement[4] = {
        0, 0, static_cast<std::uint8_t>(c.drawing.header.measurement & 0xFF),
        static_cast<std::uint8_t>((c.drawing.header.measurement >> 8) & 0xFF)};
    sections[section_template] = {static_cast<std::uint32_t>(c.out.offset), 4};
    dwg_out_write(c.out, measurement, sizeof measurement);
    if (!flush(c.out)) return false;

    const std::vector<std::uint8_t> head = file_header(c, sections);
    std::size_t done = 0;
    while (done < head.size()) {
        const ssize_t n =
            ::pwrite(c.out.fd, head.data() + done, head.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            c.out.failed = true;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::vector<std::uint8_t> dwg_framed_header(const BitWriter& data) {
    return framed_section(data, header_begin, header_end);
}

std::vector<std::uint8_t> dwg_framed_classes(const BitWriter& data) {
    return framed_section(data, classes_begin, classes_end);
}

bool dwg_out_flush(DwgOut& out) {
    return flush(out);
}

bool save_dwg(Drawing& drawing, const std::string& path, int version) {
    DrawingLibrary& lib = *drawing.library;
    return save_through_temporary(lib, path, [&](int fd, bool& write_failed) {
        DwgOut out;
        out.fd = fd;
        out.capacity = std::max<std::size_t>(lib.output_buffer, 256);
        out.limit = lib.write_limit;
        out.buffer.reserve(out.capacity);
        DwgContext c{out, drawing, version};
        const bool ok = c.r2004() ? write_file_r2004(c) : write_file(c);
        write_failed = out.failed;
        return ok;
    });
}

void dwg_out_write(DwgOut& out, const std::uint8_t* data, std::size_t size) {
    if (out.container != nullptr) {
        dwg_r2004_section_write(out, data, size);
        return;
    }
    while (size > 0 && !out.failed) {
        if (out.buffer.size() == out.capacity) write_buffer(out);
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
    put_bs(w, 0);  // no extended data
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
    put_bs(w, 0);     // no extended data
    put_b(w, false);  // no graphic image
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
    // Size, data, then the CRC of both, taken on from the size's.
    BitWriter& f = c.frame;
    bits_clear(f);
    put_ms(f, static_cast<std::uint32_t>(byte_size(w)));
    std::uint16_t crc = dwg_crc(f.bytes.data(), f.bytes.size(), dwg_crc_seed);
    crc = dwg_crc(w.bytes.data(), w.bytes.size(), crc);
    const std::uint8_t tail[2] = {static_cast<std::uint8_t>(crc & 0xFF),
                                  static_cast<std::uint8_t>(crc >> 8)};
    const DwgMapEntry row{static_cast<std::uint32_t>(c.current_handle),
                          static_cast<std::uint32_t>(c.out.offset)};
    // Past 4 GB the format has no offsets left: the file cannot be made.
    if (c.out.offset > UINT32_MAX || c.current_handle > UINT32_MAX) c.out.failed = true;
    if (!c.writing_entities) {
        c.object_map.push_back(row);
    } else {
        c.entity_map.push_back(row);
    }
    dwg_out_write(c.out, f.bytes.data(), f.bytes.size());
    dwg_out_write(c.out, w.bytes.data(), w.bytes.size());
    dwg_out_write(c.out, tail, sizeof tail);
}

std::uint8_t dwg_lineweight(std::int16_t lineweight) {
    static constexpr std::int16_t weights[24] = {0,  5,   9,   13,  15,  18,  20,  25,
                                                 30, 35,  40,  50,  53,  60,  70,  80,
                                                 90, 100, 106, 120, 140, 158, 200, 211};
    if (lineweight == -1) return 29;
    if (lineweight == -2) return 30;
    if (lineweight < 0) return 31;
    // The nearest of the standard weights (a value between two goes up).
    std::uint8_t best = 0;
    for (std::uint8_t i = 0; i < 24; ++i) {
        const int here = weights[i] - lineweight, there = weights[best] - lineweight;
        if ((here < 0 ? -here : here) <= (there < 0 ? -there : there)) best = i;
    }
    return best;
}

void put_entity_common(DwgContext& c, BitWriter& w, const DwgEntityCommon& e) {
    put_bb(w, e.mode);
    put_bl(w, e.reactor != 0 ? 1 : 0);
    put_xdic_missing(c, w);
    if (!c.is_2000()) put_b(w, e.linetype_bylayer);
    if (!c.r2004()) put_b(w, false);  // neighbours written out (2004 has no links)
    put_cmc(w, e.color);
    put_bd(w, e.linetype_scale);
    if (c.is_2000()) {
        put_bb(w, e.linetype_bylayer ? 0 : e.linetype_byblock ? 1 : 3);
        put_bb(w, 0);  // plot style BYLAYER
    }
    put_bs(w, e.invisible ? 1 : 0);
    if (c.is_2000()) put_rc(w, dwg_lineweight(e.lineweight));
}

void put_entity_handles(DwgContext& c, BitWriter& w, const DwgEntityCommon& e) {
    if (e.mode == 0) put_h(w, 4, e.owner);
    if (e.reactor != 0) put_h(w, 4, e.reactor);
    put_h(w, 3, 0);  // no extension dictionary
    if (!c.is_2000()) {
        put_h(w, 5, e.layer);
        if (!e.linetype_bylayer) put_h(w, 5, e.linetype);
    }
    if (!c.r2004()) {
        put_h(w, 4, e.previous);
        put_h(w, 4, e.next);
    }
    if (c.is_2000()) {
        put_h(w, 5, e.layer);
        if (!e.linetype_bylayer && !e.linetype_byblock) put_h(w, 5, e.linetype);
    }
}

}  // namespace penloom
