// CLASSES and TABLES sections: the class records of the classes in use, then
// the tables VPORT, LTYPE, LAYER, STYLE, VIEW, UCS, APPID, DIMSTYLE and (from
// R13) BLOCK_RECORD with their entries. Of several records with one name only
// the first is written.
#include <string>
#include <unordered_set>

#include "drawing/drawing_internal.h"
#include "drawing/dxf_writer_internal.h"

namespace penloom {

namespace {

using C = SaveContext&;

std::string lower(std::string s) {
    for (char& ch : s)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    return s;
}

// Indexes of the records to write: the first of every written name.
template <class Record>
std::vector<const Record*> unique_records(C c, const std::vector<Record>& records) {
    std::vector<const Record*> out;
    std::unordered_set<std::string> seen;
    for (const Record& r : records)
        if (seen.insert(lower(written_name(c, r.name))).second)
            out.push_back(&r);
    return out;
}

void begin_table(C c, const char* name, const Handle& handle, std::size_t count) {
    group_string(c.out, 0, "TABLE");
    group_string(c.out, 2, name);
    if (c.r13_up()) {
        group_handle(c.out, 5, handle);
        group_string(c.out, 100, "AcDbSymbolTable");
    }
    group_int16(c.out, 70, static_cast<long>(count));
}

void end_table(C c) { group_string(c.out, 0, "ENDTAB"); }

void record_header(C c, const char* entry, const Handle& handle, const char* kind, int handle_code = 5) {
    group_string(c.out, 0, entry);
    if (c.r13_up()) {
        group_handle(c.out, handle_code, handle);
        group_string(c.out, 100, "AcDbSymbolTableRecord");
        group_string(c.out, 100, std::string("AcDb") + kind + "TableRecord");
    }
}

void write_vports(C c) {
    const auto records = unique_records(c, c.drawing.vports.records);
    begin_table(c, "VPORT", c.drawing.vports.handle, records.size());
    for (const VportTableRecord* r : records) {
        DxfOut& o = c.out;
        record_header(c, "VPORT", r->handle, "Viewport");
        group_string(o, 2, written_name(c, r->name));
        group_int16(o, 70, r->flags);
        group_point2(o, 10, r->lower_left.x, r->lower_left.y);
        group_point2(o, 11, r->upper_right.x, r->upper_right.y);
        group_point2(o, 12, r->view_center.x, r->view_center.y);
        group_point2(o, 13, r->snap_base.x, r->snap_base.y);
        group_point2(o, 14, r->snap_spacing.x, r->snap_spacing.y);
        group_point2(o, 15, r->grid_spacing.x, r->grid_spacing.y);
        group_point3(o, 16, r->view_direction);
        group_point3(o, 17, r->target);
        group_real(o, 40, r->view_height);
        group_real(o, 41, r->aspect_ratio);
        group_real(o, 42, r->lens_length);
        group_real(o, 43, r->front_clip);
        group_real(o, 44, r->back_clip);
        group_angle(o, 50, r->snap_angle);
        group_angle(o, 51, r->twist_angle);
        group_int16(o, 71, r->view_mode);
        group_int16(o, 72, r->circle_zoom);
        group_int16(o, 73, r->fast_zoom);
        group_int16(o, 74, r->ucs_icon);
        group_int16(o, 75, r->snap_on);
        group_int16(o, 76, r->grid_on);
        group_int16(o, 77, r->snap_style);
        group_int16(o, 78, r->snap_isopair);
        if (c.is_2000()) {
            group_int16(o, 281, 0);
            group_int16(o, 65, 1);
            group_point3(o, 110, Point3{});
            group_point3(o, 111, Point3{1.0, 0.0, 0.0});
            group_point3(o, 112, Point3{0.0, 1.0, 0.0});
            group_int16(o, 79, 0);
            group_real(o, 146, 0.0);
        }
    }
    end_table(c);
}

void write_linetype(C c, const LinetypeTableRecord& r, const std::string& name) {
    DxfOut& o = c.out;
    record_header(c, "LTYPE", r.handle, "Linetype");
    group_string(o, 2, name);
    group_int16(o, 70, r.flags);
    group_string(o, 3, r.description);
    group_int16(o, 72, r.alignment);
    group_int16(o, 73, static_cast<long>(r.dashes.size()));
    group_real(o, 40, r.pattern_length);
    for (const LinetypeDash& dash : r.dashes) {
        group_real(o, 49, dash.length);
        if (!c.r13_up())
            continue;
        group_int16(o, 74, dash.complex_type);
        if (dash.complex_type != 0) {
            group_int16(o, 75, dash.shape);
            group_real(o, 46, dash.scale);
            group_angle(o, 50, dash.rotation);
            group_real(o, 44, dash.offset_x);
            group_real(o, 45, dash.offset_y);
            if (dash.complex_type & 2)
                group_string(o, 9, dash.text);
        }
    }
}

void write_linetypes(C c) {
    const Drawing& d = c.drawing;
    std::vector<const LinetypeTableRecord*> records;
    for (const LinetypeTableRecord* r : unique_records(c, d.linetypes.records))
        if (!names_equal(r->name, "BYBLOCK") && !names_equal(r->name, "BYLAYER"))
            records.push_back(r);
    // R12 knows BYBLOCK and BYLAYER without table entries.
    const std::size_t specials = c.r13_up() ? 2 : 0;
    begin_table(c, "LTYPE", d.linetypes.handle, records.size() + specials);
    if (specials) {
        LinetypeTableRecord special;
        special.handle = d.byblock_linetype;
        write_linetype(c, special, "BYBLOCK");
        special.handle = d.bylayer_linetype;
        write_linetype(c, special, "BYLAYER");
    }
    for (const LinetypeTableRecord* r : records)
        write_linetype(c, *r, written_name(c, r->name));
    end_table(c);
}

void write_layers(C c) {
    const auto records = unique_records(c, c.drawing.layers.records);
    begin_table(c, "LAYER", c.drawing.layers.handle, records.size());
    for (const LayerTableRecord* r : records) {
        DxfOut& o = c.out;
        record_header(c, "LAYER", r->handle, "Layer");
        group_string(o, 2, written_name(c, r->name));
        group_int16(o, 70, r->flags);
        group_int16(o, 62, r->color);
        const auto lt = c.linetype_names.find(handle_value(r->linetype));
        const bool known = !is_null_handle(r->linetype) && lt != c.linetype_names.end();
        group_string(o, 6, known ? lt->second : written_name(c, "Continuous"));
        if (c.is_2000()) {
            group_int16(o, 290, names_equal(r->name, "DefPoints") ? 0 : r->plot);
            group_int16(o, 370, r->lineweight);
            group_handle(o, 390, r->plot_style);
        }
    }
    end_table(c);
}

void write_styles(C c) {
    const auto records = unique_records(c, c.drawing.text_styles.records);
    begin_table(c, "STYLE", c.drawing.text_styles.handle, records.size());
    for (const TextStyleTableRecord* r : records) {
        DxfOut& o = c.out;
        record_header(c, "STYLE", r->handle, "TextStyle");
        group_string(o, 2, written_name(c, r->name));
        group_int16(o, 70, r->flags);
        group_real(o, 40, r->fixed_height);
        group_real(o, 41, r->width_factor);
        group_angle(o, 50, r->oblique);
        group_int16(o, 71, r->generation);
        group_real(o, 42, r->last_height);
        group_string(o, 3, r->font_file);
        group_string(o, 4, r->bigfont_file);
    }
    end_table(c);
}

void write_views(C c) {
    const auto records = unique_records(c, c.drawing.views.records);
    begin_table(c, "VIEW", c.drawing.views.handle, records.size());
    for (const ViewTableRecord* r : records) {
        DxfOut& o = c.out;
        record_header(c, "VIEW", r->handle, "View");
        group_string(o, 2, written_name(c, r->name));
        group_int16(o, 70, r->flags);
        group_real(o, 40, r->height);
        group_point2(o, 10, r->center.x, r->center.y);
        group_real(o, 41, r->width);
        group_point3(o, 11, r->direction);
        group_point3(o, 12, r->target);
        group_real(o, 42, r->lens_length);
        group_real(o, 43, r->front_clip);
        group_real(o, 44, r->back_clip);
        group_angle(o, 50, r->twist_angle);
        group_int16(o, 71, r->view_mode);
    }
    end_table(c);
}

void write_ucss(C c) {
    const auto records = unique_records(c, c.drawing.ucss.records);
    begin_table(c, "UCS", c.drawing.ucss.handle, records.size());
    for (const UcsTableRecord* r : records) {
        DxfOut& o = c.out;
        record_header(c, "UCS", r->handle, "UCS");
        group_string(o, 2, written_name(c, r->name));
        group_int16(o, 70, r->flags);
        group_point3(o, 10, r->origin);
        group_point3(o, 11, r->x_axis);
        group_point3(o, 12, r->y_axis);
    }
    end_table(c);
}

void write_appids(C c) {
    const auto records = unique_records(c, c.drawing.regapps.records);
    begin_table(c, "APPID", c.drawing.regapps.handle, records.size());
    for (const RegAppTableRecord* r : records) {
        record_header(c, "APPID", r->handle, "RegApp");
        group_string(c.out, 2, written_name(c, r->name));
        group_int16(c.out, 70, r->flags);
    }
    end_table(c);
}

void write_dimstyles(C c) {
    const HeaderRecord& h = c.drawing.header;
    const auto records = unique_records(c, c.drawing.dimstyles.records);
    begin_table(c, "DIMSTYLE", c.drawing.dimstyles.handle, records.size());
    for (const DimStyleTableRecord* r : records) {
        DxfOut& o = c.out;
        // Dimension styles carry their handle in group 105.
        record_header(c, "DIMSTYLE", r->handle, "DimStyle", 105);
        group_string(o, 2, written_name(c, r->name));
        group_int16(o, 70, r->flags);
        const double reals[] = {h.dimscale, h.dimasz, h.dimexo, h.dimdli, h.dimexe, h.dimrnd, h.dimdle, h.dimtp, h.dimtm};
        for (int i = 0; i < 9; ++i)
            group_real(o, 40 + i, reals[i]);
        const double reals2[] = {h.dimtxt, h.dimcen, h.dimtsz, h.dimaltf, h.dimlfac, h.dimtvp, h.dimtfac, h.dimgap};
        for (int i = 0; i < 8; ++i)
            group_real(o, 140 + i, reals2[i]);
        const int ints[] = {h.dimtol, h.dimlim, h.dimtih, h.dimtoh, h.dimse1, h.dimse2, h.dimtad, h.dimzin};
        for (int i = 0; i < 8; ++i)
            group_int16(o, 71 + i, ints[i]);
        const int ints2[] = {h.dimalt, h.dimaltd, h.dimtofl, h.dimsah, h.dimtix, h.dimsoxd, h.dimclrd, h.dimclre, h.dimclrt};
        for (int i = 0; i < 9; ++i)
            group_int16(o, 170 + i, ints2[i]);
    }
    end_table(c);
}

void write_block_records(C c) {
    const Drawing& d = c.drawing;
    begin_table(c, "BLOCK_RECORD", d.block_records.handle, d.blocks.size());
    for (const Block& b : d.blocks) {
        DxfOut& o = c.out;
        record_header(c, "BLOCK_RECORD", b.record, "Block");
        group_string(o, 2, written_block_name(c, b));
        if (c.is_2000()) {
            group_handle(o, 340, b.layout);
            group_int16(o, 70, 0);
            group_int16(o, 280, 1);
            group_int16(o, 281, 0);
        }
    }
    end_table(c);
}

bool class_in_use(C c, const ClassRecord& k) {
    if (c.version < k.first_version)
        return false;
    if (k.dxf_name == "LWPOLYLINE")
        return c.drawing.lwpolyline_count > 0;
    if (k.dxf_name == "HATCH")
        return c.drawing.hatch_count > 0;
    return true;
}

}  // namespace

void write_classes_section(SaveContext& c) {
    begin_section(c, "CLASSES");
    for (const ClassRecord& k : c.drawing.classes) {
        if (!class_in_use(c, k))
            continue;
        DxfOut& o = c.out;
        group_string(o, 0, "CLASS");
        group_string(o, 1, k.dxf_name);
        group_string(o, 2, k.cpp_name);
        group_string(o, 3, k.app_name);
        group_int32(o, 90, k.proxy_flags);
        group_int16(o, 280, k.was_proxy);
        group_int16(o, 281, k.is_entity);
    }
    end_section(c);
}

void write_tables_section(SaveContext& c) {
    begin_section(c, "TABLES");
    write_vports(c);
    write_linetypes(c);
    write_layers(c);
    write_styles(c);
    write_views(c);
    write_ucss(c);
    write_appids(c);
    write_dimstyles(c);
    if (c.r13_up())
        write_block_records(c);
    end_section(c);
}

}  // namespace penloom
