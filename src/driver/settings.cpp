// Loading the section [Settings] of "penloom.ini" into the Settings record,
// with the corrections and the values derived from the keys.
#include "driver/settings.h"

#include <cmath>

#include "construction/ascii_case.h"

namespace penloom {

namespace {

// Label size defaults in millimetres at the standard plotter unit.
constexpr double label_height_mm = 2.84;
constexpr double label_width_mm = 2.03;
constexpr double label_advance_mm = 2.82;

struct OutputUnit {
    const char* name;
    double per_millimetre;
};

constexpr OutputUnit output_units[] = {
    {"mm", 1.0},           {"cm", 0.1},           {"m", 0.001},           {"km", 0.000001},
    {"inch", 1.0 / 25.4},  {"feet", 1.0 / 304.8}, {"yard", 1.0 / 914.4},  {"mile", 1.0 / 1609344.0},
};

}  // namespace

int lineweight_of_width(double millimetres) {
    double raw = millimetres * 100.0 + 0.0001;
    if (!(raw > -1e6 && raw < 1e6)) return 35;  // keeps the conversion defined (NaN too)
    int hundredths = static_cast<int>(raw);
    if (hundredths < 0 || hundredths > 211) return 35;
    for (int weight : standard_lineweights)
        if (weight >= hundredths) return weight;
    return 35;
}

double output_unit_factor(std::string_view unit) {
    for (const OutputUnit& entry : output_units)
        if (equals_nocase(unit, entry.name)) return entry.per_millimetre;
    return 0.0;
}

void load_settings(Settings& s, ProfileReader& reader, const std::string& program_folder) {
    s.data_file_path = program_folder + "penloom.dat";
    select_section(reader, "Settings");

    s.trace = get_int(reader, "trace", s.trace);
    s.StdTextStyle = get_string(reader, "StdTextStyle", s.StdTextStyle, 256);
    s.AltTextStyle = get_string(reader, "AltTextStyle", s.AltTextStyle, 256);
    s.HPGLPrinter = get_int(reader, "HPGLPrinter", s.HPGLPrinter);
    s.Parser = get_int(reader, "Parser", s.Parser);
    s.RotateC = get_int(reader, "RotateC", s.RotateC);
    s.LayerPrefix = get_string(reader, "LayerPrefix", s.LayerPrefix, 32);
    s.ClipToPageSize = get_int(reader, "ClipToPageSize", s.ClipToPageSize);
    s.PlotterUnit = get_double(reader, "PlotterUnit", s.PlotterUnit);
    if (std::fabs(s.PlotterUnit) < 1e-10) s.PlotterUnit = 0.025;
    s.ScaleFactor = get_double(reader, "ScaleFactor", s.ScaleFactor);
    if (std::fabs(s.ScaleFactor) < 1e-10) s.ScaleFactor = 1.0;
    s.StdWidthScale = get_double(reader, "StdWidthScale", s.StdWidthScale);
    s.UseP2 = get_int(reader, "UseP2", s.UseP2);
    s.P2x = get_int(reader, "P2x", s.P2x);
    s.P2y = get_int(reader, "P2y", s.P2y);
    s.DefaultSCType = get_int(reader, "DefaultSCType", s.DefaultSCType);
    s.defaultpenwidth = get_double(reader, "defaultpenwidth", s.defaultpenwidth);
    s.IgnoreRotate = get_int(reader, "IgnoreRotate", s.IgnoreRotate);
    s.HPGLLayers = get_int(reader, "HPGLLayers", s.HPGLLayers);
    s.LayersLeading0 = get_int(reader, "LayersLeading0", s.LayersLeading0);
    s.HardWhite = get_int(reader, "HardWhite", s.HardWhite);
    s.HardBlack = get_int(reader, "HardBlack", s.HardBlack);
    s.TransWhiteFill = get_int(reader, "TransWhiteFill", s.TransWhiteFill);
    s.ElimSlivers = get_int(reader, "ElimSlivers", s.ElimSlivers);
    s.NumPens = get_int(reader, "NumPens", s.NumPens);
    s.RasterDevice = get_int(reader, "RasterDevice", s.RasterDevice);
    s.LayerNameFromOutputPen = get_int(reader, "LayerNameFromOutputPen", s.LayerNameFromOutputPen);
    s.FillOutlinesOnly = get_int(reader, "FillOutlinesOnly", s.FillOutlinesOnly);
    s.DWGCodePageIndex = get_int(reader, "DWGCodePageIndex", s.DWGCodePageIndex);
    s.UseLineWeights = get_int(reader, "UseLineWeights", s.UseLineWeights);
    s.UsePolylineWidths = get_int(reader, "UsePolylineWidths", s.UsePolylineWidths);
    s.DecimalPlaces = get_int(reader, "DecimalPlaces", s.DecimalPlaces);
    s.OutputExt = get_string(reader, "OutputExt", s.OutputExt, 128);
    s.verDXF = get_int(reader, "verDXF", s.verDXF);
    s.mono = get_int(reader, "mono", s.mono);
    s.PenByLayer = get_int(reader, "PenByLayer", s.PenByLayer);
    s.OutputPolyline = get_int(reader, "OutputPolyline", s.OutputPolyline);
    s.UseHatchPattern = get_int(reader, "UseHatchPattern", s.UseHatchPattern);
    s.HatchPattern = get_string(reader, "HatchPattern", s.HatchPattern, 255);
    s.HatchScale = get_double(reader, "HatchScale", s.HatchScale);
    s.UseRasterFillPattern = get_int(reader, "UseRasterFillPattern", s.UseRasterFillPattern);

    double label_scale = 40.0 * s.PlotterUnit;
    s.label_height = label_height_mm * label_scale;
    s.label_width = label_width_mm * label_scale;
    s.label_advance = label_advance_mm * label_scale;

    s.default_lineweight = lineweight_of_width(s.defaultpenwidth);
    s.default_width = s.default_lineweight / 100.0;

    if (s.DecimalPlaces < 0 || s.DecimalPlaces > 16) s.DecimalPlaces = 6;
    s.output_is_dwg = equals_nocase(s.OutputExt, "dwg");

    // The second group is read after the hatch pattern has been chosen.
    double raster_fill = get_double(reader, "RasterFillFactor", 8.0);
    s.RasterFillFactor = (raster_fill > 0.999 && raster_fill < 100.0) ? raster_fill : 8.0;
    s.raster_fill_reciprocal = 1.0 / s.RasterFillFactor;
    s.PreferSolidFillToPattern = get_int(reader, "PreferSolidFillToPattern", s.PreferSolidFillToPattern);
    s.IgnoreNR = get_int(reader, "IgnoreNR", s.IgnoreNR);
    s.OutputUnit = get_string(reader, "OutputUnit", s.OutputUnit, 128);
    // Ours, not the original's: how many files of a wildcard run are
    // translated at once (read like /J: a negative count means one per CPU).
    s.Jobs = get_int(reader, "Jobs", s.Jobs);
    if (s.Jobs < 0) s.Jobs = 0;

    double factor = output_unit_factor(s.OutputUnit);
    s.unit_factor = factor > 0.0 ? factor : 1.0;
    s.drawing_scale = s.PlotterUnit * s.unit_factor / s.ScaleFactor;
}

}  // namespace penloom
