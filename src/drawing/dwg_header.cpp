// DWG header variables: every variable of R13, R14 or 2000 in file order,
// from the drawing's HeaderRecord as the DXF header writer takes them, with
// the handles of the records and objects they name. Variables the DXF does
// not carry get the values AutoCAD writes for a new drawing. In: the save's
// context. Out: the section's data bits (dwg_writer.cpp frames them).
#include "drawing/drawing_internal.h"
#include "drawing/dwg_writer_internal.h"

namespace penloom {

namespace {

using H = const HeaderRecord&;

template <class Record>
std::uint64_t record_named(const std::vector<Record>& records, const std::string& name) {
    if (name.empty()) return 0;
    for (const Record& r : records)
        if (names_equal(r.name, name)) return handle_value(r.handle);
    return 0;
}

std::uint64_t linetype_named(const Drawing& d, const std::string& name) {
    if (names_equal(name, "BYLAYER")) return handle_value(d.bylayer_linetype);
    if (names_equal(name, "BYBLOCK")) return handle_value(d.byblock_linetype);
    return record_named(d.linetypes.records, name);
}

template <class Record>
std::uint64_t or_first(std::uint64_t handle, const std::vector<Record>& records) {
    return handle != 0 || records.empty() ? handle : handle_value(records.front().handle);
}

void put_date(BitWriter& w, const JulianDate& date) {
    put_bl(w, date.day);
    put_bl(w, date.milliseconds);
}

void put_flags_word(BitWriter& w, H h) {
    std::uint32_t flags = dwg_lineweight(h.celweight) & 0x1Fu;
    flags |= static_cast<std::uint32_t>(h.endcaps & 3) << 5;
    flags |= static_cast<std::uint32_t>(h.joinstyle & 3) << 7;
    if (h.lwdisplay == 0) flags |= 0x200;
    if (h.xedit == 0) flags |= 0x400;
    if (h.extnames != 0) flags |= 0x800;
    if (h.pstylemode != 0) flags |= 0x2000;
    put_bl(w, flags);
}

// Paper-space or model-space UCS of 2000: reference, view, base, the six
// orthographic origins.
void put_ucs_2000(const DwgContext& c, BitWriter& w, const std::string& orthoref,
                  std::int16_t orthoview, const std::string& base, const Point3 (&origins)[6]) {
    put_h(w, 5, record_named(c.drawing.ucss.records, orthoref));
    put_bs(w, orthoview);
    put_h(w, 5, record_named(c.drawing.ucss.records, base));
    for (const Point3& p : origins) put_3bd(w, p);
}

}  // namespace

std::uint64_t continuous_linetype(const Drawing& d) {
    return record_named(d.linetypes.records, "CONTINUOUS");
}

void put_header_variables(DwgContext& c, BitWriter& w) {
    const Drawing& d = c.drawing;
    const HeaderRecord& h = d.header;
    const DrawingObjects& ob = d.objects;
    const bool r14 = c.r14_up(), v2000 = c.is_2000(), pre2000 = !v2000;

    put_bd(w, 412148564080.0);
    put_bd(w, 1.0);
    put_bd(w, 1.0);
    put_bd(w, 1.0);
    put_tv(w, "m", c.version);
    put_tv(w, "", c.version);
    put_tv(w, "", c.version);
    put_tv(w, "", c.version);
    put_bl(w, 0);
    put_bl(w, 0);
    if (pre2000) put_bs(w, 0);
    put_h(w, 5, 0);  // no current viewport entity header
    put_b(w, h.dimaso != 0);
    put_b(w, h.dimsho != 0);
    if (pre2000) put_b(w, false);  // DIMSAV
    put_b(w, h.plinegen != 0);
    put_b(w, h.orthomode != 0);
    put_b(w, h.regenmode != 0);
    put_b(w, h.fillmode != 0);
    put_b(w, h.qtextmode != 0);
    put_b(w, h.psltscale != 0);
    put_b(w, h.limcheck != 0);
    if (pre2000) put_b(w, h.blipmode != 0);
    put_b(w, h.usrtimer != 0);
    put_b(w, h.skpoly != 0);
    put_b(w, h.angdir != 0);
    put_b(w, h.splframe != 0);
    if (pre2000) {
        put_b(w, h.attreq != 0);
        put_b(w, h.attdia != 0);
    }
    put_b(w, h.mirrtext != 0);
    put_b(w, h.worldview != 0);
    if (pre2000) put_b(w, false);  // WIREFRAME
    put_b(w, h.tilemode != 0);
    put_b(w, h.plimcheck != 0);
    put_b(w, h.visretain != 0);
    if (pre2000) put_b(w, h.delobj != 0);
    put_b(w, h.dispsilh != 0);
    put_b(w, false);  // PELLIPSE
    put_bs(w, h.proxygraphics);
    if (pre2000) put_bs(w, h.dragmode);
    put_bs(w, h.treedepth);
    put_bs(w, h.lunits);
    put_bs(w, h.luprec);
    put_bs(w, h.aunits);
    put_bs(w, h.auprec);
    if (pre2000) put_bs(w, h.osmode);
    put_bs(w, h.attmode);
    if (pre2000) put_bs(w, h.coords);
    put_bs(w, h.pdmode);
    if (pre2000) put_bs(w, h.pickstyle);
    for (std::int16_t u : h.useri) put_bs(w, u);
    put_bs(w, h.splinesegs);
    put_bs(w, h.surfu);
    put_bs(w, h.surfv);
    put_bs(w, h.surftype);
    put_bs(w, h.surftab1);
    put_bs(w, h.surftab2);
    put_bs(w, h.splinetype);
    put_bs(w, h.shadedge);
    put_bs(w, h.shadedif);
    put_bs(w, h.unitmode);
    put_bs(w, h.maxactvp);
    put_bs(w, 4);  // ISOLINES
    put_bs(w, h.cmljust);
    put_bs(w, 50);  // TEXTQLTY
    put_bd(w, h.ltscale);
    put_bd(w, h.textsize);
    put_bd(w, h.tracewid);
    put_bd(w, h.sketchinc);
    put_bd(w, h.filletrad);
    put_bd(w, h.thickness);
    put_bd(w, h.angbase);
    put_bd(w, h.pdsize);
    put_bd(w, h.plinewid);
    for (double u : h.userr) put_bd(w, u);
    put_bd(w, h.chamfera);
    put_bd(w, h.chamferb);
    put_bd(w, h.chamferc);
    put_bd(w, h.chamferd);
    put_bd(w, 0.5);  // FACETRES
    put_bd(w, h.cmlscale);
    put_bd(w, h.celtscale);
    put_tv(w, h.menu, c.version);
    put_date(w, h.tdcreate);
    put_date(w, h.tdupdate);
    put_date(w, h.tdindwg);
    put_date(w, h.tdusrtimer);
    put_cmc(w, h.cecolor);
    put_h(w, 0, c.handle_seed);
    // A current layer, style or linetype the tables do not hold (the DXF
    // names it all the same) points at the table's first record instead:
    // a reader must find a record behind these handles.
    put_h(w, 5, or_first(record_named(d.layers.records, h.clayer), d.layers.records));
    put_h(w, 5, or_first(record_named(d.text_styles.records, h.textstyle), d.text_styles.records));
    const std::uint64_t celtype = linetype_named(d, h.celtype);
    put_h(w, 5, celtype != 0 ? celtype : handle_value(d.bylayer_linetype));
    put_h(w, 5, or_first(record_named(d.dimstyles.records, h.dimstyle), d.dimstyles.records));
    put_h(w, 5, handle_value(ob.mlinestyle_standard));
    if (v2000) put_bd(w, h.psvpscale);
    put_3bd(w, h.pinsbase);
    put_3bd(w, h.pextmin);
    put_3bd(w, h.pextmax);
    put_2rd(w, h.plimmin);
    put_2rd(w, h.plimmax);
    put_bd(w, h.pelevation);
    put_3bd(w, h.pucsorg);
    put_3bd(w, h.pucsxdir);
    put_3bd(w, h.pucsydir);
    put_h(w, 5, record_named(d.ucss.records, h.pucsname));
    if (v2000) {
        const Point3 origins[6] = {h.pucsorgtop,   h.pucsorgbottom, h.pucsorgleft,
                                   h.pucsorgright, h.pucsorgfront,  h.pucsorgback};
        put_ucs_2000(c, w, h.pucsorthoref, h.pucsorthoview, h.pucsbase, origins);
    }
    put_3bd(w, h.insbase);
    put_3bd(w, h.extmin);
    put_3bd(w, h.extmax);
    put_2rd(w, h.limmin);
    put_2rd(w, h.limmax);
    put_bd(w, h.elevation);
    put_3bd(w, h.ucsorg);
    put_3bd(w, h.ucsxdir);
    put_3bd(w, h.ucsydir);
    put_h(w, 5, record_named(d.ucss.records, h.ucsname));
    const std::uint64_t dimtxsty =
        or_first(record_named(d.text_styles.records, h.dimtxsty), d.text_styles.records);
    if (v2000) {
        const Point3 origins[6] = {h.ucsorgtop,   h.ucsorgbottom, h.ucsorgleft,
                                   h.ucsorgright, h.ucsorgfront,  h.ucsorgback};
        put_ucs_2000(c, w, h.ucsorthoref, h.ucsorthoview, h.ucsbase, origins);
        put_tv(w, h.dimpost, c.version);
        put_tv(w, h.dimapost, c.version);
    } else {
        put_b(w, h.dimtol != 0);
        put_b(w, h.dimlim != 0);
        put_b(w, h.dimtih != 0);
        put_b(w, h.dimtoh != 0);
        put_b(w, h.dimse1 != 0);
        put_b(w, h.dimse2 != 0);
        put_b(w, h.dimalt != 0);
        put_b(w, h.dimtofl != 0);
        put_b(w, h.dimsah != 0);
        put_b(w, h.dimtix != 0);
        put_b(w, h.dimsoxd != 0);
        put_rc(w, static_cast<std::uint8_t>(h.dimaltd));
        put_rc(w, static_cast<std::uint8_t>(h.dimzin));
        put_b(w, h.dimsd1 != 0);
        put_b(w, h.dimsd2 != 0);
        put_rc(w, static_cast<std::uint8_t>(h.dimtolj));
        put_rc(w, static_cast<std::uint8_t>(h.dimjust));
        put_rc(w, static_cast<std::uint8_t>(h.dimfit));
        put_b(w, h.dimupt != 0);
        put_rc(w, static_cast<std::uint8_t>(h.dimtzin));
        put_rc(w, static_cast<std::uint8_t>(h.dimaltz));
        put_rc(w, static_cast<std::uint8_t>(h.dimalttz));
        put_rc(w, static_cast<std::uint8_t>(h.dimtad));
        put_bs(w, h.dimunit);
        put_bs(w, h.dimaunit);
        put_bs(w, h.dimdec);
        put_bs(w, h.dimtdec);
        put_bs(w, h.dimaltu);
        put_bs(w, h.dimalttd);
        put_h(w, 5, dimtxsty);
    }
    put_bd(w, h.dimscale);
    put_bd(w, h.dimasz);
    put_bd(w, h.dimexo);
    put_bd(w, h.dimdli);
    put_bd(w, h.dimexe);
    put_bd(w, h.dimrnd);
    put_bd(w, h.dimdle);
    put_bd(w, h.dimtp);
    put_bd(w, h.dimtm);
    if (v2000) {
        put_b(w, h.dimtol != 0);
        put_b(w, h.dimlim != 0);
        put_b(w, h.dimtih != 0);
        put_b(w, h.dimtoh != 0);
        put_b(w, h.dimse1 != 0);
        put_b(w, h.dimse2 != 0);
        put_bs(w, h.dimtad);
        put_bs(w, h.dimzin);
        put_bs(w, h.dimazin);
    }
    put_bd(w, h.dimtxt);
    put_bd(w, h.dimcen);
    put_bd(w, h.dimtsz);
    put_bd(w, h.dimaltf);
    put_bd(w, h.dimlfac);
    put_bd(w, h.dimtvp);
    put_bd(w, h.dimtfac);
    put_bd(w, h.dimgap);
    if (pre2000) {
        put_tv(w, h.dimpost, c.version);
        put_tv(w, h.dimapost, c.version);
        put_tv(w, h.dimblk, c.version);
        put_tv(w, h.dimblk1, c.version);
        put_tv(w, h.dimblk2, c.version);
    } else {
        put_bd(w, h.dimaltrnd);
        put_b(w, h.dimalt != 0);
        put_bs(w, h.dimaltd);
        put_b(w, h.dimtofl != 0);
        put_b(w, h.dimsah != 0);
        put_b(w, h.dimtix != 0);
        put_b(w, h.dimsoxd != 0);
    }
    put_cmc(w, h.dimclrd);
    put_cmc(w, h.dimclre);
    put_cmc(w, h.dimclrt);
    if (v2000) {
        put_bs(w, h.dimadec);
        put_bs(w, h.dimdec);
        put_bs(w, h.dimtdec);
        put_bs(w, h.dimaltu);
        put_bs(w, h.dimalttd);
        put_bs(w, h.dimaunit);
        put_bs(w, h.dimfrac);
        put_bs(w, h.dimlunit);
        put_bs(w, h.dimdsep);
        put_bs(w, h.dimtmove);
        put_bs(w, h.dimjust);
        put_b(w, h.dimsd1 != 0);
        put_b(w, h.dimsd2 != 0);
        put_bs(w, h.dimtolj);
        put_bs(w, h.dimtzin);
        put_bs(w, h.dimaltz);
        put_bs(w, h.dimalttz);
        put_b(w, h.dimupt != 0);
        put_bs(w, h.dimatfit);
        put_h(w, 5, dimtxsty);
        // Arrow blocks by name: the drawing has none of its own, so the
        // default arrow (no block) stands for every name.
        put_h(w, 5, 0);
        put_h(w, 5, 0);
        put_h(w, 5, 0);
        put_h(w, 5, 0);
        put_bs(w, h.dimlwd);
        put_bs(w, h.dimlwe);
    }
    put_h(w, 3, handle_value(d.block_records.handle));
    put_h(w, 3, handle_value(d.layers.handle));
    put_h(w, 3, handle_value(d.text_styles.handle));
    put_h(w, 3, handle_value(d.linetypes.handle));
    put_h(w, 3, handle_value(d.views.handle));
    put_h(w, 3, handle_value(d.ucss.handle));
    put_h(w, 3, handle_value(d.vports.handle));
    put_h(w, 3, handle_value(d.regapps.handle));
    put_h(w, 3, handle_value(d.dimstyles.handle));
    put_h(w, 3, c.vx_control);
    put_h(w, 5, handle_value(ob.group_dictionary));
    put_h(w, 5, handle_value(ob.mlinestyle_dictionary));
    put_h(w, 3, handle_value(ob.root_dictionary));
    if (v2000) {
        put_bs(w, 1);   // TSTACKALIGN
        put_bs(w, 70);  // TSTACKSIZE
        put_tv(w, h.hyperlinkbase, c.version);
        put_tv(w, h.stylesheet, c.version);
        put_h(w, 5, handle_value(ob.layout_dictionary));
        put_h(w, 5, 0);  // no plot settings dictionary
        put_h(w, 5, handle_value(ob.plotstyle_dictionary));
        put_flags_word(w, h);
        put_bs(w, h.insunits);
        put_bs(w, h.cepsntype);
        put_tv(w, h.fingerprintguid, c.version);
        put_tv(w, h.versionguid, c.version);
    }
    put_h(w, 5, handle_value(d.blocks[1].record));
    put_h(w, 5, handle_value(d.blocks[0].record));
    put_h(w, 5, handle_value(d.bylayer_linetype));
    put_h(w, 5, handle_value(d.byblock_linetype));
    put_h(w, 5, continuous_linetype(d));
    if (r14)
        for (int i = 0; i < 4; ++i) put_bs(w, 0);
}

}  // namespace penloom
