// The `Settings` record: the values of the section [Settings] of
// "penloom.ini", one field per key (named exactly as the key), and the
// values derived from them. The driver reads them once at start-up
// (driver/settings.h); every layer from here up reads the values it needs.
// Plain values only: no file, no reader.
#pragma once

#include <string>

namespace penloom {

struct Settings {
    // Keys, in the order they are read. Strings keep at most the length
    // limit of their key minus one characters.
    int trace = 0;
    std::string StdTextStyle = "STANDARD";  // 256
    std::string AltTextStyle = "STD_1";     // 256
    int HPGLPrinter = 0;
    int Parser = 0;
    int RotateC = 0;                   // degrees, not checked
    std::string LayerPrefix = "LAY";   // 32
    int ClipToPageSize = 0;
    double PlotterUnit = 0.025;        // millimetres per plotter unit
    double ScaleFactor = 1.0;
    double StdWidthScale = 0.8;
    int UseP2 = 0;
    int P2x = 8128;                    // plotter units
    int P2y = 10160;                   // plotter units
    int DefaultSCType = 0;
    double defaultpenwidth = 0.35;     // millimetres
    int IgnoreRotate = 0;
    int HPGLLayers = 0;
    int LayersLeading0 = 1;
    int HardWhite = 1;
    int HardBlack = 0;
    int TransWhiteFill = 1;
    int ElimSlivers = 1;
    int NumPens = 8;
    int RasterDevice = 1;
    int LayerNameFromOutputPen = 0;
    int FillOutlinesOnly = 0;
    int DWGCodePageIndex = 30;
    int UseLineWeights = 1;
    int UsePolylineWidths = 0;
    int DecimalPlaces = 6;             // 0..16
    std::string OutputExt;             // 128
    int verDXF = 4;
    int mono = 0;
    int PenByLayer = 0;
    int OutputPolyline = 0;
    int UseHatchPattern = 0;
    std::string HatchPattern = "SOLID";  // 255
    double HatchScale = -1.0;
    int UseRasterFillPattern = 1;
    double RasterFillFactor = 8.0;     // plotter units per raster pixel
    int PreferSolidFillToPattern = 0;
    int IgnoreNR = 0;
    std::string OutputUnit = "mm";     // 128
    int Jobs = 0;                      // files translated at once in a wildcard run; 0: one per online CPU

    // Derived at load time.
    std::string data_file_path;        // program folder + "penloom.dat"
    double unit_factor = 1.0;          // output units per millimetre
    double drawing_scale = 0.025;      // drawing units per plotter unit
    double raster_fill_reciprocal = 0.125;
    int default_lineweight = 35;       // hundredths of a millimetre
    double default_width = 0.35;       // millimetres, = default_lineweight / 100
    bool output_is_dwg = false;        // OutputExt is "dwg"
    // Label size defaults (millimetres), scaled by 40 x PlotterUnit.
    double label_height = 2.84;
    double label_width = 2.03;
    double label_advance = 2.82;
};

// The standard lineweights, hundredths of a millimetre, ascending: the default
// lineweight is one of them, and pen widths are rounded to them.
inline constexpr int standard_lineweights[] = {0,  5,  9,  13, 15,  18,  20,  25,  30,  35,  40,  50,
                                               53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};

}  // namespace penloom
