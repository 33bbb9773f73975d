// DWG blocks and non-graphical objects: the block control object, a block
// header per block with its BLOCK and ENDBLK entities, and the objects the
// DXF's OBJECTS section holds: the named-object dictionary with ACAD_GROUP
// and ACAD_MLINESTYLE (and the STANDARD multiline style), and for 2000 also
// ACAD_LAYOUT with the two layouts and ACAD_PLOTSTYLENAME with its "Normal"
// placeholder. In: the save's context, after the entity writer has recorded
// each block's first and last entity. Out: the objects in the stream.
#include <numbers>

#include "drawing/dwg_writer_internal.h"

namespace penloom {

namespace {

using C = DwgContext&;

struct Entry {
    const char* name;
    Handle handle;
};

std::uint64_t hv(const Handle& h) {
    return handle_value(h);
}

std::uint64_t default_layer(const Drawing& d) {
    return d.layers.records.empty() ? 0 : hv(d.layers.records.front().handle);
}

std::string block_name(C c, const Block& b) {
    if (c.is_2000() && b.record == c.drawing.blocks[0].record) return "*Model_Space";
    if (c.is_2000() && b.record == c.drawing.blocks[1].record) return "*Paper_Space";
    return dwg_name(c, b.name);
}

// BLOCK or ENDBLK of a block: entity mode 2 or 1 for the two layout blocks
// (their owner is implied), otherwise owned by the block's header.
void write_block_entity(C c, const Block& b, std::size_t index, bool end) {
    DwgEntityCommon e;
    e.mode = index == 0 ? 2 : index == 1 ? 1 : 0;
    e.owner = hv(b.record);
    e.layer = default_layer(c.drawing);
    e.linetype = hv(c.drawing.bylayer_linetype);
    BitWriter& w = c.object;
    begin_entity(c, w, end ? dwg_type_endblk : dwg_type_block, hv(end ? b.end : b.begin));
    put_entity_common(c, w, e);
    if (!end) put_tv(w, block_name(c, b), c.version);
    start_handles(c, w);
    put_entity_handles(c, w, e);
    end_object(c, w);
}

void write_block_header(C c, const Block& b, std::size_t index) {
    const Drawing& d = c.drawing;
    BitWriter& w = c.object;
    begin_object(c, w, dwg_type_block_header, hv(b.record));
    put_bl(w, 0);  // no reactors
    put_tv(w, block_name(c, b), c.version);
    put_b(w, true);  // as on every table record AutoCAD writes
    put_bs(w, 0);
    put_b(w, false);
    put_b(w, false);                   // not anonymous
    put_b(w, false);                   // no attributes
    put_b(w, false);                   // no xref
    put_b(w, false);                   // not overlaid
    if (c.is_2000()) put_b(w, false);  // not loaded
    put_3bd(w, Point3{});
    put_tv(w, "", c.version);  // no xref path
    if (c.is_2000()) {
        put_rc(w, 0);  // no inserts
        put_tv(w, "", c.version);
        put_bl(w, 0);  // no preview
    }
    start_handles(c, w);
    put_h(w, 4, hv(d.block_records.handle));
    put_h(w, 3, 0);
    put_h(w, 5, 0);
    put_h(w, 3, hv(b.begin));
    const DwgBlockEntities none;
    const DwgBlockEntities& span = index < c.block_entities.size() ? c.block_entities[index] : none;
    put_h(w, 4, span.first);
    put_h(w, 4, span.last);
    put_h(w, 3, hv(b.end));
    if (c.is_2000()) put_h(w, 5, hv(b.layout));
    end_object(c, w);
}

// Start of an object owned by owner, which is also its one reactor (as
// the DXF lists it); the root dictionary has neither.
void begin_owned(C c, BitWriter& w, std::uint16_t type, const Handle& handle, const Handle& owner) {
    begin_object(c, w, type, hv(handle));
    put_bl(w, is_null_handle(owner) ? 0 : 1);
}

void owned_handles(C c, BitWriter& w, const Handle& owner) {
    start_handles(c, w);
    put_h(w, 4, hv(owner));
    if (!is_null_handle(owner)) put_h(w, 4, hv(owner));
    put_h(w, 3, 0);
}

void dictionary_body(C c, BitWriter& w, std::initializer_list<Entry> entries) {
    put_bl(w, static_cast<std::int64_t>(entries.size()));
    if (c.is_2000()) put_bs(w, 1);  // cloning: keep existing
    if (c.r14_up()) put_rc(w, 0);   // not the hard owner of its entries
    for (const Entry& e : entries) put_tv(w, e.name, c.version);
}

void write_dictionary(C c, const Handle& handle, const Handle& owner,
                      std::initializer_list<Entry> entries) {
    BitWriter& w = c.object;
    begin_owned(c, w, dwg_type_dictionary, handle, owner);
    dictionary_body(c, w, entries);
    owned_handles(c, w, owner);
    for (const Entry& e : entries) put_h(w, 2, hv(e.handle));
    end_object(c, w);
}

void write_mlinestyle(C c) {
    const DrawingObjects& ob = c.drawing.objects;
    BitWriter& w = c.object;
    begin_owned(c, w, dwg_type_mlinestyle, ob.mlinestyle_standard, ob.mlinestyle_dictionary);
    put_tv(w, "STANDARD", c.version);
    put_tv(w, "", c.version);
    put_bs(w, 0);
    put_cmc(w, 256);
    put_bd(w, std::numbers::pi / 2);
    put_bd(w, std::numbers::pi / 2);
    put_rc(w, 2);
    for (double offset : {0.5, -0.5}) {
        put_bd(w, offset);
        put_cmc(w, 256);
        put_bs(w, 32767);  // BYLAYER
    }
    owned_handles(c, w, ob.mlinestyle_dictionary);
    end_object(c, w);
}

void write_layout(C c, const Block& block, const char* name, int tab_order) {
    const Drawing& d = c.drawing;
    const HeaderRecord& h = d.header;
    BitWriter& w = c.object;
    begin_owned(c, w, c.layout_class, block.layout, d.objects.layout_dictionary);
    put_tv(w, "", c.version);             // printer configuration
    put_tv(w, "none_device", c.version);  // paper size
    put_bs(w, block.paper_space ? 688 : 1712);
    for (int i = 0; i < 6; ++i) put_bd(w, 0.0);  // margins, paper width and height
    put_tv(w, "", c.version);                    // canonical media name
    put_2bd(w, Point2{});                        // plot origin
    put_bs(w, 1);                                // paper units: millimetres
    put_bs(w, 0);                                // no rotation
    put_bs(w, 5);                                // plot type: layout
    put_2bd(w, Point2{});                        // plot window
    put_2bd(w, Point2{});
    put_tv(w, "", c.version);  // plot view name
    put_bd(w, 1.0);            // real-world units
    put_bd(w, 1.0);            // drawing units
    put_tv(w, "", c.version);  // plot style sheet
    put_bs(w, 16);             // standard scale type
    put_bd(w, 1.0);            // its factor
    put_2bd(w, Point2{});      // paper image origin
    put_tv(w, name, c.version);
    put_bs(w, tab_order);
    put_bs(w, 1);  // layout flags
    put_3bd(w, block.paper_space ? h.pinsbase : h.insbase);
    put_2rd(w, block.paper_space ? h.plimmin : h.limmin);
    put_2rd(w, block.paper_space ? h.plimmax : h.limmax);
    put_3bd(w, Point3{});               // UCS origin
    put_3bd(w, Point3{1.0, 0.0, 0.0});  // UCS x axis
    put_3bd(w, Point3{0.0, 1.0, 0.0});  // UCS y axis
    put_bd(w, 0.0);                     // elevation
    put_bs(w, 0);                       // not orthographic
    put_3bd(w, block.paper_space ? h.pextmin : h.extmin);
    put_3bd(w, block.paper_space ? h.pextmax : h.extmax);
    owned_handles(c, w, d.objects.layout_dictionary);
    put_h(w, 4, hv(block.record));
    put_h(w, 4, 0);  // no active viewport
    put_h(w, 5, 0);  // no base UCS
    put_h(w, 5, 0);  // no named UCS
    end_object(c, w);
}

}  // namespace

void write_dwg_blocks(DwgContext& c) {
    const Drawing& d = c.drawing;
    std::vector<std::uint64_t> entries;
    for (std::size_t i = 2; i < d.blocks.size(); ++i) entries.push_back(hv(d.blocks[i].record));
    BitWriter& w = c.object;
    begin_object(c, w, dwg_type_block_control, hv(d.block_records.handle));
    put_bl(w, 0);
    put_bs(w, static_cast<int>(entries.size()));
    start_handles(c, w);
    put_h(w, 4, 0);
    put_h(w, 3, 0);
    for (std::uint64_t e : entries) put_h(w, 2, e);
    put_h(w, 3, hv(d.blocks[0].record));
    put_h(w, 3, hv(d.blocks[1].record));
    end_object(c, w);
    for (std::size_t i = 0; i < d.blocks.size(); ++i) {
        write_block_header(c, d.blocks[i], i);
        write_block_entity(c, d.blocks[i], i, false);
        write_block_entity(c, d.blocks[i], i, true);
    }
}

void write_dwg_objects(DwgContext& c) {
    const Drawing& d = c.drawing;
    const DrawingObjects& ob = d.objects;
    const Handle none{};
    if (c.is_2000()) {
        write_dictionary(c, ob.root_dictionary, none,
                         {{"ACAD_GROUP", ob.group_dictionary},
                          {"ACAD_LAYOUT", ob.layout_dictionary},
                          {"ACAD_MLINESTYLE", ob.mlinestyle_dictionary},
                          {"ACAD_PLOTSTYLENAME", ob.plotstyle_dictionary}});
    } else {
        write_dictionary(
            c, ob.root_dictionary, none,
            {{"ACAD_GROUP", ob.group_dictionary}, {"ACAD_MLINESTYLE", ob.mlinestyle_dictionary}});
    }
    write_dictionary(c, ob.group_dictionary, ob.root_dictionary, {});
    if (c.is_2000())
        write_dictionary(c, ob.layout_dictionary, ob.root_dictionary,
                         {{"Layout1", d.blocks[1].layout}, {"Model", d.blocks[0].layout}});
    write_dictionary(c, ob.mlinestyle_dictionary, ob.root_dictionary,
                     {{"STANDARD", ob.mlinestyle_standard}});
    if (c.is_2000()) {
        BitWriter& w = c.object;
        begin_owned(c, w, c.dictionarywdflt_class, ob.plotstyle_dictionary, ob.root_dictionary);
        dictionary_body(c, w, {{"Normal", ob.plotstyle_normal}});
        owned_handles(c, w, ob.root_dictionary);
        put_h(w, 2, hv(ob.plotstyle_normal));
        put_h(w, 5, hv(ob.plotstyle_normal));
        end_object(c, w);
        begin_owned(c, w, c.placeholder_class, ob.plotstyle_normal, ob.plotstyle_dictionary);
        owned_handles(c, w, ob.plotstyle_dictionary);
        end_object(c, w);
    }
    write_mlinestyle(c);
    if (c.is_2000()) {
        write_layout(c, d.blocks[0], "Model", 0);
        write_layout(c, d.blocks[1], "Layout1", 1);
    }
}

}  // namespace penloom
