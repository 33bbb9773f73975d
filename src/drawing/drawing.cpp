// Drawing database lifetime: the library record, creating a drawing with the
// default tables, blocks, classes and objects the translator relies on, the
// handle seed and the header record.
#include <cctype>
#include <cstring>
#include <fstream>
#include <new>

#include "drawing/drawing.h"
#include "drawing/drawing_internal.h"

namespace penloom {

namespace {

// A handle above the seed by more than this is taken for garbage rather than
// letting the used-handle bitmap grow without bound.
constexpr std::uint64_t max_handle_jump = std::uint64_t{1} << 24;

// Makes room for the bit of `word` (out of line: the set grows rarely).
[[gnu::noinline]] void grow_handle_set(HandleSet& set, std::size_t word) {
    set.words.resize(word + 1 + set.words.size() / 2, 0);
}

bool mark_handle(HandleSet& set, std::uint64_t value) {
    const std::size_t word = static_cast<std::size_t>(value >> 6);
    const std::uint64_t bit = std::uint64_t{1} << (value & 63);
    if (word >= set.words.size())
        grow_handle_set(set, word);
    if (set.words[word] & bit)
        return false;
    set.words[word] |= bit;
    return true;
}

// A handle for one of the drawing's own records, taken at once.
Handle take_handle(Drawing& d) {
    Handle h;
    new_handle(d, h);
    mark_handle(d.used_handles, handle_value(h));
    return h;
}

void add_default_classes(Drawing& d) {
    // LWPOLYLINE and HATCH first so their codes are the same in both versions.
    d.classes.push_back({"LWPOLYLINE", "AcDbPolyline", "AutoCAD", 0, 0, 1, 500, version_r13});
    d.classes.push_back({"HATCH", "AcDbHatch", "AutoCAD", 0, 0, 1, 501, version_r13});
    if (d.version >= version_2000) {
        d.classes.push_back({"ACDBDICTIONARYWDFLT", "AcDbDictionaryWithDefault", "ObjectDBX Classes", 0, 0, 0, 502,
                             version_2000});
        d.classes.push_back({"ACDBPLACEHOLDER", "AcDbPlaceHolder", "ObjectDBX Classes", 0, 0, 0, 503, version_2000});
        d.classes.push_back({"LAYOUT", "AcDbLayout", "ObjectDBX Classes", 0, 0, 0, 504, version_2000});
    }
}

// Default records and handles, in a fixed order so that every new drawing
// numbers its handles the same way.
void add_defaults(Drawing& d) {
    d.vports.handle = take_handle(d);
    d.linetypes.handle = take_handle(d);
    d.layers.handle = take_handle(d);
    d.text_styles.handle = take_handle(d);
    d.views.handle = take_handle(d);
    d.ucss.handle = take_handle(d);
    d.regapps.handle = take_handle(d);
    d.dimstyles.handle = take_handle(d);
    d.block_records.handle = take_handle(d);

    const char* block_names[2] = {"*MODEL_SPACE", "*PAPER_SPACE"};
    for (std::uint32_t i = 0; i < 2; ++i) {
        BlockTableRecord record;
        record.name = block_names[i];
        record.handle = take_handle(d);
        d.block_records.records.push_back(record);
        Block block;
        block.name = record.name;
        block.record = record.handle;
        block.begin = take_handle(d);
        block.end = take_handle(d);
        block.paper_space = i == 1;
        block.entities.id = i;
        d.blocks.push_back(block);
    }

    DrawingObjects& o = d.objects;
    o.root_dictionary = take_handle(d);
    o.group_dictionary = take_handle(d);
    o.mlinestyle_dictionary = take_handle(d);
    o.mlinestyle_standard = take_handle(d);
    if (d.version >= version_2000) {
        o.plotstyle_dictionary = take_handle(d);
        o.plotstyle_normal = take_handle(d);
        o.layout_dictionary = take_handle(d);
        o.model_layout = take_handle(d);
        o.paper_layout = take_handle(d);
        d.blocks[0].layout = o.model_layout;
        d.blocks[1].layout = o.paper_layout;
    }

    // BYBLOCK and BYLAYER are not table records: the drawing holds only their
    // handles, and the writer puts them in front of the linetype table.
    d.byblock_linetype = take_handle(d);
    d.bylayer_linetype = take_handle(d);
    LinetypeTableRecord ltype;
    ltype.name = "CONTINUOUS";
    ltype.description = "Solid line";
    ltype.handle = take_handle(d);
    d.linetypes.records.push_back(ltype);

    LayerTableRecord layer;
    layer.name = "0";
    layer.linetype = ltype.handle;
    layer.plot_style = o.plotstyle_normal;
    layer.handle = take_handle(d);
    d.layers.records.push_back(layer);

    TextStyleTableRecord style;
    style.name = "STANDARD";
    style.handle = take_handle(d);
    d.standard_text_style = style.handle;
    d.text_styles.records.push_back(style);

    VportTableRecord vport;
    vport.name = "*ACTIVE";
    vport.aspect_ratio = 420.0 / 297.0;
    vport.handle = take_handle(d);
    d.vports.records.push_back(vport);

    RegAppTableRecord app;
    app.name = "ACAD";
    app.handle = take_handle(d);
    d.regapps.records.push_back(app);

    DimStyleTableRecord dim;
    dim.name = "STANDARD";
    dim.handle = take_handle(d);
    d.dimstyles.records.push_back(dim);

    add_default_classes(d);
}

}  // namespace

bool fail(DrawingLibrary& lib, std::int16_t error) {
    lib.last_error = error;
    return false;
}

bool names_equal(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool claim_handle(Drawing& drawing, Handle& h) {
    std::uint64_t value = handle_value(h);
    if (value == 0) {
        new_handle(drawing, h);
        value = handle_value(h);
    } else if (value >= drawing.handle_seed) {
        if (value - drawing.handle_seed > max_handle_jump)
            return fail(drawing, 290);
        drawing.handle_seed = value + 1;
    }
    if (!mark_handle(drawing.used_handles, value))
        return fail(drawing, 172);
    return true;
}

Handle make_handle(std::uint64_t value) {
    Handle h{};
    for (int i = 7; i >= 0; --i) {
        h[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value & 0xff);
        value >>= 8;
    }
    return h;
}

void new_handle(Drawing& drawing, Handle& out) {
    // Handed out, not yet taken: the record or entity that carries it takes
    // it when it is added.
    out = make_handle(drawing.handle_seed);
    ++drawing.handle_seed;
}

bool init_library(DrawingLibrary& lib, const std::string& data_path, std::int16_t& error) {
    // Every default is built in. A data file, when present, only has to carry
    // the right identification line; it holds no data we need.
    lib.data_path = data_path;
    lib.number_format = NumberFormat{};
    if (!data_path.empty()) {
        std::ifstream in(data_path, std::ios::binary);
        if (in) {
            std::string first;
            std::getline(in, first);
            if (!first.empty() && first.back() == '\r')
                first.pop_back();
            if (first.rfind("PENLOOM-DAT", 0) == 0 && first != "PENLOOM-DAT 1") {
                error = 183;
                lib.last_error = error;
                return false;
            }
        }
    }
    lib.initialised = true;
    lib.last_error = 0;
    error = 0;
    return true;
}

void set_error_callback(DrawingLibrary& lib, ErrorCallback callback) { lib.error_callback = std::move(callback); }

void set_library_option(DrawingLibrary& lib, std::int16_t value) { lib.option = value; }

void close_library(DrawingLibrary& lib) {
    // The error callback survives: the translator installs it once per run.
    lib.initialised = false;
    lib.number_format = NumberFormat{};
}

std::unique_ptr<Drawing> create_drawing(DrawingLibrary& lib, int version) {
    if (!lib.initialised) {
        fail(lib, 295);
        return nullptr;
    }
    if (version < version_r12 || version > version_2000) {
        fail(lib, 21);
        return nullptr;
    }
    try {
        auto drawing = std::make_unique<Drawing>();
        drawing->library = &lib;
        drawing->version = static_cast<VersionCode>(version);
        add_defaults(*drawing);
        lib.last_error = 0;
        return drawing;
    } catch (const std::bad_alloc&) {
        fail(lib, version >= version_2000 ? 133 : 2);
        if (lib.error_callback)
            lib.error_callback(severity_allocation);
        return nullptr;
    }
}

void release_drawing(std::unique_ptr<Drawing>& drawing) { drawing.reset(); }

void get_header(const Drawing& drawing, HeaderRecord& out) { out = drawing.header; }

void set_header(Drawing& drawing, const HeaderRecord& header) { drawing.header = header; }

bool find_block(Drawing& drawing, std::string_view name, Handle& out) {
    for (const Block& block : drawing.blocks) {
        if (names_equal(block.name, name)) {
            out = block.record;
            return true;
        }
    }
    out = Handle{};
    return fail(drawing, 93);
}

EntityList* block_entity_list(Drawing& drawing, const Handle& block_record) {
    for (Block& block : drawing.blocks)
        if (block.record == block_record)
            return &block.entities;
    fail(drawing, 93);
    return nullptr;
}

namespace {

// Asked for every entity added: the name is compared at its known length,
// without a library call.
template <std::size_t N>
std::uint16_t class_type(const Drawing& drawing, const char (&name)[N]) {
    for (const ClassRecord& c : drawing.classes)
        if (c.dxf_name.size() == N - 1 && std::memcmp(c.dxf_name.data(), name, N - 1) == 0)
            return c.type_code;
    return 0;
}

}  // namespace

std::uint16_t lwpolyline_type(const Drawing& drawing) { return class_type(drawing, "LWPOLYLINE"); }

std::uint16_t hatch_type(const Drawing& drawing) { return class_type(drawing, "HATCH"); }

}  // namespace penloom
