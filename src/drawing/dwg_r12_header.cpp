// The header of a release 12 DWG: the magic, the addresses of the entity
// sections, the descriptors of the tables and the header variables, in the
// fixed order and at the fixed places the release gives them (the last five
// table descriptors sit among the variables, at 0x3EF, 0x500, 0x512, 0x522
// and 0x69F). In: the drawing's header record and the addresses the save
// has reached. Out: 0x6BD bytes; the caller appends the CRC.
#include "drawing/drawing_internal.h"
#include "drawing/dwg_r12_internal.h"

namespace penloom {

namespace {

// Where the five later table descriptors must land.
constexpr std::size_t ucs_at = 0x3EF, vport_at = 0x500, appid_at = 0x512, dimstyle_at = 0x522,
                      vx_at = 0x69F;
constexpr std::size_t variables_at = 0x5E;

void descriptor(R12Bytes& b, const R12TableSpan& t) {
    b.rs(t.size);
    b.rs(t.count);
    b.rs(0);
    b.rl(t.address);
}

void date(R12Bytes& b, const JulianDate& d) {
    b.rl(static_cast<std::uint32_t>(d.day));
    b.rl(static_cast<std::uint32_t>(d.milliseconds));
}

int linetype_code(const R12Context& c, std::string_view name) {
    if (names_equal(name, "BYLAYER")) return r12_linetype_bylayer;
    if (names_equal(name, "BYBLOCK")) return r12_linetype_byblock;
    const int i = r12_find_name(c.linetype_names, name);
    return i < 0 ? r12_linetype_bylayer : i;
}

double active_aspect(const Drawing& d) {
    for (const VportTableRecord& v : d.vports.records)
        if (names_equal(v.name, "*ACTIVE")) return v.aspect_ratio;
    return 1.0;
}

}  // namespace

int r12_find_name(const std::vector<std::string>& names, std::string_view name) {
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names_equal(names[i], name)) return static_cast<int>(i);
    return -1;
}

