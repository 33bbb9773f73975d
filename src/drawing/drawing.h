// The drawing database: one Drawing at a time, with symbol tables, blocks and
// their entity lists, the header record, handles, blobs and the ASCII DXF
// writer. Plain records and free functions; statuses are true on success, and
// on failure the library's last_error says why (error_message gives its text).
//
// API overview, in the order the pipeline uses it:
//   DrawingLibrary lib;                         the caller owns library state
//   init_library(lib, "…/penloom.dat", err)     defaults are built in
//   set_error_callback(lib, fn)                 fn(severity): 1 read, 3 disk full,
//                                               2/5/6 allocation
//   auto dwg = create_drawing(lib, version_r14 or version_2000)
//   find_block(*dwg, "*MODEL_SPACE", h); EntityList* ms = block_entity_list(*dwg, h)
//   first_layer / next_layer, find_linetype(*dwg, "CONTINUOUS", h)
//   per entity: hdr.type = …; init_entity(*dwg, hdr, rec); new_handle(*dwg, hdr.handle);
//               fill; add_entity(*dwg, *ms, hdr, rec)
//   LWPOLYLINE/HATCH data: create_blob, open_blob_writer, blob_write(w, &x, 8),
//               close_blob_writer, then the blob id goes into the record
//   tables: init_*_record, add_*, find_*, first_*/next_*, *_count, update_*
//   get_header / set_header, replace_vport
//   save_drawing(*dwg, path, file_kind_ascii_dxf, version, false, places)
//   release_drawing(dwg); close_library(lib)
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "drawing/entity_store.h"
#include "drawing/header_record.h"
#include "drawing/records.h"

namespace penloom {

// ---- Library state ----

// Called synchronously on a critical condition with its severity code.
using ErrorCallback = std::function<void(std::int16_t severity)>;

constexpr std::int16_t severity_read_error = 1;
constexpr std::int16_t severity_allocation = 2;
constexpr std::int16_t severity_disk_full = 3;

// Output number formats, derived once per save from the decimal places.
struct NumberFormat {
    int decimal_places = 6;      // 0..16
    bool negative_zero = false;  // write "-0.0" for tiny negative reals
    double zero_threshold = 0.5e-6;
};

struct DrawingLibrary {
    bool initialised = false;
    std::int16_t last_error = 0;
    ErrorCallback error_callback;
    NumberFormat number_format;
    std::int16_t option = 0;     // the library-wide option the translator clears
    std::string data_path;
    // Fault injection for tests: a save fails once this many bytes are written.
    std::uint64_t write_limit = UINT64_MAX;
    // The save's output buffer (at least 256 bytes); tests make it small so
    // that the file is written out in the middle of every kind of group.
    std::size_t output_buffer = std::size_t{1} << 20;
    // A formatted entities' text is copied into the saved file in pieces of
    // this size (tests make them small, so that the copy runs beside the
    // formatter in the middle of a text).
    std::uint64_t copy_piece = std::uint64_t{64} << 20;
    // Whether the last DXF save took its entities' text from begin_dxf_body's
    // formatter (tests and benchmarks look; the file is the same either way).
    bool entities_preformatted = false;
};

// ---- Drawing ----

// One entity list per block; entities themselves live in the drawing's store.
struct EntityList {
    std::uint32_t id = 0;        // index of the block that owns it
    std::uint64_t count = 0;
};

struct Block {
    std::string name;
    Handle record{};             // its BLOCK_RECORD
    Handle begin{};              // the BLOCK entity
    Handle end{};                // the ENDBLK entity
    Handle layout{};             // its LAYOUT object (version 7 drawings)
    bool paper_space = false;
    EntityList entities;
};

struct ClassRecord {
    std::string dxf_name;
    std::string cpp_name;
    std::string app_name;
    std::int32_t proxy_flags = 0;
    std::int16_t was_proxy = 0;
    std::int16_t is_entity = 0;
    std::uint16_t type_code = 0;
    VersionCode first_version = version_r13;   // written from this version on
};

template <class Record>
struct SymbolTable {
    Handle handle{};             // the TABLE's own handle
    std::vector<Record> records;
    std::size_t cursor = 0;      // first_*/next_* position
};

// Handles of the objects every drawing carries (OBJECTS section).
struct DrawingObjects {
    Handle root_dictionary{};
    Handle group_dictionary{};
    Handle mlinestyle_dictionary{};
    Handle mlinestyle_standard{};
    Handle plotstyle_dictionary{};   // version 7 only
    Handle plotstyle_normal{};
    Handle layout_dictionary{};
    Handle model_layout{};
    Handle paper_layout{};
};

// Which handles below the seed are taken: one bit per handle value.
struct HandleSet {
    std::vector<std::uint64_t> words;
};

struct PendingBlob {
    std::uint64_t offset = 0;    // of the blob's bytes in the store
    std::uint32_t size = 0;
    bool closed = false;
};

// The bytes of an open blob: the first `used` of `bytes`, which only grows
// (doubling) and serves the next blob opened in its slot.
struct BlobBuffer {
    std::vector<std::uint8_t> bytes;
    std::size_t used = 0;
};

// The ENTITIES text of a DXF save, formatted on a thread of its own while the
// drawing is filled (dxf_body.h); the deleter stops and joins that thread.
struct DxfBody;
struct DxfBodyDelete {
    void operator()(DxfBody* body) const;
};

struct Drawing {
    DrawingLibrary* library = nullptr;
    VersionCode version = version_2000;
    HeaderRecord header;

