// What the DWG writers share during one save; not for callers.
//
// In: the Drawing and the save's version (R13, R14 or 2000). Out: the file,
// made of the header and class sections (built in memory, they are small),
// the object stream (each object framed by end_object and written out at
// once, so nothing but the object map's rows grows with the drawing), the
// object map and the closing sections. dwg_writer.cpp lays out the file;
// dwg_map.cpp makes the object map; dwg_header.cpp, dwg_tables.cpp and
// dwg_objects.cpp write the header variables, the tables and the
// non-graphical objects; dwg_entities.cpp the entities of every block.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/drawing.h"
#include "drawing/dwg_bits.h"

namespace penloom {

// The file as it is written: a buffer in front of the descriptor, the file
// offset reached and the first failure.
struct DwgOut {
    int fd = -1;
    std::vector<std::uint8_t> buffer;
    std::size_t capacity = 0;
    std::uint64_t offset = 0;   // bytes handed over so far (= the file offset of the next byte)
    std::uint64_t written = 0;  // bytes the file has taken
    std::uint64_t limit = UINT64_MAX;  // fault injection: fail once this many bytes are written
    bool failed = false;
    // R2004: bytes go into this section of the paged container instead (and
    // offset counts inside the section); see dwg_r2004_file.cpp.
    class DwgR2004Container* container = nullptr;
    int section = -1;
};

// One object map row: an object's handle and the file offset of its frame.
// Both fit 32 bits in any file the format can address (its offsets are
// 32-bit), and a row per entity is what grows with the drawing.
struct DwgMapEntry {
    std::uint32_t handle = 0;
    std::uint32_t offset = 0;
};

// The entities of one block as the entity writer left them (0: none).
struct DwgBlockEntities {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::uint64_t count = 0;
};

struct DwgContext {
    DwgContext(DwgOut& o, const Drawing& d, int v) : out(o), drawing(d), version(v) {}

    DwgOut& out;
    const Drawing& drawing;
    int version = version_2000;

    // Type codes of LWPOLYLINE and HATCH entities: the fixed 77 and 78 (see
    // number_classes), and of the class objects of 2000 (500 + their
    // index in the class section).
    std::uint16_t lwpolyline_class = 0;
    std::uint16_t hatch_class = 0;
    std::uint16_t dictionarywdflt_class = 0;  // 2000 only
    std::uint16_t placeholder_class = 0;
    std::uint16_t layout_class = 0;

    // Object map rows: the entities' (in the order written, nearly by
    // handle) and the rest (any order); dwg_map.cpp sorts them out.
    std::vector<DwgMapEntry> entity_map;
    std::vector<DwgMapEntry> object_map;
    bool writing_entities = false;  // end_object files rows under entity_map
    // When set (the save sets it), the entities' rows go here instead of
    // entity_map, so that memory stays flat.

    // Per block (index as Drawing::blocks) the first and last entity the
    // entity writer wrote, for the block's BLOCK_HEADER object.
    std::vector<DwgBlockEntities> block_entities;
    // 2004: per block, every top-level entity's handle (the BLOCK_HEADER
    // lists them all; earlier releases name only the first and last).
    std::vector<std::vector<std::uint64_t>> block_owned;

    // Handle of the VX table's control object (0: none), and the handle
    // seed the file names: the drawing's, past the control object.
    std::uint64_t vx_control = 0;
    std::uint64_t handle_seed = 0;

    // The object being framed: where its bit-size long lies, its handle.
    std::uint64_t size_at = 0;
    std::uint64_t current_handle = 0;

    // Scratch reused for every object.
    BitWriter object;
    BitWriter frame;