bool put_r12_header(const R12Context& c, std::vector<std::uint8_t>& out) {
    const HeaderRecord& h = c.drawing.header;
    out.clear();
    out.reserve(r12_header_size + 2);
    R12Bytes b{out};
    // Every fixed place is where the release has it, or no file is written.
    bool in_place = true;
    auto at = [&](std::size_t place) { in_place = in_place && b.size() == place; };

    // File header: magic, release bytes, the counts of entity sections,
    // tables and header variables, then the addresses.
    b.fixed("AC1009", 12);
    b.rc(1);
    b.rs(3);
    b.rs(5);
    b.rs(205);
    b.rc(0);
    b.rl(c.entities_start);
    b.rl(c.entities_end);
    b.rl(c.blocks_start);
    b.rl(c.blocks_size | 0x40000000u);
    b.rl(c.extras_start);
    b.rl(0x80000000u);  // the extras are empty
    for (int t = r12_block; t <= r12_view; ++t) descriptor(b, c.tables[t]);
    at(variables_at);

    const int clayer = r12_find_name(c.layer_names, h.clayer);
    const int textstyle = r12_find_name(c.style_names, h.textstyle);
    b.pt3(h.insbase);
    b.rs(h.plinegen);
    b.pt3(h.extmin);
    b.pt3(h.extmax);
    b.pt2(h.limmin);
    b.pt2(h.limmax);
    b.pt3(Point3{h.viewctr.x, h.viewctr.y, 0.0});
    b.rd(h.viewsize);
    b.rs(h.snapmode);
    b.pt2(h.snapunit);
    b.pt2(h.snapbase);
    b.rd(h.snapang);
    b.rs(h.snapstyle);
    b.rs(h.snapisopair);
    b.rs(h.gridmode);
    b.pt2(h.gridunit);
    b.rs(h.orthomode);
    b.rs(h.regenmode);
    b.rs(h.fillmode);
    b.rs(h.qtextmode);
    b.rs(h.dragmode);
    b.rd(h.ltscale);
    b.rd(h.textsize);
    b.rd(h.tracewid);
    b.rs(clayer < 0 ? 0 : clayer);
    b.rl(15);  // the colour word older releases kept; AutoCAD R12 writes 15, 0
    b.rl(0);
    b.rs(0);
    b.rs(h.psltscale);
    b.rs(h.treedepth);
    b.rs(0);
    b.rd(active_aspect(c.drawing));
    b.rs(h.lunits);
    b.rs(h.luprec);
    b.rs(h.axismode);
    b.pt2(h.axisunit);
    b.rd(h.sketchinc);
    b.rd(h.filletrad);
    b.rs(h.aunits);
    b.rs(h.auprec);
    b.rs(textstyle < 0 ? 0 : textstyle);
    b.rs(h.osmode);
    b.rs(h.attmode);
    // The menu name: 15 bytes here, the rest of a longer one 46 bytes on.
    const std::string_view menu = h.menu;
    b.fixed(menu.substr(0, 14), 15);
    for (double v : {h.dimscale, h.dimasz, h.dimexo, h.dimdli, h.dimexe, h.dimtp, h.dimtm, h.dimtxt,
                     h.dimcen, h.dimtsz})
        b.rd(v);
    for (int v : {h.dimtol, h.dimlim, h.dimtih, h.dimtoh, h.dimse1, h.dimse2, h.dimtad, h.limcheck})
        b.rc(static_cast<unsigned>(v));
    b.rc(0);
    b.fixed(menu.size() > 14 ? menu.substr(14) : std::string_view(), 45);
    b.rd(h.elevation);
    b.rd(h.thickness);
    b.pt3(h.viewdir);
    for (int i = 0; i < 6; ++i) b.pt3(Point3{});  // the view points of releases before 11
    b.rs(0);
    b.rs(h.blipmode);
    b.rc(static_cast<unsigned>(h.dimzin));
    b.rd(h.dimrnd);
    b.rd(h.dimdle);
    b.fixed(h.dimblk, 33);
    b.rs(100);  // circle zoom percent
    b.rs(h.coords);
    b.rs(h.cecolor);
    b.rs(linetype_code(c, h.celtype));
    date(b, h.tdcreate);
    date(b, h.tdupdate);
    date(b, h.tdindwg);
    date(b, h.tdusrtimer);
    b.rs(h.usrtimer);
    b.rs(h.fastzoom);
    b.rs(h.skpoly);
    for (int i = 0; i < 7; ++i) b.rs(0);  // a calendar date older releases kept
    b.rd(h.angbase);
    b.rs(h.angdir);
    b.rs(h.pdmode);
    b.rd(h.pdsize);
    b.rd(h.plinewid);
    for (std::int16_t v : h.useri) b.rs(v);
    for (double v : h.userr) b.rd(v);
    for (int v : {h.dimalt, h.dimaltd, h.dimaso, h.dimsho}) b.rc(static_cast<unsigned>(v));
    b.fixed(h.dimpost, 16);
    b.fixed(h.dimapost, 16);
    b.rd(h.dimaltf);
    b.rd(h.dimlfac);
    b.rs(h.splinesegs);
    b.rs(h.splframe);
    b.rs(h.attreq);
    b.rs(h.attdia);
    b.rd(h.chamfera);
    b.rd(h.chamferb);
    b.rs(h.mirrtext);

    at(ucs_at);
    descriptor(b, c.tables[r12_ucs]);
    b.rs(h.codepage);
    b.pt3(h.ucsorg);
    b.pt3(h.ucsxdir);
    b.pt3(h.ucsydir);
    b.pt3(Point3{});  // view target
    b.rd(50.0);       // lens length
    b.rd(0.0);        // view twist
    b.rd(0.0);        // front and back clipping
    b.rd(0.0);
    b.rs(0);  // view mode
    b.rc(static_cast<unsigned>(h.dimtofl));
    b.fixed(h.dimblk1, 33);
    b.fixed(h.dimblk2, 33);
    for (int v : {h.dimsah, h.dimtix, h.dimsoxd}) b.rc(static_cast<unsigned>(v));
    b.rd(h.dimtvp);
    b.fixed("", 33);
    b.rs(c.entity_handles ? 1 : 0);
    for (int i = 7; i >= 0; --i) b.rc(static_cast<unsigned>(c.handle_seed >> (8 * i)));
    for (int v : {h.surfu, h.surfv, h.surftype, h.surftab1, h.surftab2}) b.rs(v);

    at(vport_at);
    descriptor(b, c.tables[r12_vport]);
    b.rs(h.flatland);
    b.rs(h.splinetype);
    b.rs(1);  // UCS icon on
    b.rs(h.ucsname.empty() ? -1 : r12_find_name(c.ucs_names, h.ucsname));

    at(appid_at);
    descriptor(b, c.tables[r12_appid]);
    b.rs(h.worldview);
    b.rs(5);  // two words AutoCAD R12 writes as 5 and 1
    b.rs(1);

    at(dimstyle_at);
    descriptor(b, c.tables[r12_dimstyle]);
    b.rs(-1);
    b.rs(0);
    b.rc(0);
    b.rs(h.dimclrd);
    b.rs(h.dimclre);
    b.rs(h.dimclrt);
    b.rs(h.shadedge);
    b.rs(h.shadedif);
    b.rs(0);
    b.rs(h.unitmode);
    for (int i = 0; i < 4; ++i) b.rd(1.0);  // unit conversion ratios
    for (int i = 0; i < 4; ++i) b.fixed("", 32);
    b.rd(h.dimtfac);
    b.pt3(h.pucsorg);
    b.pt3(h.pucsxdir);
    b.pt3(h.pucsydir);
    b.rs(h.pucsname.empty() ? -1 : r12_find_name(c.ucs_names, h.pucsname));
    b.rs(h.tilemode);
    b.rs(h.plimcheck);
    b.rs(0);
    b.pt3(h.pextmin);
    b.pt3(h.pextmax);
    b.pt2(h.plimmin);
    b.pt2(h.plimmax);
    b.pt3(h.pinsbase);

    at(vx_at);
    descriptor(b, c.tables[r12_vx]);
    b.rs(h.maxactvp);
    b.rd(h.dimgap);
    b.rd(h.pelevation);
    b.rs(h.visretain);
    at(r12_header_size);
    return in_place;
}

}  // namespace penloom
