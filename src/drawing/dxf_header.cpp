// HEADER section: every header variable in file order, each written only for
// the versions that carry it, from the drawing's HeaderRecord (and its handle
// seed for $HANDSEED). R12 ends the section after $VISRETAIN.
#include <string>

#include "drawing/dxf_writer_internal.h"

namespace penloom {

namespace {

using C = SaveContext&;
using H = const HeaderRecord&;

struct HeaderVariable {
    const char* name;
    int first;   // first and last version code that carry the variable
    int last;
    void (*write)(C, H);
};

void i16(C c, int code, long v) { group_int16(c.out, code, v); }
void real(C c, int code, double v) { group_real(c.out, code, v); }
void angle(C c, int code, double v) { group_angle(c.out, code, v); }
void str(C c, int code, const std::string& v) { group_string(c.out, code, v); }
void name(C c, int code, const std::string& v) { group_string(c.out, code, written_name(c, v)); }
void pt2(C c, const Point2& p) { group_point2(c.out, 10, p.x, p.y); }
void pt3(C c, const Point3& p) { group_point3(c.out, 10, p); }
void full3(C c, const Point3& p) { group_full_point3(c.out, 10, p); }
void date9(C c, const JulianDate& d) { group_date(c.out, 40, d.day, d.milliseconds, 9); }
void date10(C c, const JulianDate& d) { group_date(c.out, 40, d.day, d.milliseconds, 10); }

void codepage(C c, H h) {
    const char* n = codepage_name(h.codepage);
    // An index without a name falls back to the table's ANSI_1252, so that
    // readers still get a code page they know.
    std::string text = n != nullptr ? n : codepage_name(30);
    if (c.r14_up())
        for (char& ch : text)
            if (ch >= 'a' && ch <= 'z')
                ch = static_cast<char>(ch - 'a' + 'A');
    str(c, 3, text);
}

constexpr int R12 = version_r12, R13 = version_r13, R14 = version_r14, V2000 = version_2000;

// ORDER HEADER: the order of the file.
const HeaderVariable variables[] = {
    {"$ACADVER", R12, V2000, [](C c, H) { str(c, 1, version_string(c.version)); }},
    {"$ACADMAINTVER", R14, V2000, [](C c, H h) { i16(c, 70, c.is_2000() ? 6 : h.maintenance_version); }},
    {"$DWGCODEPAGE", R12, V2000, codepage},
    {"$INSBASE", R12, V2000, [](C c, H h) { pt3(c, h.insbase); }},
    {"$EXTMIN", R12, V2000, [](C c, H h) { pt3(c, h.extmin); }},
    {"$EXTMAX", R12, V2000, [](C c, H h) { pt3(c, h.extmax); }},
    {"$LIMMIN", R12, V2000, [](C c, H h) { pt2(c, h.limmin); }},
    {"$LIMMAX", R12, V2000, [](C c, H h) { pt2(c, h.limmax); }},
    {"$VIEWCTR", R12, R14, [](C c, H h) { pt2(c, h.viewctr); }},
    {"$VIEWSIZE", R12, R14, [](C c, H h) { real(c, 40, h.viewsize); }},
    {"$SNAPMODE", R12, R14, [](C c, H h) { i16(c, 70, h.snapmode); }},
    {"$SNAPUNIT", R12, R14, [](C c, H h) { pt2(c, h.snapunit); }},
    {"$SNAPBASE", R12, R14, [](C c, H h) { pt2(c, h.snapbase); }},
    {"$SNAPANG", R12, R14, [](C c, H h) { angle(c, 50, h.snapang); }},
    {"$SNAPSTYLE", R12, R14, [](C c, H h) { i16(c, 70, h.snapstyle); }},
    {"$SNAPISOPAIR", R12, R14, [](C c, H h) { i16(c, 70, h.snapisopair); }},
    {"$GRIDMODE", R12, R14, [](C c, H h) { i16(c, 70, h.gridmode); }},
    {"$GRIDUNIT", R12, R14, [](C c, H h) { pt2(c, h.gridunit); }},
    {"$ORTHOMODE", R12, V2000, [](C c, H h) { i16(c, 70, h.orthomode); }},
    {"$REGENMODE", R12, V2000, [](C c, H h) { i16(c, 70, h.regenmode); }},
    {"$FILLMODE", R12, V2000, [](C c, H h) { i16(c, 70, h.fillmode); }},
    {"$QTEXTMODE", R12, V2000, [](C c, H h) { i16(c, 70, h.qtextmode); }},
    {"$MIRRTEXT", R12, V2000, [](C c, H h) { i16(c, 70, h.mirrtext); }},
    {"$DRAGMODE", R12, R14, [](C c, H h) { i16(c, 70, h.dragmode); }},
    {"$LTSCALE", R12, V2000, [](C c, H h) { real(c, 40, h.ltscale); }},
    {"$OSMODE", R12, R14, [](C c, H h) { i16(c, 70, h.osmode); }},
    {"$ATTMODE", R12, V2000, [](C c, H h) { i16(c, 70, h.attmode); }},
    {"$TEXTSIZE", R12, V2000, [](C c, H h) { real(c, 40, h.textsize); }},
    {"$TRACEWID", R12, V2000, [](C c, H h) { real(c, 40, h.tracewid); }},
    {"$TEXTSTYLE", R12, V2000, [](C c, H h) { name(c, 7, h.textstyle); }},
    {"$CLAYER", R12, V2000, [](C c, H h) { name(c, 8, h.clayer); }},
    {"$CELTYPE", R12, V2000, [](C c, H h) { name(c, 6, h.celtype); }},
    {"$CECOLOR", R12, V2000, [](C c, H h) { i16(c, 62, h.cecolor); }},
    {"$CELTSCALE", R13, V2000, [](C c, H h) { real(c, 40, h.celtscale); }},
    {"$DELOBJ", R13, R14, [](C c, H h) { i16(c, 70, h.delobj); }},
    {"$DISPSILH", R13, V2000, [](C c, H h) { i16(c, 70, h.dispsilh); }},
    {"$DIMSCALE", R12, V2000, [](C c, H h) { real(c, 40, h.dimscale); }},
    {"$DIMASZ", R12, V2000, [](C c, H h) { real(c, 40, h.dimasz); }},
    {"$DIMEXO", R12, V2000, [](C c, H h) { real(c, 40, h.dimexo); }},
    {"$DIMDLI", R12, V2000, [](C c, H h) { real(c, 40, h.dimdli); }},
    {"$DIMRND", R12, V2000, [](C c, H h) { real(c, 40, h.dimrnd); }},
    {"$DIMDLE", R12, V2000, [](C c, H h) { real(c, 40, h.dimdle); }},
    {"$DIMEXE", R12, V2000, [](C c, H h) { real(c, 40, h.dimexe); }},
    {"$DIMTP", R12, V2000, [](C c, H h) { real(c, 40, h.dimtp); }},
    {"$DIMTM", R12, V2000, [](C c, H h) { real(c, 40, h.dimtm); }},
    {"$DIMTXT", R12, V2000, [](C c, H h) { real(c, 40, h.dimtxt); }},
    {"$DIMCEN", R12, V2000, [](C c, H h) { real(c, 40, h.dimcen); }},
    {"$DIMTSZ", R12, V2000, [](C c, H h) { real(c, 40, h.dimtsz); }},
    {"$DIMTOL", R12, V2000, [](C c, H h) { i16(c, 70, h.dimtol); }},
    {"$DIMLIM", R12, V2000, [](C c, H h) { i16(c, 70, h.dimlim); }},
    {"$DIMTIH", R12, V2000, [](C c, H h) { i16(c, 70, h.dimtih); }},
    {"$DIMTOH", R12, V2000, [](C c, H h) { i16(c, 70, h.dimtoh); }},
    {"$DIMSE1", R12, V2000, [](C c, H h) { i16(c, 70, h.dimse1); }},
    {"$DIMSE2", R12, V2000, [](C c, H h) { i16(c, 70, h.dimse2); }},
    {"$DIMTAD", R12, V2000, [](C c, H h) { i16(c, 70, h.dimtad); }},
    {"$DIMZIN", R12, V2000, [](C c, H h) { i16(c, 70, h.dimzin); }},
    {"$DIMBLK", R12, V2000, [](C c, H h) { str(c, 1, h.dimblk); }},
    {"$DIMASO", R12, V2000, [](C c, H h) { i16(c, 70, h.dimaso); }},
    {"$DIMSHO", R12, V2000, [](C c, H h) { i16(c, 70, h.dimsho); }},
    {"$DIMPOST", R12, V2000, [](C c, H h) { str(c, 1, h.dimpost); }},
    {"$DIMAPOST", R12, V2000, [](C c, H h) { str(c, 1, h.dimapost); }},
    {"$DIMALT", R12, V2000, [](C c, H h) { i16(c, 70, h.dimalt); }},
    {"$DIMALTD", R12, V2000, [](C c, H h) { i16(c, 70, h.dimaltd); }},
    {"$DIMALTF", R12, V2000, [](C c, H h) { real(c, 40, h.dimaltf); }},
    {"$DIMLFAC", R12, V2000, [](C c, H h) { real(c, 40, h.dimlfac); }},
    {"$DIMTOFL", R12, V2000, [](C c, H h) { i16(c, 70, h.dimtofl); }},
    {"$DIMTVP", R12, V2000, [](C c, H h) { real(c, 40, h.dimtvp); }},
    {"$DIMTIX", R12, V2000, [](C c, H h) { i16(c, 70, h.dimtix); }},
    {"$DIMSOXD", R12, V2000, [](C c, H h) { i16(c, 70, h.dimsoxd); }},
    {"$DIMSAH", R12, V2000, [](C c, H h) { i16(c, 70, h.dimsah); }},
    {"$DIMBLK1", R12, V2000, [](C c, H h) { str(c, 1, h.dimblk1); }},
    {"$DIMBLK2", R12, V2000, [](C c, H h) { str(c, 1, h.dimblk2); }},
    {"$DIMSTYLE", R12, V2000, [](C c, H h) { name(c, 2, h.dimstyle); }},
    {"$DIMCLRD", R12, V2000, [](C c, H h) { i16(c, 70, h.dimclrd); }},
    {"$DIMCLRE", R12, V2000, [](C c, H h) { i16(c, 70, h.dimclre); }},
    {"$DIMCLRT", R12, V2000, [](C c, H h) { i16(c, 70, h.dimclrt); }},
    {"$DIMTFAC", R12, V2000, [](C c, H h) { real(c, 40, h.dimtfac); }},
    {"$DIMGAP", R12, V2000, [](C c, H h) { real(c, 40, h.dimgap); }},
    {"$DIMJUST", R13, V2000, [](C c, H h) { i16(c, 70, h.dimjust); }},
    {"$DIMSD1", R13, V2000, [](C c, H h) { i16(c, 70, h.dimsd1); }},
    {"$DIMSD2", R13, V2000, [](C c, H h) { i16(c, 70, h.dimsd2); }},
    {"$DIMTOLJ", R13, V2000, [](C c, H h) { i16(c, 70, h.dimtolj); }},
    {"$DIMTZIN", R13, V2000, [](C c, H h) { i16(c, 70, h.dimtzin); }},
    {"$DIMALTZ", R13, V2000, [](C c, H h) { i16(c, 70, h.dimaltz); }},
    {"$DIMALTTZ", R13, V2000, [](C c, H h) { i16(c, 70, h.dimalttz); }},
    {"$DIMFIT", R13, R14, [](C c, H h) { i16(c, 70, h.dimfit); }},
    {"$DIMUPT", R13, V2000, [](C c, H h) { i16(c, 70, h.dimupt); }},
    {"$DIMUNIT", R13, R14, [](C c, H h) { i16(c, 70, h.dimunit); }},
    {"$DIMDEC", R13, V2000, [](C c, H h) { i16(c, 70, h.dimdec); }},
    {"$DIMTDEC", R13, V2000, [](C c, H h) { i16(c, 70, h.dimtdec); }},
    {"$DIMALTU", R13, V2000, [](C c, H h) { i16(c, 70, h.dimaltu); }},
    {"$DIMALTTD", R13, V2000, [](C c, H h) { i16(c, 70, h.dimalttd); }},
    {"$DIMTXSTY", R13, V2000, [](C c, H h) { name(c, 7, h.dimtxsty); }},
    {"$DIMAUNIT", R13, V2000, [](C c, H h) { i16(c, 70, h.dimaunit); }},
    {"$DIMADEC", V2000, V2000, [](C c, H h) { i16(c, 70, h.dimadec); }},
    {"$DIMALTRND", V2000, V2000, [](C c, H h) { real(c, 40, h.dimaltrnd); }},
    {"$DIMAZIN", V2000, V2000, [](C c, H h) { i16(c, 70, h.dimazin); }},
    {"$DIMDSEP", V2000, V2000, [](C c, H h) { i16(c, 70, h.dimdsep); }},
    {"$DIMATFIT", V2000, V2000, [](C c, H h) { i16(c, 70, h.dimatfit); }},
    {"$DIMFRAC", V2000, V2000, [](C c, H h) { i16(c, 70, h.dimfrac); }},
    {"$DIMLDRBLK", V2000, V2000, [](C c, H h) { str(c, 1, h.dimldrblk); }},
    {"$DIMLUNIT", V2000, V2000, [](C c, H h) { i16(c, 70, h.dimlunit); }},
    {"$DIMLWD", V2000, V2000, [](C c, H h) { i16(c, 70, h.dimlwd); }},
    {"$DIMLWE", V2000, V2000, [](C c, H h) { i16(c, 70, h.dimlwe); }},
    {"$DIMTMOVE", V2000, V2000, [](C c, H h) { i16(c, 70, h.dimtmove); }},
    {"$LUNITS", R12, V2000, [](C c, H h) { i16(c, 70, h.lunits); }},
    {"$LUPREC", R12, V2000, [](C c, H h) { i16(c, 70, h.luprec); }},
    {"$AXISMODE", R12, R12, [](C c, H h) { i16(c, 70, h.axismode); }},
    {"$AXISUNIT", R12, R12, [](C c, H h) { pt2(c, h.axisunit); }},
    {"$SKETCHINC", R12, V2000, [](C c, H h) { real(c, 40, h.sketchinc); }},
    {"$FILLETRAD", R12, V2000, [](C c, H h) { real(c, 40, h.filletrad); }},
    {"$AUNITS", R12, V2000, [](C c, H h) { i16(c, 70, h.aunits); }},
    {"$AUPREC", R12, V2000, [](C c, H h) { i16(c, 70, h.auprec); }},
    {"$MENU", R12, V2000, [](C c, H h) { str(c, 1, h.menu); }},
    {"$ELEVATION", R12, V2000, [](C c, H h) { real(c, 40, h.elevation); }},
    {"$PELEVATION", R12, V2000, [](C c, H h) { real(c, 40, h.pelevation); }},
    {"$THICKNESS", R12, V2000, [](C c, H h) { real(c, 40, h.thickness); }},
    {"$VIEWDIR", R12, R14, [](C c, H h) { pt3(c, h.viewdir); }},
    {"$LIMCHECK", R12, V2000, [](C c, H h) { i16(c, 70, h.limcheck); }},
    {"$BLIPMODE", R12, R14, [](C c, H h) { i16(c, 70, h.blipmode); }},
    {"$CHAMFERA", R12, V2000, [](C c, H h) { real(c, 40, h.chamfera); }},
    {"$CHAMFERB", R12, V2000, [](C c, H h) { real(c, 40, h.chamferb); }},
    {"$CHAMFERC", R13, V2000, [](C c, H h) { real(c, 40, h.chamferc); }},
    {"$CHAMFERD", R13, V2000, [](C c, H h) { real(c, 40, h.chamferd); }},
    {"$FASTZOOM", R12, R14, [](C c, H h) { i16(c, 70, h.fastzoom); }},
    {"$SKPOLY", R12, V2000, [](C c, H h) { i16(c, 70, h.skpoly); }},
    {"$TDCREATE", R12, V2000, [](C c, H h) { date9(c, h.tdcreate); }},
    {"$TDUCREATE", V2000, V2000, [](C c, H h) { date9(c, h.tducreate); }},
    {"$TDUPDATE", R12, V2000, [](C c, H h) { date9(c, h.tdupdate); }},
    {"$TDUUPDATE", V2000, V2000, [](C c, H h) { date9(c, h.tduupdate); }},
    {"$TDINDWG", R12, V2000, [](C c, H h) { date10(c, h.tdindwg); }},
    {"$TDUSRTIMER", R12, V2000, [](C c, H h) { date10(c, h.tdusrtimer); }},
    {"$USRTIMER", R12, V2000, [](C c, H h) { i16(c, 70, h.usrtimer); }},
    {"$ANGBASE", R12, V2000, [](C c, H h) { angle(c, 50, h.angbase); }},
    {"$ANGDIR", R12, V2000, [](C c, H h) { i16(c, 70, h.angdir); }},
    {"$PDMODE", R12, V2000, [](C c, H h) { i16(c, 70, h.pdmode); }},
    {"$PDSIZE", R12, V2000, [](C c, H h) { real(c, 40, h.pdsize); }},
    {"$PLINEWID", R12, V2000, [](C c, H h) { real(c, 40, h.plinewid); }},
    {"$COORDS", R12, R14, [](C c, H h) { i16(c, 70, h.coords); }},
    {"$SPLFRAME", R12, V2000, [](C c, H h) { i16(c, 70, h.splframe); }},
    {"$SPLINETYPE", R12, V2000, [](C c, H h) { i16(c, 70, h.splinetype); }},
    {"$SPLINESEGS", R12, V2000, [](C c, H h) { i16(c, 70, h.splinesegs); }},
    {"$ATTDIA", R12, R14, [](C c, H h) { i16(c, 70, h.attdia); }},
    {"$ATTREQ", R12, R14, [](C c, H h) { i16(c, 70, h.attreq); }},
    {"$HANDLING", R12, R14, [](C c, H h) { i16(c, 70, h.handling); }},
    {"$HANDSEED", R12, V2000, [](C c, H) { group_handle(c.out, 5, c.handle_seed); }},
    {"$SURFTAB1", R12, V2000, [](C c, H h) { i16(c, 70, h.surftab1); }},
    {"$SURFTAB2", R12, V2000, [](C c, H h) { i16(c, 70, h.surftab2); }},
    {"$SURFTYPE", R12, V2000, [](C c, H h) { i16(c, 70, h.surftype); }},
    {"$SURFU", R12, V2000, [](C c, H h) { i16(c, 70, h.surfu); }},
    {"$SURFV", R12, V2000, [](C c, H h) { i16(c, 70, h.surfv); }},
    {"$FLATLAND", R12, R12, [](C c, H h) { i16(c, 70, h.flatland); }},
    {"$UCSBASE", V2000, V2000, [](C c, H h) { name(c, 2, h.ucsbase); }},
    {"$UCSNAME", R12, V2000, [](C c, H h) { name(c, 2, h.ucsname); }},
    {"$UCSORG", R12, V2000, [](C c, H h) { full3(c, h.ucsorg); }},
    {"$UCSXDIR", R12, V2000, [](C c, H h) { full3(c, h.ucsxdir); }},
    {"$UCSYDIR", R12, V2000, [](C c, H h) { full3(c, h.ucsydir); }},
    {"$UCSORTHOREF", V2000, V2000, [](C c, H h) { name(c, 2, h.ucsorthoref); }},
    {"$UCSORTHOVIEW", V2000, V2000, [](C c, H h) { i16(c, 70, h.ucsorthoview); }},
    {"$UCSORGTOP", V2000, V2000, [](C c, H h) { full3(c, h.ucsorgtop); }},
    {"$UCSORGBOTTOM", V2000, V2000, [](C c, H h) { full3(c, h.ucsorgbottom); }},
    {"$UCSORGLEFT", V2000, V2000, [](C c, H h) { full3(c, h.ucsorgleft); }},
    {"$UCSORGRIGHT", V2000, V2000, [](C c, H h) { full3(c, h.ucsorgright); }},
    {"$UCSORGFRONT", V2000, V2000, [](C c, H h) { full3(c, h.ucsorgfront); }},
    {"$UCSORGBACK", V2000, V2000, [](C c, H h) { full3(c, h.ucsorgback); }},
    {"$PUCSBASE", V2000, V2000, [](C c, H h) { name(c, 2, h.pucsbase); }},
    {"$PUCSNAME", R12, V2000, [](C c, H h) { name(c, 2, h.pucsname); }},
    {"$PUCSORG", R12, V2000, [](C c, H h) { full3(c, h.pucsorg); }},
    {"$PUCSXDIR", R12, V2000, [](C c, H h) { full3(c, h.pucsxdir); }},
    {"$PUCSYDIR", R12, V2000, [](C c, H h) { full3(c, h.pucsydir); }},
    {"$PUCSORTHOREF", V2000, V2000, [](C c, H h) { name(c, 2, h.pucsorthoref); }},
    {"$PUCSORTHOVIEW", V2000, V2000, [](C c, H h) { i16(c, 70, h.pucsorthoview); }},
    {"$PUCSORGTOP", V2000, V2000, [](C c, H h) { full3(c, h.pucsorgtop); }},
    {"$PUCSORGBOTTOM", V2000, V2000, [](C c, H h) { full3(c, h.pucsorgbottom); }},
    {"$PUCSORGLEFT", V2000, V2000, [](C c, H h) { full3(c, h.pucsorgleft); }},
    {"$PUCSORGRIGHT", V2000, V2000, [](C c, H h) { full3(c, h.pucsorgright); }},
    {"$PUCSORGFRONT", V2000, V2000, [](C c, H h) { full3(c, h.pucsorgfront); }},
    {"$PUCSORGBACK", V2000, V2000, [](C c, H h) { full3(c, h.pucsorgback); }},
    {"$USERI1", R12, V2000, [](C c, H h) { i16(c, 70, h.useri[0]); }},
    {"$USERI2", R12, V2000, [](C c, H h) { i16(c, 70, h.useri[1]); }},
    {"$USERI3", R12, V2000, [](C c, H h) { i16(c, 70, h.useri[2]); }},
    {"$USERI4", R12, V2000, [](C c, H h) { i16(c, 70, h.useri[3]); }},
    {"$USERI5", R12, V2000, [](C c, H h) { i16(c, 70, h.useri[4]); }},
    {"$USERR1", R12, V2000, [](C c, H h) { real(c, 40, h.userr[0]); }},
    {"$USERR2", R12, V2000, [](C c, H h) { real(c, 40, h.userr[1]); }},
    {"$USERR3", R12, V2000, [](C c, H h) { real(c, 40, h.userr[2]); }},
    {"$USERR4", R12, V2000, [](C c, H h) { real(c, 40, h.userr[3]); }},
    {"$USERR5", R12, V2000, [](C c, H h) { real(c, 40, h.userr[4]); }},
    {"$WORLDVIEW", R12, V2000, [](C c, H h) { i16(c, 70, h.worldview); }},
    {"$SHADEDGE", R12, V2000, [](C c, H h) { i16(c, 70, h.shadedge); }},
    {"$SHADEDIF", R12, V2000, [](C c, H h) { i16(c, 70, h.shadedif); }},
    {"$TILEMODE", R12, V2000, [](C c, H h) { i16(c, 70, h.tilemode); }},
    {"$MAXACTVP", R12, V2000, [](C c, H h) { i16(c, 70, h.maxactvp); }},
    {"$PINSBASE", R13, V2000, [](C c, H h) { pt3(c, h.pinsbase); }},
    {"$PLIMCHECK", R12, V2000, [](C c, H h) { i16(c, 70, h.plimcheck); }},
    {"$PEXTMIN", R12, V2000, [](C c, H h) { pt3(c, h.pextmin); }},
    {"$PEXTMAX", R12, V2000, [](C c, H h) { pt3(c, h.pextmax); }},
    {"$PLIMMIN", R12, V2000, [](C c, H h) { pt2(c, h.plimmin); }},
    {"$PLIMMAX", R12, V2000, [](C c, H h) { pt2(c, h.plimmax); }},
    {"$UNITMODE", R12, V2000, [](C c, H h) { i16(c, 70, h.unitmode); }},
    {"$VISRETAIN", R12, V2000, [](C c, H h) { i16(c, 70, h.visretain); }},
    {"$PLINEGEN", R13, V2000, [](C c, H h) { i16(c, 70, h.plinegen); }},
    {"$PSLTSCALE", R13, V2000, [](C c, H h) { i16(c, 70, h.psltscale); }},
    {"$TREEDEPTH", R13, V2000, [](C c, H h) { i16(c, 70, h.treedepth); }},
    {"$PICKSTYLE", R13, R14, [](C c, H h) { i16(c, 70, h.pickstyle); }},
    {"$CMLSTYLE", R13, V2000, [](C c, H h) { name(c, 2, h.cmlstyle); }},
    {"$CMLJUST", R13, V2000, [](C c, H h) { i16(c, 70, h.cmljust); }},
    {"$CMLSCALE", R13, V2000, [](C c, H h) { real(c, 40, h.cmlscale); }},
    {"$PROXYGRAPHICS", R14, V2000, [](C c, H h) { i16(c, 70, h.proxygraphics); }},
    {"$MEASUREMENT", R14, V2000, [](C c, H h) { i16(c, 70, h.measurement); }},
    {"$SAVEIMAGES", R13, R13, [](C c, H h) { i16(c, 70, h.saveimages); }},
    {"$CELWEIGHT", V2000, V2000, [](C c, H h) { i16(c, 370, h.celweight); }},
    {"$ENDCAPS", V2000, V2000, [](C c, H h) { i16(c, 280, h.endcaps); }},
    {"$JOINSTYLE", V2000, V2000, [](C c, H h) { i16(c, 280, h.joinstyle); }},
    {"$LWDISPLAY", V2000, V2000, [](C c, H h) { i16(c, 290, h.lwdisplay); }},
    {"$INSUNITS", V2000, V2000, [](C c, H h) { i16(c, 70, h.insunits); }},
    {"$HYPERLINKBASE", V2000, V2000, [](C c, H h) { str(c, 1, h.hyperlinkbase); }},
    {"$STYLESHEET", V2000, V2000, [](C c, H h) { str(c, 1, h.stylesheet); }},
    {"$XEDIT", V2000, V2000, [](C c, H h) { i16(c, 290, h.xedit); }},
    {"$CEPSNTYPE", V2000, V2000, [](C c, H h) { i16(c, 380, h.cepsntype); }},
    {"$PSTYLEMODE", V2000, V2000, [](C c, H h) { i16(c, 290, h.pstylemode); }},
    {"$FINGERPRINTGUID", V2000, V2000, [](C c, H h) { str(c, 2, h.fingerprintguid); }},
    {"$VERSIONGUID", V2000, V2000, [](C c, H h) { str(c, 2, h.versionguid); }},
    {"$EXTNAMES", V2000, V2000, [](C c, H h) { i16(c, 290, h.extnames); }},
    {"$PSVPSCALE", V2000, V2000, [](C c, H h) { real(c, 40, h.psvpscale); }},
};

}  // namespace

void write_header_section(SaveContext& c) {
    const HeaderRecord& h = c.drawing.header;
    begin_section(c, "HEADER");
    for (const HeaderVariable& v : variables) {
        if (c.version < v.first || c.version > v.last)
            continue;
        group_string(c.out, 9, v.name);
        v.write(c, h);
        // R12 readers stop at $VISRETAIN; nothing after it goes into R12.
        if (c.r12() && std::string_view(v.name) == "$VISRETAIN")
            break;
    }
    end_section(c);
}

}  // namespace penloom