    bool r13() const { return version == version_r13; }
    bool r14_up() const { return version >= version_r14; }
    bool is_2000() const { return version >= version_2000; }
    bool r2004() const { return version >= version_2004; }
};

// Starts a non-graphical object in w (cleared first): type, the 2000 bit
// size, handle, no extended data, then the R13/R14 bit size. The caller goes
// on with the reactor count.
void begin_object(DwgContext& c, BitWriter& w, std::uint16_t type, std::uint64_t handle);
// Starts an entity in w: as begin_object, then "no graphic image" before the
// R13/R14 bit size. The caller goes on with the entity mode
// (put_entity_common does the common part).
void begin_entity(DwgContext& c, BitWriter& w, std::uint16_t type, std::uint64_t handle);
// Marks the end of the data: what follows is the handle stream. Records the
// data size in bits.
void start_handles(DwgContext& c, BitWriter& w);
// Frames w (size, bytes, CRC), writes it out and files its map row.
void end_object(DwgContext& c, BitWriter& w);

// The common part of an entity (as R13 to 2000 keep it).
struct DwgEntityCommon {
    std::uint64_t owner = 0;  // the block's BLOCK_HEADER (written for entity mode 0)
    unsigned mode = 2;        // 0 in a block, 1 paper space, 2 model space
    std::uint64_t layer = 0;
    std::uint64_t linetype = 0;  // the linetype record (BYLAYER and BYBLOCK too)
    bool linetype_bylayer = true;
    bool linetype_byblock = false;
    std::int16_t color = 256;
    double linetype_scale = 1.0;
    std::int16_t lineweight = -1;  // 1/100 mm, -1 BYLAYER, -2 BYBLOCK, -3 default
    bool invisible = false;
    std::uint64_t previous = 0;  // neighbours in the block's entity chain
    std::uint64_t next = 0;
    std::uint64_t reactor = 0;  // one persistent reactor when nonzero (the DXF's ACAD_REACTORS)
};

// Data part after begin_entity: mode, reactors, link flag, colour, linetype
// scale, linetype/plot style flags, invisibility, lineweight.
void put_entity_common(DwgContext& c, BitWriter& w, const DwgEntityCommon& e);
// Handle part after start_handles: owner, extension dictionary, layer,
// linetype, neighbours, plot style as the version keeps them.
void put_entity_handles(DwgContext& c, BitWriter& w, const DwgEntityCommon& e);
// The lineweight of a DXF group 370 value as a DWG lineweight index byte.
std::uint8_t dwg_lineweight(std::int16_t lineweight);

// Writes every entity of every block in handle order through begin_entity /
// end_object, with c.writing_entities set, and records each block's first
// and last entity in c.block_entities. False when the entity store cannot be
// read back. Implemented by dwg_entities.cpp.
bool write_dwg_entities(DwgContext& c);

// The header variables section's data (dwg_header.cpp).
void put_header_variables(DwgContext& c, BitWriter& w);
// The CONTINUOUS linetype record's handle (0 when there is none).
std::uint64_t continuous_linetype(const Drawing& d);

// Names of table records as this save writes them (below 2000 in the
// legacy form, as the DXF writer does).
std::string dwg_name(const DwgContext& c, std::string_view name);
// Whether the handle is one of the drawing's linetype records.
bool linetype_written(const DwgContext& c, std::uint64_t handle);
// Type codes of the classes in use (500 on, in the order of the class list).
void number_classes(DwgContext& c);
// The class section's data (dwg_tables.cpp).
void put_classes(DwgContext& c, BitWriter& w);
// Control objects and records of the nine tables (dwg_tables.cpp).
void write_dwg_tables(DwgContext& c);
// Block control, block headers, BLOCK/ENDBLK (dwg_objects.cpp); after the
// entities.
void write_dwg_blocks(DwgContext& c);
// Dictionaries, multiline style, layouts, plot style placeholder.
void write_dwg_objects(DwgContext& c);

// The object map from the entities' rows (entity_map, in the order
// written) and object_map's.
void write_object_map(DwgContext& c);

// The whole save (dwg_writer.cpp), called by save_drawing for kind 0 with
// version 5..7. Sets the library's last error on failure.
bool save_dwg(Drawing& drawing, const std::string& path, int version);

// Raw bytes to the file.
void dwg_out_write(DwgOut& out, const std::uint8_t* data, std::size_t size);

// From 2004 an object's reactor count is followed by a flag: set when it has
// no extension dictionary (nothing is written in its place then); this
// writer keeps the null handle and writes 0.
inline void put_xdic_missing(const DwgContext& c, BitWriter& w) {
    if (c.r2004()) put_b(w, false);
}
// The 2004 file (dwg_r2004_file.cpp): the same objects in the paged layout.
bool write_file_r2004(DwgContext& c);
// The objects' section framing (dwg_writer.cpp), for the 2004 writer.
std::vector<std::uint8_t> dwg_framed_header(const BitWriter& data);
std::vector<std::uint8_t> dwg_framed_classes(const BitWriter& data);
// What dwg_out_write does while out.container is set (dwg_r2004_file.cpp).
void dwg_r2004_section_write(DwgOut& out, const std::uint8_t* data, std::size_t size);
// Hands the output buffer to the file; false once a write failed.
bool dwg_out_flush(DwgOut& out);

// Object type codes of the fixed (non-class) objects.
enum DwgObjectType : std::uint16_t {
    dwg_type_text = 1,
    dwg_type_attrib = 2,
    dwg_type_attdef = 3,
    dwg_type_block = 4,
    dwg_type_endblk = 5,
    dwg_type_seqend = 6,
    dwg_type_insert = 7,
    dwg_type_vertex_2d = 10,
    dwg_type_vertex_3d = 11,
    dwg_type_polyline_2d = 15,
    dwg_type_polyline_3d = 16,
    dwg_type_arc = 17,
    dwg_type_circle = 18,
    dwg_type_line = 19,
    dwg_type_point = 27,
    dwg_type_3dface = 28,
    dwg_type_solid = 31,
    dwg_type_trace = 32,
    dwg_type_shape = 33,
    dwg_type_viewport = 34,
    dwg_type_ellipse = 35,
    dwg_type_spline = 36,
    dwg_type_mtext = 44,
    dwg_type_dictionary = 42,
    dwg_type_block_control = 48,
    dwg_type_block_header = 49,
    dwg_type_layer_control = 50,
    dwg_type_layer = 51,
    dwg_type_style_control = 52,
    dwg_type_style = 53,
    dwg_type_ltype_control = 56,
    dwg_type_ltype = 57,
    dwg_type_view_control = 60,
    dwg_type_view = 61,
    dwg_type_ucs_control = 62,
    dwg_type_ucs = 63,
    dwg_type_vport_control = 64,
    dwg_type_vport = 65,
    dwg_type_appid_control = 66,
    dwg_type_appid = 67,
    dwg_type_dimstyle_control = 68,
    dwg_type_dimstyle = 69,
    dwg_type_vp_ent_hdr_control = 70,
    dwg_type_vp_ent_hdr = 71,
    dwg_type_group = 72,
    dwg_type_mlinestyle = 73,
    dwg_type_lwpolyline = 77,
    dwg_type_hatch = 78,
};

}  // namespace penloom
