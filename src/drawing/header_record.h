// The drawing's header-variable record: one field per header variable the DXF
// writer knows. get_header copies it out whole and set_header back whole; the
// writer decides per version which of them go into the file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "drawing/records.h"

namespace penloom {

// A date as the header keeps it: Julian day number and milliseconds of the day.
struct JulianDate {
    std::int32_t day = 0;
    std::int32_t milliseconds = 0;
};

struct HeaderRecord {
    // File identity
    std::int16_t maintenance_version = 0;   // $ACADMAINTVER (R14)
    std::int16_t codepage = 30;             // $DWGCODEPAGE, index into the code-page table

    // Extents, limits and the view (drawing units)
    Point3 insbase;
    Point3 extmin{1e20, 1e20, 1e20};
    Point3 extmax{-1e20, -1e20, -1e20};
    Point2 limmin{0.0, 0.0};
    Point2 limmax{420.0, 297.0};
    Point2 viewctr{210.0, 148.5};
    double viewsize = 297.0;

    // Drawing modes
    std::int16_t snapmode = 0;
    Point2 snapunit{10.0, 10.0};
    Point2 snapbase{0.0, 0.0};
    double snapang = 0.0;                   // radians
    std::int16_t snapstyle = 0;
    std::int16_t snapisopair = 0;
    std::int16_t gridmode = 0;
    Point2 gridunit{10.0, 10.0};
    std::int16_t orthomode = 0;
    std::int16_t regenmode = 1;
    std::int16_t fillmode = 1;
    std::int16_t qtextmode = 0;
    std::int16_t mirrtext = 1;
    std::int16_t dragmode = 2;
    double ltscale = 1.0;
    std::int16_t osmode = 0;
    std::int16_t attmode = 1;
    double textsize = 2.5;
    double tracewid = 1.0;
    std::string textstyle = "STANDARD";
    std::string clayer = "0";
    std::string celtype = "BYLAYER";
    std::int16_t cecolor = 256;
    double celtscale = 1.0;
    std::int16_t delobj = 1;
    std::int16_t dispsilh = 0;

    // Dimension variables
    double dimscale = 1.0;
    double dimasz = 2.5;
    double dimexo = 0.625;
    double dimdli = 3.75;
    double dimrnd = 0.0;
    double dimdle = 0.0;
    double dimexe = 1.25;
    double dimtp = 0.0;
    double dimtm = 0.0;
    double dimtxt = 2.5;
    double dimcen = 2.5;
    double dimtsz = 0.0;
    std::int16_t dimtol = 0;
    std::int16_t dimlim = 0;
    std::int16_t dimtih = 0;
    std::int16_t dimtoh = 0;
    std::int16_t dimse1 = 0;
    std::int16_t dimse2 = 0;
    std::int16_t dimtad = 1;
    std::int16_t dimzin = 8;
    std::string dimblk;
    std::int16_t dimaso = 1;
    std::int16_t dimsho = 1;
    std::string dimpost;
    std::string dimapost;
    std::int16_t dimalt = 0;
    std::int16_t dimaltd = 3;
    double dimaltf = 0.03937007874015748;
    double dimlfac = 1.0;
    std::int16_t dimtofl = 1;
    double dimtvp = 0.0;
    std::int16_t dimtix = 0;
    std::int16_t dimsoxd = 0;
    std::int16_t dimsah = 0;
    std::string dimblk1;
    std::string dimblk2;
    std::string dimstyle = "STANDARD";
    std::int16_t dimclrd = 0;
    std::int16_t dimclre = 0;
    std::int16_t dimclrt = 0;
    double dimtfac = 1.0;
    double dimgap = 0.625;
    std::int16_t dimjust = 0;
    std::int16_t dimsd1 = 0;
    std::int16_t dimsd2 = 0;
    std::int16_t dimtolj = 0;
    std::int16_t dimtzin = 8;
    std::int16_t dimaltz = 0;
    std::int16_t dimalttz = 0;
    std::int16_t dimfit = 3;
    std::int16_t dimupt = 0;
    std::int16_t dimunit = 2;
    std::int16_t dimdec = 2;
    std::int16_t dimtdec = 2;
    std::int16_t dimaltu = 2;
    std::int16_t dimalttd = 3;
    std::string dimtxsty = "STANDARD";
    std::int16_t dimaunit = 0;
    std::int16_t dimadec = 0;
    double dimaltrnd = 0.0;
    std::int16_t dimazin = 0;
    std::int16_t dimdsep = 46;              // '.'
    std::int16_t dimatfit = 3;
    std::int16_t dimfrac = 0;
    std::string dimldrblk;
    std::int16_t dimlunit = 2;
    std::int16_t dimlwd = -2;
    std::int16_t dimlwe = -2;
    std::int16_t dimtmove = 0;

