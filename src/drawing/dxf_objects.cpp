// OBJECTS section (R13 to 2000): the root dictionary with ACAD_GROUP and
// ACAD_MLINESTYLE (holding the STANDARD multiline style), and for 2000 also
// ACAD_PLOTSTYLENAME (holding "Normal") and ACAD_LAYOUT with the layouts
// Model and Layout1 of the two layout blocks.
#include "drawing/dxf_writer_internal.h"

namespace penloom {

namespace {

using C = SaveContext&;

// Object start: type, handle, the owner as reactor and as owner.
void object_header(C c, const char* type, const Handle& handle, const Handle& owner) {
    DxfOut& o = c.out;
    group_string(o, 0, type);
    group_handle(o, 5, handle);
    if (!is_null_handle(owner)) {
        group_string(o, 102, "{ACAD_REACTORS");
        group_handle(o, 330, owner);
        group_string(o, 102, "}");
    }
    group_handle(o, 330, owner);
}

struct Entry {
    const char* name;
    Handle handle;
};

void dictionary(C c, const char* type, const Handle& handle, const Handle& owner, std::initializer_list<Entry> entries) {
    object_header(c, type, handle, owner);
    group_string(c.out, 100, "AcDbDictionary");
    if (c.is_2000())
        group_int16(c.out, 281, 1);
    for (const Entry& e : entries) {
        group_string(c.out, 3, e.name);
        group_handle(c.out, 350, e.handle);
    }
}

void mlinestyle(C c) {
    const DrawingObjects& ob = c.drawing.objects;
    DxfOut& o = c.out;
    object_header(c, "MLINESTYLE", ob.mlinestyle_standard, ob.mlinestyle_dictionary);
    group_string(o, 100, "AcDbMlineStyle");
    group_string(o, 2, "STANDARD");
    group_int16(o, 70, 0);
    group_string(o, 3, "");
    group_int16(o, 62, 256);
    group_real(o, 51, 90.0);
    group_real(o, 52, 90.0);
    group_int16(o, 71, 2);
    for (double offset : {0.5, -0.5}) {
        group_real(o, 49, offset);
        group_int16(o, 62, 256);
        group_string(o, 6, written_name(c, "BYLAYER"));
    }
}

void layout(C c, const Block& block, const char* name, int tab_order) {
    const HeaderRecord& h = c.drawing.header;
    DxfOut& o = c.out;
    object_header(c, "LAYOUT", block.layout, c.drawing.objects.layout_dictionary);
    group_string(o, 100, "AcDbPlotSettings");
    group_string(o, 1, "");
    group_string(o, 2, "none_device");
    group_string(o, 4, "");
    group_string(o, 6, "");
    for (int code = 40; code <= 49; ++code)
        group_real(o, code, 0.0);
    group_real(o, 140, 0.0);
    group_real(o, 141, 0.0);
    group_real(o, 142, 1.0);
    group_real(o, 143, 1.0);
    group_int16(o, 70, block.paper_space ? 688 : 1712);
    group_int16(o, 72, 1);
    group_int16(o, 73, 0);
    group_int16(o, 74, 5);
    group_string(o, 7, "");
    group_int16(o, 75, 16);
    group_real(o, 147, 1.0);
    group_real(o, 148, 0.0);
    group_real(o, 149, 0.0);
    group_string(o, 100, "AcDbLayout");
    group_string(o, 1, name);
    group_int16(o, 70, 1);
    group_int16(o, 71, tab_order);
    const Point2 lmin = block.paper_space ? h.plimmin : h.limmin;
    const Point2 lmax = block.paper_space ? h.plimmax : h.limmax;
    group_point2(o, 10, lmin.x, lmin.y);
    group_point2(o, 11, lmax.x, lmax.y);
    group_point3(o, 12, block.paper_space ? h.pinsbase : h.insbase);
    group_point3(o, 14, block.paper_space ? h.pextmin : h.extmin);
    group_point3(o, 15, block.paper_space ? h.pextmax : h.extmax);
    group_real(o, 146, 0.0);
    group_point3(o, 13, Point3{});
    group_point3(o, 16, Point3{1.0, 0.0, 0.0});
    group_point3(o, 17, Point3{0.0, 1.0, 0.0});
    group_int16(o, 76, 0);
    group_handle(o, 330, block.record);
}

}  // namespace

void write_objects_section(SaveContext& c) {
    const DrawingObjects& ob = c.drawing.objects;
    const Handle none{};
    begin_section(c, "OBJECTS");
    if (c.is_2000()) {
        dictionary(c, "DICTIONARY", ob.root_dictionary, none,
                   {{"ACAD_GROUP", ob.group_dictionary},
                    {"ACAD_LAYOUT", ob.layout_dictionary},
                    {"ACAD_MLINESTYLE", ob.mlinestyle_dictionary},
                    {"ACAD_PLOTSTYLENAME", ob.plotstyle_dictionary}});
    } else {
        dictionary(c, "DICTIONARY", ob.root_dictionary, none,
                   {{"ACAD_GROUP", ob.group_dictionary}, {"ACAD_MLINESTYLE", ob.mlinestyle_dictionary}});
    }
    dictionary(c, "DICTIONARY", ob.group_dictionary, ob.root_dictionary, {});
    if (c.is_2000()) {
        const auto& blocks = c.drawing.blocks;
        dictionary(c, "DICTIONARY", ob.layout_dictionary, ob.root_dictionary,
                   {{"Layout1", blocks[1].layout}, {"Model", blocks[0].layout}});
    }
    dictionary(c, "DICTIONARY", ob.mlinestyle_dictionary, ob.root_dictionary, {{"STANDARD", ob.mlinestyle_standard}});
    if (c.is_2000()) {
        dictionary(c, "ACDBDICTIONARYWDFLT", ob.plotstyle_dictionary, ob.root_dictionary,
                   {{"Normal", ob.plotstyle_normal}});
        group_string(c.out, 100, "AcDbDictionaryWithDefault");
        group_handle(c.out, 340, ob.plotstyle_normal);
        object_header(c, "ACDBPLACEHOLDER", ob.plotstyle_normal, ob.plotstyle_dictionary);
    }
    mlinestyle(c);
    if (c.is_2000()) {
        layout(c, c.drawing.blocks[0], "Model", 0);
        layout(c, c.drawing.blocks[1], "Layout1", 1);
    }
    end_section(c);
}

}  // namespace penloom
