// DWG classes and tables: the class records of the classes in use, the nine
// table control objects with their records (the records the DXF writes: the
// first of every written name), and the block headers with their BLOCK and
// ENDBLK entities. In: the save's context (and, for the block headers, the
// first and last entity of each block as the entity writer recorded them).
// Out: the class section's data and the objects in the stream.
#include <string>
#include <unordered_set>

#include "drawing/drawing_internal.h"
#include "drawing/dwg_writer_internal.h"
#include "drawing/dxf_writer_internal.h"

namespace penloom {

namespace {

using C = DwgContext&;

std::string lower(std::string s) {
    for (char& ch : s)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return s;
}

template <class Record>
std::vector<const Record*> unique_records(C c, const std::vector<Record>& records) {
    std::vector<const Record*> out;
    std::unordered_set<std::string> seen;
    for (const Record& r : records)
        if (seen.insert(lower(dwg_name(c, r.name))).second) out.push_back(&r);
    return out;
}

template <class Record>
std::vector<std::uint64_t> handles_of(const std::vector<const Record*>& records) {
    std::vector<std::uint64_t> out;
    out.reserve(records.size());
    for (const Record* r : records) out.push_back(handle_value(r->handle));
    return out;
}

// A control object: its entries, then the extra handles some of them carry.
void write_control(C c, std::uint16_t type, const Handle& handle,
                   const std::vector<std::uint64_t>& entries,
                   std::initializer_list<std::uint64_t> extra = {}) {
    BitWriter& w = c.object;
    begin_object(c, w, type, handle_value(handle));
    put_bl(w, 0);  // no reactors
    put_bs(w, static_cast<int>(entries.size()));
    if (type == dwg_type_dimstyle_control && c.is_2000()) put_rc(w, 0);  // no further handles
    start_handles(c, w);
    put_h(w, 4, 0);  // no owner
    put_h(w, 3, 0);  // no extension dictionary
    for (std::uint64_t e : entries) put_h(w, 2, e);
    for (std::uint64_t e : extra) put_h(w, 3, e);
    end_object(c, w);
}

// The part every table record starts with: name and the xref flags.
BitWriter& begin_record(C c, std::uint16_t type, const Handle& handle, const std::string& name,
                        std::uint8_t flags) {
    BitWriter& w = c.object;
    begin_object(c, w, type, handle_value(handle));
    put_bl(w, 0);  // no reactors
    put_tv(w, name, c.version);
    // AutoCAD sets this bit on every record of its files while their DXF
    // shows no 64 in group 70: it is not the DXF's "referenced" flag.
    put_b(w, true);
    put_bs(w, 0);  // no xref
    put_b(w, (flags & 16) != 0);
    return w;
}

// Handle stream of a table record: owner (the control object), no
// extension dictionary, no xref block.
void record_handles(C c, BitWriter& w, const Handle& owner) {
    start_handles(c, w);
    put_h(w, 4, handle_value(owner));
    put_h(w, 3, 0);
    put_h(w, 5, 0);
}

void write_vports(C c) {
    const Drawing& d = c.drawing;
    const auto records = unique_records(c, d.vports.records);
    write_control(c, dwg_type_vport_control, d.vports.handle, handles_of(records));
    for (const VportTableRecord* r : records) {
        BitWriter& w = begin_record(c, dwg_type_vport, r->handle, dwg_name(c, r->name), r->flags);
        put_bd(w, r->view_height);
        put_bd(w, r->view_height * r->aspect_ratio);
        put_2rd(w, r->view_center);
        put_3bd(w, r->target);
        put_3bd(w, r->view_direction);
        put_bd(w, r->twist_angle);
        put_bd(w, r->lens_length);
        put_bd(w, r->front_clip);
        put_bd(w, r->back_clip);
        put_bits(w, static_cast<unsigned>(r->view_mode) & 15u, 4);
        if (c.is_2000()) put_rc(w, 0);  // render mode
        put_2rd(w, r->lower_left);
        put_2rd(w, r->upper_right);
        put_b(w, (r->view_mode & 8) != 0);
        put_bs(w, r->circle_zoom);
        put_b(w, r->fast_zoom != 0);
        put_bb(w, static_cast<unsigned>(r->ucs_icon));
        put_b(w, r->grid_on != 0);
        put_2rd(w, r->grid_spacing);
        put_b(w, r->snap_on != 0);
        put_b(w, r->snap_style != 0);
        put_bs(w, r->snap_isopair);
        put_bd(w, r->snap_angle);
        put_2rd(w, r->snap_base);
        put_2rd(w, r->snap_spacing);
        if (c.is_2000()) {
            put_b(w, false);  // UCS not at the origin
            put_b(w, true);   // the UCS follows the viewport
            put_3bd(w, Point3{});
            put_3bd(w, Point3{1.0, 0.0, 0.0});
            put_3bd(w, Point3{0.0, 1.0, 0.0});
            put_bd(w, 0.0);
            put_bs(w, 0);
        }
        record_handles(c, w, d.vports.handle);
        if (c.is_2000()) {
            put_h(w, 5, 0);  // no named UCS
            put_h(w, 5, 0);  // no base UCS
        }
        end_object(c, w);
    }
}

void write_linetype(C c, const LinetypeTableRecord& r, const std::string& name) {
    BitWriter& w = begin_record(c, dwg_type_ltype, r.handle, name, r.flags);
    put_tv(w, r.description, c.version);
    put_bd(w, r.pattern_length);
    put_rc(w, static_cast<std::uint8_t>(r.alignment));
    put_rc(w, static_cast<std::uint8_t>(r.dashes.size()));
    for (const LinetypeDash& dash : r.dashes) {
        put_bd(w, dash.length);
        put_bs(w, dash.complex_type != 0 ? dash.shape : 0);
        put_rd(w, dash.complex_type != 0 ? dash.offset_x : 0.0);
        put_rd(w, dash.complex_type != 0 ? dash.offset_y : 0.0);
        put_bd(w, dash.complex_type != 0 ? dash.scale : 1.0);
        put_bd(w, dash.complex_type != 0 ? dash.rotation : 0.0);
        put_bs(w, dash.complex_type);
    }
    // The texts of text dashes, one after the other, each with its zero.
    std::uint8_t area[256] = {};
    std::size_t used = 0;
    for (const LinetypeDash& dash : r.dashes)
        if ((dash.complex_type & 2) != 0)
            for (std::size_t i = 0; i <= dash.text.size() && used < sizeof area; ++i)
                area[used++] = i < dash.text.size() ? static_cast<std::uint8_t>(dash.text[i]) : 0;
    for (std::uint8_t b : area) put_rc(w, b);
    record_handles(c, w, c.drawing.linetypes.handle);
    for (std::size_t i = 0; i < r.dashes.size(); ++i) put_h(w, 5, 0);  // no shape file
    end_object(c, w);
}

void write_linetypes(C c) {
    const Drawing& d = c.drawing;
    std::vector<const LinetypeTableRecord*> records;
    for (const LinetypeTableRecord* r : unique_records(c, d.linetypes.records))
        if (!names_equal(r->name, "BYBLOCK") && !names_equal(r->name, "BYLAYER"))
            records.push_back(r);
    write_control(c, dwg_type_ltype_control, d.linetypes.handle, handles_of(records),
                  {handle_value(d.byblock_linetype), handle_value(d.bylayer_linetype)});
    LinetypeTableRecord special;
    special.handle = d.byblock_linetype;
    write_linetype(c, special, dwg_name(c, "BYBLOCK"));
    special.handle = d.bylayer_linetype;
    write_linetype(c, special, dwg_name(c, "BYLAYER"));
    for (const LinetypeTableRecord* r : records) write_linetype(c, *r, dwg_name(c, r->name));
}

void write_layers(C c) {
    const Drawing& d = c.drawing;
    const auto records = unique_records(c, d.layers.records);
    write_control(c, dwg_type_layer_control, d.layers.handle, handles_of(records));
    const std::uint64_t continuous = continuous_linetype(d);
    for (const LayerTableRecord* r : records) {
        BitWriter& w = begin_record(c, dwg_type_layer, r->handle, dwg_name(c, r->name), r->flags);
        const bool off = r->color < 0;
        if (c.is_2000()) {
            const bool plots = !names_equal(r->name, "DefPoints") && r->plot != 0;
            unsigned flags = (r->flags & 1u) | (off ? 2u : 0u) | ((r->flags & 2u) ? 4u : 0u) |
                             ((r->flags & 4u) ? 8u : 0u) | (plots ? 16u : 0u);
            flags |= static_cast<unsigned>(dwg_lineweight(r->lineweight) & 0x1F) << 5;
            put_bs(w, static_cast<int>(flags));
        } else {
            put_b(w, (r->flags & 1) != 0);
            put_b(w, off);
            put_b(w, (r->flags & 2) != 0);
            put_b(w, (r->flags & 4) != 0);
        }
        put_cmc(w, r->color);
        record_handles(c, w, d.layers.handle);
        if (c.is_2000()) put_h(w, 5, handle_value(r->plot_style));
        const bool known =
            !is_null_handle(r->linetype) && linetype_written(c, handle_value(r->linetype));
        put_h(w, 5, known ? handle_value(r->linetype) : continuous);
        end_object(c, w);
    }
}

void write_styles(C c) {
    const Drawing& d = c.drawing;
    const auto records = unique_records(c, d.text_styles.records);
    write_control(c, dwg_type_style_control, d.text_styles.handle, handles_of(records));
    for (const TextStyleTableRecord* r : records) {
        BitWriter& w = begin_record(c, dwg_type_style, r->handle, dwg_name(c, r->name), r->flags);
        put_b(w, (r->flags & 1) != 0);
        put_b(w, (r->flags & 4) != 0);
        put_bd(w, r->fixed_height);
        put_bd(w, r->width_factor);
        put_bd(w, r->oblique);
        put_rc(w, static_cast<std::uint8_t>(r->generation));
        put_bd(w, r->last_height);
        put_tv(w, r->font_file, c.version);
        put_tv(w, r->bigfont_file, c.version);
        record_handles(c, w, d.text_styles.handle);
        end_object(c, w);
    }
}

void write_views(C c) {
    const Drawing& d = c.drawing;
    const auto records = unique_records(c, d.views.records);
    write_control(c, dwg_type_view_control, d.views.handle, handles_of(records));
    for (const ViewTableRecord* r : records) {
        BitWriter& w = begin_record(c, dwg_type_view, r->handle, dwg_name(c, r->name), r->flags);
        put_bd(w, r->height);
        put_bd(w, r->width);
        put_2rd(w, r->center);
        put_3bd(w, r->target);
        put_3bd(w, r->direction);
        put_bd(w, r->twist_angle);
        put_bd(w, r->lens_length);
        put_bd(w, r->front_clip);
        put_bd(w, r->back_clip);
        put_bits(w, static_cast<unsigned>(r->view_mode) & 15u, 4);
        if (c.is_2000()) put_rc(w, 0);  // render mode
        put_b(w, (r->flags & 1) != 0);
        if (c.is_2000()) put_b(w, false);  // no UCS of its own
        record_handles(c, w, d.views.handle);
        end_object(c, w);
    }
}

void write_ucss(C c) {
    const Drawing& d = c.drawing;
    const auto records = unique_records(c, d.ucss.records);
    write_control(c, dwg_type_ucs_control, d.ucss.handle, handles_of(records));
    for (const UcsTableRecord* r : records) {
        BitWriter& w = begin_record(c, dwg_type_ucs, r->handle, dwg_name(c, r->name), r->flags);
        put_3bd(w, r->origin);
        put_3bd(w, r->x_axis);
        put_3bd(w, r->y_axis);
        if (c.is_2000()) {
            put_bd(w, 0.0);  // elevation
            put_bs(w, 0);    // not orthographic
            put_bs(w, 0);    // no orthographic origins
        }
        record_handles(c, w, d.ucss.handle);
        if (c.is_2000()) {
            put_h(w, 5, 0);
            put_h(w, 5, 0);
        }
        end_object(c, w);
    }
}

void write_appids(C c) {
    const Drawing& d = c.drawing;
    const auto records = unique_records(c, d.regapps.records);
    write_control(c, dwg_type_appid_control, d.regapps.handle, handles_of(records));
    for (const RegAppTableRecord* r : records) {
        BitWriter& w = begin_record(c, dwg_type_appid, r->handle, dwg_name(c, r->name), r->flags);
        put_rc(w, 0);
        record_handles(c, w, d.regapps.handle);
        end_object(c, w);
    }
}

std::uint8_t rc(std::int16_t v) {
    return static_cast<std::uint8_t>(v);
}

void write_dimstyle(C c, const DimStyleTableRecord& r, std::uint64_t dimtxsty) {
    const HeaderRecord& h = c.drawing.header;
    BitWriter& w = begin_record(c, dwg_type_dimstyle, r.handle, dwg_name(c, r.name), r.flags);
    if (!c.is_2000()) {
        for (std::int16_t v : {h.dimtol, h.dimlim, h.dimtih, h.dimtoh, h.dimse1, h.dimse2, h.dimalt,
                               h.dimtofl, h.dimsah, h.dimtix, h.dimsoxd})
            put_b(w, v != 0);
        put_rc(w, rc(h.dimaltd));
        put_rc(w, rc(h.dimzin));
        put_b(w, h.dimsd1 != 0);
        put_b(w, h.dimsd2 != 0);
        put_rc(w, rc(h.dimtolj));
        put_rc(w, rc(h.dimjust));
        put_rc(w, rc(h.dimfit));
        put_b(w, h.dimupt != 0);
        put_rc(w, rc(h.dimtzin));
        put_rc(w, rc(h.dimaltz));
        put_rc(w, rc(h.dimalttz));
        put_rc(w, rc(h.dimtad));
        for (std::int16_t v : {h.dimunit, h.dimaunit, h.dimdec, h.dimtdec, h.dimaltu, h.dimalttd})
            put_bs(w, v);
        for (double v : {h.dimscale, h.dimasz, h.dimexo, h.dimdli, h.dimexe, h.dimrnd, h.dimdle,
                         h.dimtp, h.dimtm, h.dimtxt, h.dimcen, h.dimtsz, h.dimaltf, h.dimlfac,
                         h.dimtvp, h.dimtfac, h.dimgap})
            put_bd(w, v);
        for (const std::string* s : {&h.dimpost, &h.dimapost, &h.dimblk, &h.dimblk1, &h.dimblk2})
            put_tv(w, *s, c.version);
        put_cmc(w, h.dimclrd);
        put_cmc(w, h.dimclre);
        put_cmc(w, h.dimclrt);
    } else {
        put_tv(w, h.dimpost, c.version);
        put_tv(w, h.dimapost, c.version);
        for (double v : {h.dimscale, h.dimasz, h.dimexo, h.dimdli, h.dimexe, h.dimrnd, h.dimdle,
                         h.dimtp, h.dimtm})
            put_bd(w, v);
        for (std::int16_t v : {h.dimtol, h.dimlim, h.dimtih, h.dimtoh, h.dimse1, h.dimse2})
            put_b(w, v != 0);
        put_bs(w, h.dimtad);
        put_bs(w, h.dimzin);
        put_bs(w, h.dimazin);
        for (double v : {h.dimtxt, h.dimcen, h.dimtsz, h.dimaltf, h.dimlfac, h.dimtvp, h.dimtfac,
                         h.dimgap, h.dimaltrnd})
            put_bd(w, v);
        put_b(w, h.dimalt != 0);
        put_bs(w, h.dimaltd);
        for (std::int16_t v : {h.dimtofl, h.dimsah, h.dimtix, h.dimsoxd}) put_b(w, v != 0);
        put_cmc(w, h.dimclrd);
        put_cmc(w, h.dimclre);
        put_cmc(w, h.dimclrt);
        for (std::int16_t v : {h.dimadec, h.dimdec, h.dimtdec, h.dimaltu, h.dimalttd, h.dimaunit,
                               h.dimfrac, h.dimlunit, h.dimdsep, h.dimtmove, h.dimjust})
            put_bs(w, v);
        put_b(w, h.dimsd1 != 0);
        put_b(w, h.dimsd2 != 0);
        for (std::int16_t v : {h.dimtolj, h.dimtzin, h.dimaltz, h.dimalttz}) put_bs(w, v);
        put_b(w, h.dimupt != 0);
        put_bs(w, h.dimatfit);
        put_bs(w, h.dimlwd);
        put_bs(w, h.dimlwe);
    }
    put_b(w, (r.flags & 1) != 0);
    record_handles(c, w, c.drawing.dimstyles.handle);
    put_h(w, 5, dimtxsty);
    if (c.is_2000())
        for (int i = 0; i < 4; ++i) put_h(w, 5, 0);  // arrow blocks: the default arrow
    end_object(c, w);
}

void write_dimstyles(C c) {
    const Drawing& d = c.drawing;
    const auto records = unique_records(c, d.dimstyles.records);
    write_control(c, dwg_type_dimstyle_control, d.dimstyles.handle, handles_of(records));
    std::uint64_t dimtxsty = 0;
    for (const TextStyleTableRecord& s : d.text_styles.records)
        if (dimtxsty == 0 && names_equal(s.name, d.header.dimtxsty))
            dimtxsty = handle_value(s.handle);
    if (dimtxsty == 0 && !d.text_styles.records.empty())
        dimtxsty = handle_value(d.text_styles.records.front().handle);
    for (const DimStyleTableRecord* r : records) write_dimstyle(c, *r, dimtxsty);
}

bool class_in_use(C c, const ClassRecord& k) {
    if (c.version < k.first_version) return false;
    if (k.dxf_name == "LWPOLYLINE") return c.drawing.lwpolyline_count > 0;
    if (k.dxf_name == "HATCH") return c.drawing.hatch_count > 0;
    return true;
}

}  // namespace

std::string dwg_name(const DwgContext& c, std::string_view name) {
    return c.is_2000() ? std::string(name) : legacy_name(name);
}

bool linetype_written(const DwgContext& c, std::uint64_t handle) {
    const Drawing& d = c.drawing;
    if (handle == handle_value(d.byblock_linetype) || handle == handle_value(d.bylayer_linetype))
        return true;
    for (const LinetypeTableRecord& r : d.linetypes.records)
        if (handle_value(r.handle) == handle) return true;
    return false;
}

void number_classes(DwgContext& c) {
    // LWPOLYLINE and HATCH keep their class records (the DXF lists them),
    // but their entities take the fixed types AutoCAD 2000 gives them: the
    // readers we check against find them only under those.
    c.lwpolyline_class = dwg_type_lwpolyline;
    c.hatch_class = dwg_type_hatch;
    std::uint16_t next = 500;
    for (const ClassRecord& k : c.drawing.classes) {
        if (!class_in_use(c, k)) continue;
        const std::uint16_t number = next++;
        if (k.dxf_name == "ACDBDICTIONARYWDFLT")
            c.dictionarywdflt_class = number;
        else if (k.dxf_name == "ACDBPLACEHOLDER")
            c.placeholder_class = number;
        else if (k.dxf_name == "LAYOUT")
            c.layout_class = number;
    }
}

void put_classes(DwgContext& c, BitWriter& w) {
    std::uint16_t next = 500;
    for (const ClassRecord& k : c.drawing.classes) {
        if (!class_in_use(c, k)) continue;
        put_bs(w, next++);
        put_bs(w, k.proxy_flags);
        put_tv(w, k.app_name, c.version);
        put_tv(w, k.cpp_name, c.version);
        put_tv(w, k.dxf_name, c.version);
        put_b(w, k.was_proxy != 0);
        put_bs(w, k.is_entity != 0 ? 0x1F2 : 0x1F3);
    }
}

void write_dwg_tables(DwgContext& c) {
    write_vports(c);
    write_linetypes(c);
    write_layers(c);
    write_styles(c);
    write_views(c);
    write_ucss(c);
    write_appids(c);
    write_dimstyles(c);
    if (c.vx_control != 0)
        write_control(c, dwg_type_vp_ent_hdr_control, make_handle(c.vx_control), {});
}

}  // namespace penloom
