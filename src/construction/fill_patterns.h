// Fill patterns: the fill state that FT and RF set, the hatch patterns FT
// generates, the raster patterns RF defines, the choice of pattern for a
// fill and the shading level with its grey substitution. In: FT/RF
// parameters and the coordinate state; out: pattern records that the HATCH
// writer (hatch_emission.h) copies into each HATCH.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "construction/hatch_templates.h"
#include "construction/settings_values.h"

namespace penloom {

// One family of parallel pattern lines.
struct HatchLine {
    std::int32_t dash_count = 0;            // 0: an unbroken line
    std::vector<double> dashes;             // drawing units: positive dash, negative gap, 0 dot
    double angle = 0.0;                     // radians
    double base_x = 0.0, base_y = 0.0;      // drawing units
    double offset_x = 0.0, offset_y = 0.0;  // drawing units, from one line to the next
};

// A pattern made by FT 3, 4 or 21.
struct GeneratedHatch {
    std::string name;             // at most 35 characters
    std::int32_t line_count = 0;  // 1 parallel, 2 crossed
    std::vector<HatchLine> lines;
};

// A pattern made by RF.
struct RasterPattern {
    std::string name;
    std::int32_t number = -1;  // -1: undefined
    std::int32_t line_count = 0;
    std::vector<HatchLine> lines;
};

// ORDER FILLKIND
enum FillKind : std::int32_t { fill_solid = 0, fill_shading = 1, fill_raster = 2, fill_hatch = 3 };

struct FillState {
    std::int32_t kind = fill_solid;    // `FillKind`
    std::int32_t shading_level = 100;  // per cent, FT10 (rewritten by fill_level)
    std::int16_t raster_number = 0;    // the RF pattern FT11 fills with
    std::int16_t hatch_index = 0;      // GeneratedHatch record FT 3, 4 and 21 fill with
    std::int32_t ft3_angle = 0;        // degrees
    std::int32_t ft4_angle = 0;        // degrees
    std::vector<GeneratedHatch> generated;
    std::unordered_map<std::string, int> generated_by_name;  // names are made upper case
    std::vector<RasterPattern> raster;
};

// The GeneratedHatch for a line distance (drawing units) and an angle
// (degrees, as FT gave it; `turned` degrees, the RO rotation less the run's
// own, are added to the lines): found by its name, or made. Returns its
// index.
int make_hatch_pattern(FillState& fill, int cross, double distance, int angle, double turned);

// Builds RasterPattern record `index` from width x height pixels (row by
// row from the top, non-zero set) with pixels of `pixel_size` drawing units.
void build_raster_pattern(RasterPattern& record, int index, int width, int height,
                          const std::vector<std::uint8_t>& pixels, double pixel_size);

// What a fill is filled with.
enum class PatternSource { solid, settings, raster, generated };

struct FillPatternChoice {
    PatternSource source = PatternSource::solid;
    SettingsPattern settings;                   // source settings
    const RasterPattern* raster = nullptr;      // source raster
    const GeneratedHatch* generated = nullptr;  // source generated
};

FillPatternChoice select_fill_pattern(const FillState& fill, const Settings& settings, int kind);

// The shading level of the coming fill; with `PreferSolidFillToPattern` it
// is always 100 and a shade below 100 in colour 0, 7 or 8 turns the current
// colour into a grey (251 to 254), which stays until the pen or its colour
// is set again.
int fill_level(FillState& fill, const Settings& settings, int& current_colour);

}  // namespace penloom