    // Units and miscellaneous settings
    std::int16_t lunits = 2;
    std::int16_t luprec = 4;
    std::int16_t axismode = 0;
    Point2 axisunit{0.0, 0.0};
    double sketchinc = 1.0;
    double filletrad = 0.0;
    std::int16_t aunits = 0;
    std::int16_t auprec = 0;
    std::string menu = ".";
    double elevation = 0.0;
    double pelevation = 0.0;
    double thickness = 0.0;
    Point3 viewdir{0.0, 0.0, 1.0};
    std::int16_t limcheck = 0;
    std::int16_t blipmode = 0;
    double chamfera = 0.0;
    double chamferb = 0.0;
    double chamferc = 0.0;
    double chamferd = 0.0;                  // radians
    std::int16_t fastzoom = 1;
    std::int16_t skpoly = 0;

    // Dates and timers
    JulianDate tdcreate;
    JulianDate tducreate;
    JulianDate tdupdate;
    JulianDate tduupdate;
    JulianDate tdindwg;                     // a duration: days and milliseconds
    JulianDate tdusrtimer;
    std::int16_t usrtimer = 1;

    // Angles, points, splines, attributes
    double angbase = 0.0;                   // radians
    std::int16_t angdir = 0;
    std::int16_t pdmode = 0;
    double pdsize = 0.0;
    double plinewid = 0.0;
    std::int16_t coords = 1;
    std::int16_t splframe = 0;
    std::int16_t splinetype = 6;
    std::int16_t splinesegs = 8;
    std::int16_t attdia = 0;
    std::int16_t attreq = 1;
    std::int16_t handling = 1;              // R12: entities carry handles

    // Surfaces
    std::int16_t surftab1 = 6;
    std::int16_t surftab2 = 6;
    std::int16_t surftype = 6;
    std::int16_t surfu = 6;
    std::int16_t surfv = 6;
    std::int16_t flatland = 0;

    // Model-space UCS
    std::string ucsbase;
    std::string ucsname;
    Point3 ucsorg;
    Point3 ucsxdir{1.0, 0.0, 0.0};
    Point3 ucsydir{0.0, 1.0, 0.0};
    std::string ucsorthoref;
    std::int16_t ucsorthoview = 0;
    Point3 ucsorgtop;
    Point3 ucsorgbottom;
    Point3 ucsorgleft;
    Point3 ucsorgright;
    Point3 ucsorgfront;
    Point3 ucsorgback;

    // Paper-space UCS
    std::string pucsbase;
    std::string pucsname;
    Point3 pucsorg;
    Point3 pucsxdir{1.0, 0.0, 0.0};
    Point3 pucsydir{0.0, 1.0, 0.0};
    std::string pucsorthoref;
    std::int16_t pucsorthoview = 0;
    Point3 pucsorgtop;
    Point3 pucsorgbottom;
    Point3 pucsorgleft;
    Point3 pucsorgright;
    Point3 pucsorgfront;
    Point3 pucsorgback;

    // User variables
    std::array<std::int16_t, 5> useri{};
    std::array<double, 5> userr{};

    // Display and paper space
    std::int16_t worldview = 1;
    std::int16_t shadedge = 3;
    std::int16_t shadedif = 70;
    std::int16_t tilemode = 1;
    std::int16_t maxactvp = 64;
    Point3 pinsbase;
    std::int16_t plimcheck = 0;
    Point3 pextmin{1e20, 1e20, 1e20};
    Point3 pextmax{-1e20, -1e20, -1e20};
    Point2 plimmin{0.0, 0.0};
    Point2 plimmax{420.0, 297.0};
    std::int16_t unitmode = 0;
    std::int16_t visretain = 1;
    std::int16_t plinegen = 0;
    std::int16_t psltscale = 1;
    std::int16_t treedepth = 3020;
    std::int16_t pickstyle = 1;
    std::string cmlstyle = "STANDARD";
    std::int16_t cmljust = 0;
    double cmlscale = 1.0;
    std::int16_t proxygraphics = 1;
    std::int16_t measurement = 1;           // metric
    std::int16_t saveimages = 0;

    // Release 2000 additions
    std::int16_t celweight = -1;
    std::int16_t endcaps = 0;
    std::int16_t joinstyle = 0;
    std::int16_t lwdisplay = 0;
    std::int16_t insunits = 4;              // millimetres
    std::string hyperlinkbase;
    std::string stylesheet;
    std::int16_t xedit = 1;
    std::int16_t cepsntype = 0;
    std::int16_t pstylemode = 1;
    std::string fingerprintguid = "{F2A6C1D0-5E11-4B7A-9C3E-50454E4C4F4D}";
    std::string versionguid = "{FAEB1C32-E019-11D5-929B-00C0DF256EC4}";
    std::int16_t extnames = 1;
    double psvpscale = 0.0;
};

}  // namespace penloom