    // Handles
    std::uint64_t handle_seed = 1;
    HandleSet used_handles;
    Handle byblock_linetype{};
    Handle bylayer_linetype{};
    Handle standard_text_style{};

    // Tables, in file order
    SymbolTable<VportTableRecord> vports;
    SymbolTable<LinetypeTableRecord> linetypes;
    SymbolTable<LayerTableRecord> layers;
    SymbolTable<TextStyleTableRecord> text_styles;
    SymbolTable<ViewTableRecord> views;
    SymbolTable<UcsTableRecord> ucss;
    SymbolTable<RegAppTableRecord> regapps;
    SymbolTable<DimStyleTableRecord> dimstyles;
    SymbolTable<BlockTableRecord> block_records;

    // Blocks (index = entity list id); 0 is *MODEL_SPACE, 1 *PAPER_SPACE
    std::vector<Block> blocks;
    std::vector<ClassRecord> classes;
    DrawingObjects objects;

    // Entities and blobs, encoded compactly
    EntityStore store;
    std::unordered_map<BlobId, PendingBlob> blobs;   // made but not yet taken by an entity
    BlobId next_blob = 1;
    std::vector<BlobBuffer> writer_buffers;
    std::vector<std::uint32_t> free_writers;
    std::vector<std::uint8_t> scratch;
    EntityHeader last_stored;            // the header of the entity stored last,
    bool has_last_stored = false;        // which the next may repeat
    std::uint64_t lwpolyline_count = 0;      // R12 turns these into POLYLINE/VERTEX/SEQEND
    std::uint64_t lwpolyline_vertices = 0;
    std::uint64_t hatch_count = 0;

    // Layer (0) and linetype (1) names announced for records not added yet.
    std::unordered_map<std::uint64_t, std::string> announced_names[2];

