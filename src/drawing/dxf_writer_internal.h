// What the DXF section writers share during one save; not for callers.
//
// In: the Drawing and the save's version and number format. Out: the
// sections, each written by its own file (header, tables and classes, blocks
// and entities, objects) through the DxfOut of the save.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "drawing/drawing.h"
#include "drawing/dxf_output.h"
#include "drawing/entity_codec.h"

namespace penloom {

// Everything the common groups of an entity (owner, layer, lineweight,
// linetype, colour and the rest, but not the name and handle) depend on.
struct CommonGroupsKey {
    const Block* owner = nullptr;
    std::uint64_t layer = 0;
    std::uint64_t linetype = 0;
    double linetype_scale = 1.0;
    double thickness = 0.0;
    std::int16_t lineweight = 0;
    std::int16_t color = 0;
    std::uint16_t flags = 0;
    bool class_entity = false;
    bool operator==(const CommonGroupsKey&) const = default;
};

// The tables whose record names entities refer to (by handle).
enum NameTable { layer_table, linetype_table, style_table, name_table_count };

struct LiveNames;

struct SaveContext {
    SaveContext(DxfOut& o, const Drawing& d, int v) : out(o), drawing(d), version(v) {}

    DxfOut& out;
    const Drawing& drawing;
    int version = version_2000;

    // Table-record names as written, by handle.
    std::unordered_map<std::uint64_t, std::string> layer_names;
    std::unordered_map<std::uint64_t, std::string> linetype_names;
    std::unordered_map<std::uint64_t, std::string> style_names;
    std::string default_layer_name = "0";
    // Set while entities are formatted beside the interpreter: the maps above
    // start out (nearly) empty and learn each name from here on first use;
    // handles it did not know are remembered in `absent`. The save compares
    // both with the finished tables (see dxf_body.h).
    LiveNames* live = nullptr;
    std::unordered_set<std::uint64_t> absent[name_table_count];
    std::uint64_t last_layer = 0;                    // layer_name's one-entry cache
    const std::string* last_layer_name = nullptr;    // (layer_names does not change while entities are written)
    std::uint64_t last_linetype = 0;                 // the same for linetype names;
    const std::string* last_linetype_name = nullptr; // null: not written (BYLAYER)
    bool last_linetype_valid = false;

    // Entities carry handles: always from R13, in R12 while $HANDLING is on.
    bool entity_handles = true;
    // R12 makes POLYLINE/VERTEX/SEQEND out of every LWPOLYLINE; their
    // VERTEX and SEQEND entities take handles from here, above the seed.
    std::uint64_t next_extra_handle = 0;
    std::uint64_t handle_seed = 0;   // $HANDSEED as written

    // The common groups of the last entity written (after its handle) and
    // what they were made from: entities come in long runs that share them
    // (the vertices of a polyline), which copy the text.
    CommonGroupsKey common_key;
    std::string common_run;
    bool common_run_valid = false;

    // Scratch reused for every entity.
    std::vector<std::uint8_t> payload;   // a record that does not lie in one piece
    std::vector<std::uint8_t> blob;
    std::vector<std::uint8_t> blob2;
    StoreCursor cursor;       // over the entity store, with its read-ahead window
    StoredEntity entity;

    bool r12() const { return version == version_r12; }
    bool r13_up() const { return version >= version_r13; }
    bool r14_up() const { return version >= version_r14; }
    bool is_2000() const { return version >= version_2000; }
};

// The written name of the record with this handle in one of the name
// tables, or null when the table has none.
const std::string* record_name(SaveContext& c, NameTable table, std::uint64_t handle);

// Names of table records below 2000 go through this conversion: upper case,
// characters outside A-Z, 0-9, "_", "$" and "-" become "_", at most 31 of
// them; a leading "*" (special blocks and viewports) stays.
std::string legacy_name(std::string_view name);
// The name as this save writes it.
std::string written_name(const SaveContext& c, std::string_view name);
// Block names as they are written: *Model_Space/*Paper_Space in 2000.
std::string written_block_name(const SaveContext& c, const Block& block);

void write_header_section(SaveContext& c);
void write_classes_section(SaveContext& c);
void write_tables_section(SaveContext& c);
void write_blocks_section(SaveContext& c);
// False when the entity store cannot be read back (error 32).
bool write_entities_section(SaveContext& c);
// One entity of the store (in the block `owner`), as write_entities_section
// writes it.
void write_entity(SaveContext& c, const StoredEntity& e, const Block& owner);
void write_objects_section(SaveContext& c);

void begin_section(SaveContext& c, std::string_view name);
void end_section(SaveContext& c);

}  // namespace penloom
