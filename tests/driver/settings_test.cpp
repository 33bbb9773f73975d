// Loading [Settings] from a real penloom.ini: every key into its field, the
// corrections and derived values, the lineweight of a pen width, and the
// example settings file changing nothing.
#include <cstdio>
#include <cstdlib>
#include <type_traits>
#include <vector>

#include "driver/settings.h"
#include "driver_fixture.h"

namespace penloom::testing {
namespace {

std::string g15(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

// Every field as "name=value ", doubles to 15 significant digits.
std::string describe(const Settings& s) {
    std::string text;
    auto put = [&](const char* name, const auto& value) {
        using T = std::decay_t<decltype(value)>;
        std::string shown;
        if constexpr (std::is_same_v<T, std::string>) shown = value;
        else if constexpr (std::is_same_v<T, double>) shown = g15(value);
        else shown = std::to_string(static_cast<int>(value));
        text += std::string(name) + "=" + shown + " ";
    };
#define PUT(field) put(#field, s.field)
    PUT(trace); PUT(StdTextStyle); PUT(AltTextStyle); PUT(HPGLPrinter); PUT(Parser); PUT(RotateC);
    PUT(LayerPrefix); PUT(ClipToPageSize); PUT(PlotterUnit); PUT(ScaleFactor); PUT(StdWidthScale); PUT(UseP2);
    PUT(P2x); PUT(P2y); PUT(DefaultSCType); PUT(defaultpenwidth); PUT(IgnoreRotate); PUT(HPGLLayers);
    PUT(LayersLeading0); PUT(HardWhite); PUT(HardBlack); PUT(TransWhiteFill); PUT(ElimSlivers); PUT(NumPens);
    PUT(RasterDevice); PUT(LayerNameFromOutputPen); PUT(FillOutlinesOnly); PUT(DWGCodePageIndex);
    PUT(UseLineWeights); PUT(UsePolylineWidths); PUT(DecimalPlaces); PUT(OutputExt); PUT(verDXF); PUT(mono);
    PUT(PenByLayer); PUT(OutputPolyline); PUT(UseHatchPattern); PUT(HatchPattern); PUT(HatchScale);
    PUT(UseRasterFillPattern); PUT(RasterFillFactor); PUT(PreferSolidFillToPattern); PUT(IgnoreNR);
    PUT(OutputUnit); PUT(unit_factor); PUT(drawing_scale); PUT(raster_fill_reciprocal);
    PUT(default_lineweight); PUT(default_width); PUT(output_is_dwg); PUT(label_height); PUT(label_width);
    PUT(label_advance);
#undef PUT
    return text;
}

class SettingsTest : public DriverTest {
protected:
    Settings load(const std::string& ini) {
        write_settings(ini);
        ProfileReader reader;
        locate_settings_file(reader, prog());
        Settings settings;
        load_settings(settings, reader, prog());
        EXPECT_EQ(settings.data_file_path, prog() + "penloom.dat");
        return settings;
    }
};

const std::string kDefaults =
    "trace=0 StdTextStyle=STANDARD AltTextStyle=STD_1 HPGLPrinter=0 Parser=0 RotateC=0 LayerPrefix=LAY "
    "ClipToPageSize=0 PlotterUnit=0.025 ScaleFactor=1 StdWidthScale=0.8 UseP2=0 P2x=8128 P2y=10160 "
    "DefaultSCType=0 defaultpenwidth=0.35 IgnoreRotate=0 HPGLLayers=0 LayersLeading0=1 HardWhite=1 "
    "HardBlack=0 TransWhiteFill=1 ElimSlivers=1 NumPens=8 RasterDevice=1 LayerNameFromOutputPen=0 "
    "FillOutlinesOnly=0 DWGCodePageIndex=30 UseLineWeights=1 UsePolylineWidths=0 DecimalPlaces=6 OutputExt= "
    "verDXF=4 mono=0 PenByLayer=0 OutputPolyline=0 UseHatchPattern=0 HatchPattern=SOLID HatchScale=-1 "
    "UseRasterFillPattern=1 RasterFillFactor=8 PreferSolidFillToPattern=0 IgnoreNR=0 OutputUnit=mm "
    "unit_factor=1 drawing_scale=0.025 raster_fill_reciprocal=0.125 default_lineweight=35 default_width=0.35 "
    "output_is_dwg=0 label_height=2.84 label_width=2.03 label_advance=2.82 ";

// The keys of [Settings], in the order of kDefaults.
std::vector<std::string> settings_keys() {
    std::vector<std::string> keys;
    for (std::size_t at = 0; at < kDefaults.size(); at = kDefaults.find(' ', at) + 1) {
        keys.push_back(kDefaults.substr(at, kDefaults.find('=', at) - at));
        if (keys.back() == "unit_factor") break;  // the derived values follow
    }
    keys.pop_back();
    return keys;
}

TEST_F(SettingsTest, EveryKeyGoesIntoItsField) {
    EXPECT_EQ(describe(load("")), kDefaults);
    std::string ini = "[Settings]\n", expected;
    const std::vector<std::string> keys = settings_keys();
    for (std::size_t i = 0; i < keys.size(); ++i) {  // each key a value of 2 to 17 other than its default
        ini += keys[i] + "=" + std::to_string(i % 16 + 2) + "\n";
        expected += keys[i] + "=" + std::to_string(i % 16 + 2) + " ";
    }
    const std::string got = describe(load(ini));
    EXPECT_EQ(got.substr(0, got.find("unit_factor=")), expected);
}

TEST_F(SettingsTest, CorrectionsAndDerivedValues) {
    const struct { const char* lines; const char* expected; } rows[] = {  // fields as describe() writes them
        {"PlotterUnit=1e-11", "PlotterUnit=0.025 "},
        {"PlotterUnit=0.05", "drawing_scale=0.05 raster_fill_reciprocal=0.125 default_lineweight=35 "
                             "default_width=0.35 output_is_dwg=0 label_height=5.68 label_width=4.06 "
                             "label_advance=5.64 "},
        {"ScaleFactor=0", "ScaleFactor=1 "},        {"ScaleFactor=-2", "drawing_scale=-0.0125 "},
        {"defaultpenwidth=0.3", "default_lineweight=30 default_width=0.3 "},
        {"defaultpenwidth=3.0", "default_lineweight=35 default_width=0.35 "},
        {"DecimalPlaces=17", "DecimalPlaces=6 "},   {"DecimalPlaces=0", "DecimalPlaces=0 "},
        {"DecimalPlaces=16", "DecimalPlaces=16 "},  {"DecimalPlaces=-1", "DecimalPlaces=6 "},
        {"OutputExt=.dwg", "output_is_dwg=0 "},     {"OutputExt=\"dwg\"", "output_is_dwg=1 "},
        {"OutputExt=DWG", "output_is_dwg=1 "},
        {"RasterFillFactor=4", "raster_fill_reciprocal=0.25 "},
        {"RasterFillFactor=0.5", "RasterFillFactor=8 "},
        {"RasterFillFactor=100", "RasterFillFactor=8 "}, {"RasterFillFactor=1", "RasterFillFactor=1 "},
        {"OutputUnit=inch", "unit_factor=0.0393700787401575 drawing_scale=0.000984251968503937 "},
        {"OutputUnit=INCH", "drawing_scale=0.000984251968503937 "},
        {"OutputUnit=furlong", "OutputUnit=furlong unit_factor=1 drawing_scale=0.025 "},
        {"LayerPrefix=ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", "LayerPrefix=ABCDEFGHIJKLMNOPQRSTUVWXYZ01234 "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lines);
        std::string got = " ";
        got += describe(load(std::string("[Settings]\n") + row.lines + "\n"));
        EXPECT_NE(got.find(std::string(" ") + row.expected), std::string::npos) << got;
    }
}

TEST(Settings, LineweightOfWidth) {
    const std::pair<double, int> rows[] = {{0.0, 0},    {0.05, 5},  {0.06, 9},  {0.29, 30},  {0.31, 35},
                                           {2.11, 211}, {2.12, 35}, {-0.5, 35}, {-0.001, 0}, {1e300, 35}};
    for (const auto& [width, lineweight] : rows) EXPECT_EQ(lineweight_of_width(width), lineweight) << width;
}

// The example settings file documents every key with its default, all
// commented out: used as it is, it changes nothing.
TEST_F(SettingsTest, ExampleFileKeepsTheDefaults) {
    const char* source = std::getenv("PENLOOM_SOURCE");
    if (source == nullptr) GTEST_SKIP() << "PENLOOM_SOURCE is not set";
    const std::string text = slurp(std::string(source) + "/examples/penloom.ini.example");
    for (const std::string& key : settings_keys())
        EXPECT_NE(text.find("\n;" + key + "="), std::string::npos) << key;
    EXPECT_EQ(describe(load(text)), kDefaults);
}

}  // namespace
}  // namespace penloom::testing
