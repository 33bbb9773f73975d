// Fill patterns: generated hatches, raster patterns, the pattern choice and
// the shading level.
#include "construction/fill_patterns.h"

#include <cmath>
#include <cstdio>
#include <numbers>


namespace penloom {

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
constexpr std::size_t kGeneratedNameLength = 35;

// "HP<cross>_<spacing>04.3_<angle>": the "04.3" is literal text after the
// six-decimal spacing, and every '.' becomes '_'. Names that would not fit
// the record are cut to its 35 characters.
std::string generated_name(int cross, double spacing, int angle) {
    char text[512];
    std::snprintf(text, sizeof text, "HP%d_%f04.3_%d", cross, spacing, angle);
    std::string name(text);
    for (char& c : name)
        if (c == '.') c = '_';
    if (name.size() > kGeneratedNameLength) name.resize(kGeneratedNameLength);
    return name;
}

std::string upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Dots at pixel centres (small bitmaps): a gap, a dot per set pixel.
void dotted_row(HatchLine& line, const std::uint8_t* row, int width, double p) {
    double gap = 0.5;
    for (int i = 0; i < width; ++i) {
        if (row[i]) {
            line.dashes.push_back(-(gap * p));
            line.dashes.push_back(0.0);
            gap = 1.0;
        } else {
            gap += 1.0;
        }
    }
    line.dashes.push_back(-((gap - 0.5) * p));
}

// Runs (large bitmaps): a dash per run of set pixels, a gap per run of
// unset ones; a row that never changes is an unbroken line.
void run_row(HatchLine& line, const std::uint8_t* row, int width, double p) {
    int changes = 0;
    for (int i = 1; i < width; ++i)
        if ((row[i] != 0) != (row[i - 1] != 0)) ++changes;
    if (changes == 0) return;
    int run = 1;
    for (int i = 1; i <= width; ++i) {
        if (i < width && (row[i] != 0) == (row[i - 1] != 0)) {
            ++run;
            continue;
        }
        line.dashes.push_back(row[i - 1] ? run * p : -(run * p));
        run = 1;
    }
}

}  // namespace

int make_hatch_pattern(FillState& fill, int cross, double distance, int angle, double turned) {
    const std::string name = generated_name(cross, distance, angle);
    double line_angle = angle + turned;
    if (line_angle > 360.0) line_angle -= 360.0;
    if (line_angle < -360.0) line_angle += 360.0;

    const auto found = fill.generated_by_name.find(upper(name));
    if (found != fill.generated_by_name.end()) return found->second;

    GeneratedHatch record;
    record.name = name;
    record.line_count = cross + 1;
    for (int k = 0; k <= cross; ++k) {
        double degrees = line_angle + 90.0 * k;
        if (k == 1 && degrees > 360.0) degrees -= 360.0;
        const double a = degrees * kRadiansPerDegree;
        HatchLine line;
        line.angle = a;
        line.offset_x = -std::sin(a) * distance;
        line.offset_y = std::cos(a) * distance;
        record.lines.push_back(std::move(line));
    }
    const int index = static_cast<int>(fill.generated.size());
    fill.generated.push_back(std::move(record));
    fill.generated_by_name.emplace(upper(name), index);
    return index;
}

void build_raster_pattern(RasterPattern& record, int index, int width, int height,
                          const std::vector<std::uint8_t>& pixels, double pixel_size) {
    record.number = index;
    char text[64];
    std::snprintf(text, sizeof text, "HP_FILL_PATTERN%d", index);
    record.name = text;
    record.lines.clear();
    const bool small = width * height < 151;
    for (int r = 0; r < height; ++r) {
        const std::uint8_t* row =
            pixels.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(width);
        bool any = false;
        for (int i = 0; i < width && !any; ++i) any = row[i] != 0;
        if (!any) continue;
        HatchLine line;
        line.base_y = -(r * pixel_size);
        line.offset_y = height * pixel_size;
        if (small)
            dotted_row(line, row, width, pixel_size);
        else
            run_row(line, row, width, pixel_size);
        line.dash_count = static_cast<std::int32_t>(line.dashes.size());
        record.lines.push_back(std::move(line));
    }
    record.line_count = static_cast<std::int32_t>(record.lines.size());
}

FillPatternChoice select_fill_pattern(const FillState& fill, const Settings& settings, int kind) {
    FillPatternChoice choice;
    switch (kind) {
        case fill_solid:
        case fill_shading:
            if (settings.UseHatchPattern != 0) {
                choice.settings = make_settings_pattern(settings);
                if (choice.settings.entry != 0) choice.source = PatternSource::settings;
            }
            break;
        case fill_raster:
            // Records stand at the index of their number.
            if (settings.UseRasterFillPattern == 0 || fill.raster_number < 0) break;
            if (static_cast<std::size_t>(fill.raster_number) < fill.raster.size()) {
                const RasterPattern& record =
                    fill.raster[static_cast<std::size_t>(fill.raster_number)];
                if (record.number == fill.raster_number) {
                    choice.source = PatternSource::raster;
                    choice.raster = &record;
                }
            }
            break;
        case fill_hatch:
            if (fill.hatch_index >= 0 &&
                static_cast<std::size_t>(fill.hatch_index) < fill.generated.size()) {
                choice.source = PatternSource::generated;
                choice.generated = &fill.generated[static_cast<std::size_t>(fill.hatch_index)];
            }
            break;
        default:
            break;
    }
    return choice;
}

int fill_level(FillState& fill, const Settings& settings, int& current_colour) {
    int level = 100;
    if (fill.kind == fill_shading)
        level = fill.shading_level;
    else
        fill.shading_level = 100;
    if (settings.PreferSolidFillToPattern == 0) return level;
    const int colour = current_colour;
    if ((colour == 0 || colour == 7 || colour == 8) && level < 100) {
        if (level >= 80)
            current_colour = 251;
        else if (level >= 50)
            current_colour = 252;
        else if (level >= 25)
            current_colour = 253;
        else
            current_colour = 254;
    }
    return 100;
}

}  // namespace penloom
