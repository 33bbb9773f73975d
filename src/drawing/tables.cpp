// Symbol tables: layers, linetypes, text styles, registered applications,
// viewports, views, UCSs, dimension styles and block records. Every table
// works the same way (see the templates); the named operations are the
// database's interface for each.
//
// A second record with a name that is already in its table is accepted: the
// writer keeps the first record of a name, and entities that refer to the
// second one are written on that name too.
#include "drawing/drawing.h"
#include "drawing/drawing_internal.h"

namespace penloom {

namespace {

template <class Record>
bool add_record(Drawing& d, SymbolTable<Record>& table, const Record& record) {
    if (record.name.empty())
        return fail(d, 2);
    Record copy = record;
    if (!claim_handle(d, copy.handle))
        return false;
    table.records.push_back(std::move(copy));
    return true;
}

template <class Record>
bool find_record(Drawing& d, const SymbolTable<Record>& table, std::string_view name, Handle& out,
                 std::int16_t miss_error) {
    for (const Record& r : table.records) {
        if (names_equal(r.name, name)) {
            out = r.handle;
            return true;
        }
    }
    out = Handle{};
    return fail(d, miss_error);
}

template <class Record>
bool first_record(SymbolTable<Record>& table) {
    table.cursor = 0;
    return !table.records.empty();
}

template <class Record>
bool next_record(SymbolTable<Record>& table, Record& out) {
    if (table.cursor >= table.records.size())
        return false;
    out = table.records[table.cursor++];
    return true;
}

template <class Record>
bool update_record(Drawing& d, SymbolTable<Record>& table, const Record& record) {
    for (Record& r : table.records) {
        if (r.handle == record.handle && !is_null_handle(record.handle)) {
            r = record;
            return true;
        }
    }
    return fail(d, 303);
}

// A record just added or updated, for a DXF body formatter that may be
// running; always true.
template <class Record>
bool noted(Drawing& d, int table, const Record& record) {
    if (d.dxf_body)
        note_record_name(d, table, record.handle, record.name);
    return true;
}

}  // namespace

// ---- Layers ----

void init_layer_record(Drawing& drawing, LayerTableRecord& out) {
    out = LayerTableRecord{};
    if (!drawing.linetypes.records.empty())
        out.linetype = drawing.linetypes.records.front().handle;
    out.plot_style = drawing.objects.plotstyle_normal;
}
bool add_layer(Drawing& drawing, const LayerTableRecord& record) {
    return add_record(drawing, drawing.layers, record) && noted(drawing, 0, drawing.layers.records.back());
}
bool find_layer(Drawing& drawing, std::string_view name, Handle& out) {
    return find_record(drawing, drawing.layers, name, out, 91);
}
bool first_layer(Drawing& drawing) { return first_record(drawing.layers); }
bool next_layer(Drawing& drawing, LayerTableRecord& out) { return next_record(drawing.layers, out); }
std::size_t layer_count(const Drawing& drawing) { return drawing.layers.records.size(); }
bool update_layer(Drawing& drawing, const LayerTableRecord& record) {
    return update_record(drawing, drawing.layers, record) && noted(drawing, 0, record);
}

// ---- Linetypes ----

void init_linetype_record(LinetypeTableRecord& out) { out = LinetypeTableRecord{}; }
bool add_linetype(Drawing& drawing, const LinetypeTableRecord& record) {
    return add_record(drawing, drawing.linetypes, record) && noted(drawing, 1, drawing.linetypes.records.back());
}
bool find_linetype(Drawing& drawing, std::string_view name, Handle& out) {
    if (names_equal(name, "BYBLOCK")) {
        out = drawing.byblock_linetype;
        return true;
    }
    if (names_equal(name, "BYLAYER")) {
        out = drawing.bylayer_linetype;
        return true;
    }
    return find_record(drawing, drawing.linetypes, name, out, 77);
}
bool first_linetype(Drawing& drawing) { return first_record(drawing.linetypes); }
bool next_linetype(Drawing& drawing, LinetypeTableRecord& out) { return next_record(drawing.linetypes, out); }
std::size_t linetype_count(const Drawing& drawing) { return drawing.linetypes.records.size(); }
bool update_linetype(Drawing& drawing, const LinetypeTableRecord& record) {
    return update_record(drawing, drawing.linetypes, record) && noted(drawing, 1, record);
}

// ---- Text styles ----

void init_text_style_record(TextStyleTableRecord& out) { out = TextStyleTableRecord{}; }
bool add_text_style(Drawing& drawing, const TextStyleTableRecord& record) {
    return add_record(drawing, drawing.text_styles, record) && noted(drawing, 2, drawing.text_styles.records.back());
}
bool find_text_style(Drawing& drawing, std::string_view name, Handle& out) {
    return find_record(drawing, drawing.text_styles, name, out, 305);
}
bool first_text_style(Drawing& drawing) { return first_record(drawing.text_styles); }
bool next_text_style(Drawing& drawing, TextStyleTableRecord& out) { return next_record(drawing.text_styles, out); }
std::size_t text_style_count(const Drawing& drawing) { return drawing.text_styles.records.size(); }
bool update_text_style(Drawing& drawing, const TextStyleTableRecord& record) {
    return update_record(drawing, drawing.text_styles, record) && noted(drawing, 2, record);
}

// ---- Registered applications ----

void init_regapp_record(RegAppTableRecord& out) { out = RegAppTableRecord{}; }
bool add_regapp(Drawing& drawing, const RegAppTableRecord& record) {
    return add_record(drawing, drawing.regapps, record);
}
bool find_regapp(Drawing& drawing, std::string_view name, Handle& out) {
    return find_record(drawing, drawing.regapps, name, out, 79);
}
bool first_regapp(Drawing& drawing) { return first_record(drawing.regapps); }
bool next_regapp(Drawing& drawing, RegAppTableRecord& out) { return next_record(drawing.regapps, out); }
std::size_t regapp_count(const Drawing& drawing) { return drawing.regapps.records.size(); }

// ---- Viewports ----

void init_vport_record(VportTableRecord& out) { out = VportTableRecord{}; }
bool add_vport(Drawing& drawing, const VportTableRecord& record) { return add_record(drawing, drawing.vports, record); }
bool find_vport(Drawing& drawing, std::string_view name, Handle& out) {
    return find_record(drawing, drawing.vports, name, out, 87);
}
bool first_vport(Drawing& drawing) { return first_record(drawing.vports); }
bool next_vport(Drawing& drawing, VportTableRecord& out) { return next_record(drawing.vports, out); }
std::size_t vport_count(const Drawing& drawing) { return drawing.vports.records.size(); }
bool replace_vport(Drawing& drawing, const VportTableRecord& record) {
    return update_record(drawing, drawing.vports, record);
}

// ---- Views ----

void init_view_record(ViewTableRecord& out) { out = ViewTableRecord{}; }
bool add_view(Drawing& drawing, const ViewTableRecord& record) { return add_record(drawing, drawing.views, record); }
bool find_view(Drawing& drawing, std::string_view name, Handle& out) {
    return find_record(drawing, drawing.views, name, out, 85);
}
bool first_view(Drawing& drawing) { return first_record(drawing.views); }
bool next_view(Drawing& drawing, ViewTableRecord& out) { return next_record(drawing.views, out); }
std::size_t view_count(const Drawing& drawing) { return drawing.views.records.size(); }

// ---- UCSs ----

void init_ucs_record(UcsTableRecord& out) { out = UcsTableRecord{}; }
bool add_ucs(Drawing& drawing, const UcsTableRecord& record) { return add_record(drawing, drawing.ucss, record); }
bool find_ucs(Drawing& drawing, std::string_view name, Handle& out) {
    return find_record(drawing, drawing.ucss, name, out, 89);
}
bool first_ucs(Drawing& drawing) { return first_record(drawing.ucss); }
bool next_ucs(Drawing& drawing, UcsTableRecord& out) { return next_record(drawing.ucss, out); }
std::size_t ucs_count(const Drawing& drawing) { return drawing.ucss.records.size(); }

// ---- Dimension styles ----

void init_dimstyle_record(DimStyleTableRecord& out) { out = DimStyleTableRecord{}; }
bool add_dimstyle(Drawing& drawing, const DimStyleTableRecord& record) {
    return add_record(drawing, drawing.dimstyles, record);
}
bool find_dimstyle(Drawing& drawing, std::string_view name, Handle& out) {
    return find_record(drawing, drawing.dimstyles, name, out, 83);
}
bool first_dimstyle(Drawing& drawing) { return first_record(drawing.dimstyles); }
bool next_dimstyle(Drawing& drawing, DimStyleTableRecord& out) { return next_record(drawing.dimstyles, out); }
std::size_t dimstyle_count(const Drawing& drawing) { return drawing.dimstyles.records.size(); }

// ---- Block records (the blocks themselves are made with the drawing) ----

void init_block_record(BlockTableRecord& out) { out = BlockTableRecord{}; }
bool find_block_record(Drawing& drawing, std::string_view name, Handle& out) {
    return find_record(drawing, drawing.block_records, name, out, 93);
}
bool first_block_record(Drawing& drawing) { return first_record(drawing.block_records); }
bool next_block_record(Drawing& drawing, BlockTableRecord& out) { return next_record(drawing.block_records, out); }
std::size_t block_record_count(const Drawing& drawing) { return drawing.block_records.records.size(); }

}  // namespace penloom