    // Last, so that its thread is stopped before anything it reads goes.
    std::unique_ptr<DxfBody, DxfBodyDelete> dxf_body;
};

// ---- Library lifetime ----

// Sets up the library; defaults are built in, so a missing data file is fine.
// A data file that exists must start with "PENLOOM-DAT 1" (183 otherwise).
bool init_library(DrawingLibrary& lib, const std::string& data_path, std::int16_t& error);
void set_error_callback(DrawingLibrary& lib, ErrorCallback callback);
void set_library_option(DrawingLibrary& lib, std::int16_t value);
void close_library(DrawingLibrary& lib);

// ---- Drawing lifetime ----

// Version 6 or 7 (the others fail with 21). Holds layer "0", the linetypes
// BYBLOCK, BYLAYER and CONTINUOUS, text style STANDARD, viewport *ACTIVE,
// appid ACAD, dimstyle STANDARD, the blocks *MODEL_SPACE and *PAPER_SPACE and
// the default objects. Returns null on failure.
std::unique_ptr<Drawing> create_drawing(DrawingLibrary& lib, int version);
void release_drawing(std::unique_ptr<Drawing>& drawing);

constexpr int file_kind_dwg = 0;
constexpr int file_kind_ascii_dxf = 1;
constexpr int file_kind_binary_dxf = 2;

// Writes the drawing as ASCII DXF (kind 1) at version 4..7 with the given
// decimal places (0..16), or as DWG (kind 0) at version 5..7 (R13, R14,
// 2000; the decimal places do not apply). The file appears under path only
// when complete. Errors: 306 drawing below version 7 saved at 7; 21 other
// versions; 5 other kinds; 3 the file cannot be created or replaced; 27 a
// write failed.
// option_a and option_b are passed as 1 and 0 by the translator; unused here.
bool save_drawing(Drawing& drawing, const std::string& path, int kind, int version,
                  bool negative_zero, int decimal_places, int option_a = 1, int option_b = 0);

// Starts formatting the entities for a DXF save (path, version 4..7, decimal
// places) on a second thread while the drawing is filled; the save with the
// same version and places then writes the tables in front of that text and
// copies it in. Any other save, or one whose entities' text turned out to
// depend on something that changed later (a name, a dropped table record),
// writes the whole file itself as usual: the file is the same either way.
// False (and nothing started) when the thread or its temporary file in the
// folder of path cannot be made.
bool begin_dxf_body(Drawing& drawing, const std::string& path, int version, int decimal_places);

// A layer or linetype record that the caller will add with this handle and
// name before the save: entities on it can be formatted before it exists.
void announce_layer(Drawing& drawing, const Handle& handle, std::string_view name);
void announce_linetype(Drawing& drawing, const Handle& handle, std::string_view name);

// ---- Handles and header ----

void new_handle(Drawing& drawing, Handle& out);
void get_header(const Drawing& drawing, HeaderRecord& out);
void set_header(Drawing& drawing, const HeaderRecord& header);

// ---- Blocks and entities ----

bool find_block(Drawing& drawing, std::string_view name, Handle& out);
EntityList* block_entity_list(Drawing& drawing, const Handle& block_record);

// Defaults for the type already in header.type.
bool init_entity(Drawing& drawing, EntityHeader& header, EntityRecord& record);
// Stores a copy; the handle must be new (172). A zero handle gets a new one.
// Blobs named by the record now belong to the entity.
bool add_entity(Drawing& drawing, EntityList& list, const EntityHeader& header, const EntityRecord& record);

std::uint16_t lwpolyline_type(const Drawing& drawing);
std::uint16_t hatch_type(const Drawing& drawing);

// ---- Blobs ----

struct BlobWriter {
    Drawing* drawing = nullptr;  // null: no writer
    BlobId blob = 0;
    std::uint32_t slot = 0;
};

BlobId create_blob(Drawing& drawing, std::uint32_t block_size);
BlobWriter open_blob_writer(Drawing& drawing, BlobId blob);
// Appends exactly width bytes (1, 2, 4, 8 or 16) from data.
bool blob_write(BlobWriter& writer, const void* data, std::size_t width);
bool close_blob_writer(BlobWriter& writer);
// Size in bytes of a closed blob not yet taken by an entity; -1 otherwise.
std::int64_t blob_size(const Drawing& drawing, BlobId blob);

// ---- Tables ----
// first_* rewinds and returns whether the table has records; next_* copies
// the next record out (false at the end). find_* compares names without case;
// a miss leaves out zero and returns false. update_*/replace_* write back the
// record whose handle they carry (303 when there is none).

void init_layer_record(Drawing& drawing, LayerTableRecord& out);
bool add_layer(Drawing& drawing, const LayerTableRecord& record);
bool find_layer(Drawing& drawing, std::string_view name, Handle& out);
bool first_layer(Drawing& drawing);
bool next_layer(Drawing& drawing, LayerTableRecord& out);
std::size_t layer_count(const Drawing& drawing);
bool update_layer(Drawing& drawing, const LayerTableRecord& record);

void init_linetype_record(LinetypeTableRecord& out);
bool add_linetype(Drawing& drawing, const LinetypeTableRecord& record);
bool find_linetype(Drawing& drawing, std::string_view name, Handle& out);
bool first_linetype(Drawing& drawing);
bool next_linetype(Drawing& drawing, LinetypeTableRecord& out);
std::size_t linetype_count(const Drawing& drawing);
bool update_linetype(Drawing& drawing, const LinetypeTableRecord& record);

void init_text_style_record(TextStyleTableRecord& out);
bool add_text_style(Drawing& drawing, const TextStyleTableRecord& record);
bool find_text_style(Drawing& drawing, std::string_view name, Handle& out);
bool first_text_style(Drawing& drawing);
bool next_text_style(Drawing& drawing, TextStyleTableRecord& out);
std::size_t text_style_count(const Drawing& drawing);
bool update_text_style(Drawing& drawing, const TextStyleTableRecord& record);

void init_regapp_record(RegAppTableRecord& out);
bool add_regapp(Drawing& drawing, const RegAppTableRecord& record);
bool find_regapp(Drawing& drawing, std::string_view name, Handle& out);
bool first_regapp(Drawing& drawing);
bool next_regapp(Drawing& drawing, RegAppTableRecord& out);
std::size_t regapp_count(const Drawing& drawing);

void init_vport_record(VportTableRecord& out);
bool add_vport(Drawing& drawing, const VportTableRecord& record);
bool find_vport(Drawing& drawing, std::string_view name, Handle& out);
bool first_vport(Drawing& drawing);
bool next_vport(Drawing& drawing, VportTableRecord& out);
std::size_t vport_count(const Drawing& drawing);
bool replace_vport(Drawing& drawing, const VportTableRecord& record);

void init_view_record(ViewTableRecord& out);
bool add_view(Drawing& drawing, const ViewTableRecord& record);
bool find_view(Drawing& drawing, std::string_view name, Handle& out);
bool first_view(Drawing& drawing);
bool next_view(Drawing& drawing, ViewTableRecord& out);
std::size_t view_count(const Drawing& drawing);

void init_ucs_record(UcsTableRecord& out);
bool add_ucs(Drawing& drawing, const UcsTableRecord& record);
bool find_ucs(Drawing& drawing, std::string_view name, Handle& out);
bool first_ucs(Drawing& drawing);
bool next_ucs(Drawing& drawing, UcsTableRecord& out);
std::size_t ucs_count(const Drawing& drawing);

void init_dimstyle_record(DimStyleTableRecord& out);
bool add_dimstyle(Drawing& drawing, const DimStyleTableRecord& record);
bool find_dimstyle(Drawing& drawing, std::string_view name, Handle& out);
bool first_dimstyle(Drawing& drawing);
bool next_dimstyle(Drawing& drawing, DimStyleTableRecord& out);
std::size_t dimstyle_count(const Drawing& drawing);

void init_block_record(BlockTableRecord& out);
bool find_block_record(Drawing& drawing, std::string_view name, Handle& out);
bool first_block_record(Drawing& drawing);
bool next_block_record(Drawing& drawing, BlockTableRecord& out);
std::size_t block_record_count(const Drawing& drawing);

// ---- Errors and code pages ----

std::int16_t last_error(const DrawingLibrary& lib);
// Text of an error number; "Error number out of range" outside 0..308.
std::string error_message(int number);
// Name of a code-page index 0..41; nullptr outside.
const char* codepage_name(int index);
// The library's own code-page number for an index 0..41; -1 outside.
int codepage_number(int index);

}  // namespace penloom
