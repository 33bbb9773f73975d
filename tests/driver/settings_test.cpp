// Loading [Settings] from a real penloom.ini: defaults, every correction
// rule, the derived values, and the readers' file-format rules as the
// settings see them.
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "driver/settings.h"
#include "driver_fixture.h"

namespace penloom::testing {
namespace {

class SettingsTest : public DriverTest {
protected:
    Settings load(const std::string& ini) {
        write_settings(ini);
        return load_fresh();
    }
    Settings load_fresh() {
        ProfileReader reader;
        locate_settings_file(reader, prog());
        Settings settings;
        load_settings(settings, reader, prog());
        return settings;
    }
};

TEST_F(SettingsTest, MissingFileKeepsEveryDefault) {
    Settings s = load_fresh();
    EXPECT_EQ(s.trace, 0);
    EXPECT_EQ(s.StdTextStyle, "STANDARD");
    EXPECT_EQ(s.AltTextStyle, "STD_1");
    EXPECT_EQ(s.HPGLPrinter, 0);
    EXPECT_EQ(s.Parser, 0);
    EXPECT_EQ(s.RotateC, 0);
    EXPECT_EQ(s.LayerPrefix, "LAY");
    EXPECT_EQ(s.ClipToPageSize, 0);
    EXPECT_EQ(s.PlotterUnit, 0.025);
    EXPECT_EQ(s.ScaleFactor, 1.0);
    EXPECT_EQ(s.StdWidthScale, 0.8);
    EXPECT_EQ(s.UseP2, 0);
    EXPECT_EQ(s.P2x, 8128);
    EXPECT_EQ(s.P2y, 10160);
    EXPECT_EQ(s.DefaultSCType, 0);
    EXPECT_EQ(s.defaultpenwidth, 0.35);
    EXPECT_EQ(s.IgnoreRotate, 0);
    EXPECT_EQ(s.HPGLLayers, 0);
    EXPECT_EQ(s.LayersLeading0, 1);
    EXPECT_EQ(s.HardWhite, 1);
    EXPECT_EQ(s.HardBlack, 0);
    EXPECT_EQ(s.TransWhiteFill, 1);
    EXPECT_EQ(s.ElimSlivers, 1);
    EXPECT_EQ(s.NumPens, 8);
    EXPECT_EQ(s.RasterDevice, 1);
    EXPECT_EQ(s.LayerNameFromOutputPen, 0);
    EXPECT_EQ(s.FillOutlinesOnly, 0);
    EXPECT_EQ(s.DWGCodePageIndex, 30);
    EXPECT_EQ(s.UseLineWeights, 1);
    EXPECT_EQ(s.UsePolylineWidths, 0);
    EXPECT_EQ(s.DecimalPlaces, 6);
    EXPECT_EQ(s.OutputExt, "");
    EXPECT_EQ(s.verDXF, 4);
    EXPECT_EQ(s.mono, 0);
    EXPECT_EQ(s.PenByLayer, 0);
    EXPECT_EQ(s.OutputPolyline, 0);
    EXPECT_EQ(s.UseHatchPattern, 0);
    EXPECT_EQ(s.HatchPattern, "SOLID");
    EXPECT_EQ(s.HatchScale, -1.0);
    EXPECT_EQ(s.UseRasterFillPattern, 1);
    EXPECT_EQ(s.RasterFillFactor, 8.0);
    EXPECT_EQ(s.PreferSolidFillToPattern, 0);
    EXPECT_EQ(s.IgnoreNR, 0);
    EXPECT_EQ(s.OutputUnit, "mm");

    EXPECT_EQ(s.data_file_path, prog() + "penloom.dat");
    EXPECT_EQ(s.unit_factor, 1.0);
    EXPECT_EQ(s.drawing_scale, 0.025);
    EXPECT_EQ(s.raster_fill_reciprocal, 0.125);
    EXPECT_EQ(s.default_lineweight, 35);
    EXPECT_EQ(s.default_width, 0.35);
    EXPECT_FALSE(s.output_is_dwg);
    EXPECT_DOUBLE_EQ(s.label_height, 2.84);
    EXPECT_DOUBLE_EQ(s.label_width, 2.03);
    EXPECT_DOUBLE_EQ(s.label_advance, 2.82);
}

struct Row {
    const char* name;
    const char* lines;  // below [Settings]
    std::function<void(const Settings&)> check;
};

TEST_F(SettingsTest, CorrectionsAndDerivedValues) {
    const Row rows[] = {
        {"PlotterUnit 0", "PlotterUnit=0",
         [](const Settings& s) {
             EXPECT_EQ(s.PlotterUnit, 0.025);
             EXPECT_EQ(s.drawing_scale, 0.025);
         }},
        {"PlotterUnit tiny", "PlotterUnit=1e-11", [](const Settings& s) { EXPECT_EQ(s.PlotterUnit, 0.025); }},
        {"PlotterUnit doubled scales labels", "PlotterUnit=0.05",
         [](const Settings& s) {
             EXPECT_DOUBLE_EQ(s.label_height, 5.68);
             EXPECT_DOUBLE_EQ(s.label_width, 4.06);
             EXPECT_DOUBLE_EQ(s.label_advance, 5.64);
             EXPECT_DOUBLE_EQ(s.drawing_scale, 0.05);
         }},
        {"ScaleFactor 0", "ScaleFactor=0", [](const Settings& s) { EXPECT_EQ(s.ScaleFactor, 1.0); }},
        {"ScaleFactor 2", "ScaleFactor=2", [](const Settings& s) { EXPECT_DOUBLE_EQ(s.drawing_scale, 0.0125); }},
        {"ScaleFactor negative kept", "ScaleFactor=-2",
         [](const Settings& s) { EXPECT_DOUBLE_EQ(s.drawing_scale, -0.0125); }},
        {"pen width 0.3", "defaultpenwidth=0.3",
         [](const Settings& s) {
             EXPECT_EQ(s.default_lineweight, 30);
             EXPECT_DOUBLE_EQ(s.default_width, 0.30);
         }},
        {"pen width 0.31", "defaultpenwidth=0.31",
         [](const Settings& s) {
             EXPECT_EQ(s.default_lineweight, 35);
             EXPECT_DOUBLE_EQ(s.default_width, 0.35);
             EXPECT_EQ(s.defaultpenwidth, 0.31);
         }},
        {"pen width 3.0", "defaultpenwidth=3.0",
         [](const Settings& s) {
             EXPECT_EQ(s.default_lineweight, 35);
             EXPECT_DOUBLE_EQ(s.default_width, 0.35);
         }},
        {"pen width -0.5", "defaultpenwidth=-0.5",
         [](const Settings& s) {
             EXPECT_EQ(s.default_lineweight, 35);
             EXPECT_DOUBLE_EQ(s.default_width, 0.35);
         }},
        {"DecimalPlaces 20", "DecimalPlaces=20", [](const Settings& s) { EXPECT_EQ(s.DecimalPlaces, 6); }},
        {"DecimalPlaces 0", "DecimalPlaces=0", [](const Settings& s) { EXPECT_EQ(s.DecimalPlaces, 0); }},
        {"DecimalPlaces 16", "DecimalPlaces=16", [](const Settings& s) { EXPECT_EQ(s.DecimalPlaces, 16); }},
        {"DecimalPlaces -1", "DecimalPlaces=-1", [](const Settings& s) { EXPECT_EQ(s.DecimalPlaces, 6); }},
        {"OutputExt DWG", "OutputExt=DWG",
         [](const Settings& s) {
             EXPECT_TRUE(s.output_is_dwg);
             EXPECT_EQ(s.OutputExt, "DWG");
         }},
        {"OutputExt .dwg", "OutputExt=.dwg", [](const Settings& s) { EXPECT_FALSE(s.output_is_dwg); }},
        {"OutputExt dxf", "OutputExt=dxf", [](const Settings& s) { EXPECT_FALSE(s.output_is_dwg); }},
        {"OutputExt quoted dwg", "OutputExt=\"dwg\"", [](const Settings& s) { EXPECT_TRUE(s.output_is_dwg); }},
        {"RasterFillFactor 0.5", "RasterFillFactor=0.5",
         [](const Settings& s) {
             EXPECT_EQ(s.RasterFillFactor, 8.0);
             EXPECT_EQ(s.raster_fill_reciprocal, 0.125);
         }},
        {"RasterFillFactor 100", "RasterFillFactor=100", [](const Settings& s) { EXPECT_EQ(s.RasterFillFactor, 8.0); }},
        {"RasterFillFactor 4", "RasterFillFactor=4",
         [](const Settings& s) {
             EXPECT_EQ(s.RasterFillFactor, 4.0);
             EXPECT_EQ(s.raster_fill_reciprocal, 0.25);
         }},
        {"RasterFillFactor 1", "RasterFillFactor=1", [](const Settings& s) { EXPECT_EQ(s.RasterFillFactor, 1.0); }},
        {"RasterFillFactor 99.5", "RasterFillFactor=99.5", [](const Settings& s) { EXPECT_EQ(s.RasterFillFactor, 99.5); }},
        {"OutputUnit inch", "OutputUnit=inch",
         [](const Settings& s) {
             EXPECT_DOUBLE_EQ(s.unit_factor, 1.0 / 25.4);
             EXPECT_DOUBLE_EQ(s.drawing_scale, 0.025 / 25.4);
         }},
        {"OutputUnit INCH", "OutputUnit=INCH", [](const Settings& s) { EXPECT_DOUBLE_EQ(s.drawing_scale, 0.025 / 25.4); }},
        {"OutputUnit cm with ScaleFactor", "OutputUnit=cm\nScaleFactor=4",
         [](const Settings& s) { EXPECT_DOUBLE_EQ(s.drawing_scale, 0.025 * 0.1 / 4); }},
        {"OutputUnit mile", "OutputUnit=mile", [](const Settings& s) { EXPECT_DOUBLE_EQ(s.unit_factor, 1.0 / 1609344); }},
        {"OutputUnit unknown", "OutputUnit=furlong",
         [](const Settings& s) {
             EXPECT_EQ(s.OutputUnit, "furlong");
             EXPECT_EQ(s.unit_factor, 1.0);
             EXPECT_EQ(s.drawing_scale, 0.025);
         }},
        {"HatchPattern kept as written", "HatchPattern=ansi31", [](const Settings& s) { EXPECT_EQ(s.HatchPattern, "ansi31"); }},
        {"LayerPrefix cut to 31", "LayerPrefix=ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789",
         [](const Settings& s) { EXPECT_EQ(s.LayerPrefix, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234"); }},
        {"quoted style name", "StdTextStyle=\" HP STYLE \"", [](const Settings& s) { EXPECT_EQ(s.StdTextStyle, " HP STYLE "); }},
        {"integer text", "NumPens=twelve", [](const Settings& s) { EXPECT_EQ(s.NumPens, 0); }},
        {"double text", "HatchScale=big", [](const Settings& s) { EXPECT_EQ(s.HatchScale, -1.0); }},
        {"RotateC unchecked", "RotateC=45", [](const Settings& s) { EXPECT_EQ(s.RotateC, 45); }},
        {"verDXF out of range kept", "verDXF=12", [](const Settings& s) { EXPECT_EQ(s.verDXF, 12); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.check(load(std::string("[Settings]\n") + row.lines + "\n"));
    }
}

TEST_F(SettingsTest, FileFormatAsSettingsSeeIt) {
    Settings s = load(
        "; PENLOOM settings\n"
        "[HPGLPens]\n"
        "NumPens=99\n"
        "[settings]\n"
        "numpens = 4\n"
        "NUMPENS=5\n"
        "  LayerPrefix  =  PEN_  \n"
        ";verDXF=7\n"
        "# mono=1\n"
        "[Settings]\n"
        "trace=1\n");
    EXPECT_EQ(s.NumPens, 4);         // first key wins; other sections do not count
    EXPECT_EQ(s.LayerPrefix, "PEN_");
    EXPECT_EQ(s.verDXF, 4);          // commented out
    EXPECT_EQ(s.mono, 0);
    EXPECT_EQ(s.trace, 0);           // only the first [Settings] is read
}

TEST_F(SettingsTest, LineweightOfWidth) {
    struct Case {
        double width;
        int lineweight;
    };
    const Case cases[] = {
        {0.0, 0},   {0.05, 5},   {0.06, 9},   {0.09, 9},   {0.13, 13},  {0.29, 30},  {0.3, 30},
        {0.31, 35}, {0.35, 35},  {0.36, 40},  {0.5, 50},   {1.0, 100},  {2.0, 200},  {2.11, 211},
        {2.12, 35}, {3.0, 35},   {-0.5, 35},  {-0.001, 0}, {1e300, 35}, {-1e300, 35},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        EXPECT_EQ(lineweight_of_width(c.width), c.lineweight);
    }
}

}  // namespace
}  // namespace penloom::testing

namespace penloom::testing {
namespace {

std::string source_file(const std::string& relative) {
    const char* source = std::getenv("PENLOOM_SOURCE");
    return source ? std::string(source) + "/" + relative : std::string();
}

// The example settings file documents every key with its default, all
// commented out: used as it is, it must change nothing.
TEST_F(SettingsTest, ExampleFileKeepsTheDefaults) {
    std::string example = source_file("examples/penloom.ini.example");
    if (example.empty()) GTEST_SKIP() << "PENLOOM_SOURCE is not set";
    std::ifstream file(example, std::ios::binary);
    ASSERT_TRUE(file.good());
    std::stringstream content;
    content << file.rdbuf();
    const std::string text = content.str();

    const char* keys[] = {
        "trace", "StdTextStyle", "AltTextStyle", "HPGLPrinter", "Parser", "RotateC", "LayerPrefix",
        "ClipToPageSize", "PlotterUnit", "ScaleFactor", "StdWidthScale", "UseP2", "P2x", "P2y",
        "DefaultSCType", "defaultpenwidth", "IgnoreRotate", "HPGLLayers", "LayersLeading0", "HardWhite",
        "HardBlack", "TransWhiteFill", "ElimSlivers", "NumPens", "RasterDevice", "LayerNameFromOutputPen",
        "FillOutlinesOnly", "DWGCodePageIndex", "UseLineWeights", "UsePolylineWidths", "DecimalPlaces",
        "OutputExt", "verDXF", "mono", "PenByLayer", "OutputPolyline", "UseHatchPattern", "HatchPattern",
        "HatchScale", "UseRasterFillPattern", "RasterFillFactor", "PreferSolidFillToPattern", "IgnoreNR",
        "OutputUnit", "HPGLPens", "HPGLPenWidths", "idxStdTextFont", "idxAltTextFont", "StdTextFont",
        "StdTextFontFixedWidth", "AltTextFont", "AltTextFontFixedWidth",
    };
    for (const char* key : keys) {
        SCOPED_TRACE(key);
        EXPECT_NE(text.find(std::string("\n;") + key + "="), std::string::npos);
    }
    for (const char* section : {"[Settings]", "[HPGLPens]", "[HPGLPenWidths]", "[HPGLLayers]",
                                "[MapTypefaceToFont]", "[Stylename]"}) {
        SCOPED_TRACE(section);
        EXPECT_NE(text.find(std::string("\n") + section + "\n"), std::string::npos);
    }

    Settings from_example = load(text);
    Settings defaults = load("");
    EXPECT_EQ(from_example.NumPens, defaults.NumPens);
    EXPECT_EQ(from_example.OutputUnit, defaults.OutputUnit);
    EXPECT_EQ(from_example.verDXF, defaults.verDXF);
    EXPECT_EQ(from_example.OutputExt, defaults.OutputExt);
    EXPECT_EQ(from_example.drawing_scale, defaults.drawing_scale);
    EXPECT_EQ(from_example.HatchPattern, defaults.HatchPattern);
}

}  // namespace
}  // namespace penloom::testing
