// The built-in hatch pattern table and the settings pattern.
#include "construction/hatch_templates.h"

#include <cctype>
#include <numbers>

#include "construction/settings_values.h"

namespace penloom {

namespace {

// The table is written with angles in degrees as they are usually quoted;
// `line` stores them as radians.
constexpr TemplateLine line(double degrees, double base_x, double base_y, double offset_x,
                            double offset_y, std::int16_t dash_count,
                            std::array<double, kTemplateDashes> dashes) {
    return TemplateLine{degrees * (std::numbers::pi / 180.0),
                        base_x,
                        base_y,
                        offset_x,
                        offset_y,
                        dash_count,
                        dashes};
}

// Names as listed: entry 9 really is "ANSI138", and EARTH's lines are
// unbroken.
// clang-format off
constexpr std::array<HatchTemplate, kHatchTemplateCount> kTemplates = {{
    // 0
    {"SOLID", 0, 0, {}},
    // 1
    {"ANGLE", 2, 1,
     {{line(0, 0, 0, 0, 0.275, 2, {0.2, -0.075}),
         line(90, 0, 0, -0.275, 0, 2, {0.2, -0.075})}}},
    // 2
    {"ANSI31", 1, 1,
     {{line(45, 0, 0, -0.08838835, 0.08838835, 0, {})}}},
    // 3
    {"ANSI32", 2, 1,
     {{line(45, 0, 0, -0.265165, 0.265165, 0, {}),
         line(45, 0, 0.1766777, -0.265165, 0.265165, 0, {})}}},
    // 4
    {"ANSI33", 2, 1,
     {{line(45, 0, 0, -0.1767767, 0.1767767, 0, {}),
         line(45, 0, 0.1766777, -0.1767767, 0.1767767, 2, {0.125, -0.0625})}}},
    // 5
    {"ANSI34", 4, 1,
     {{line(45, 0, 0, -0.5303301, 0.5303301, 0, {}),
         line(45, 0, 0.176777, -0.5303301, 0.5303301, 0, {}),
         line(45, 0.353553, 0, -0.5303301, 0.5303301, 0, {}),
         line(45, 0.53033, 0, -0.5303301, 0.5303301, 0, {})}}},
    // 6
    {"ANSI35", 2, 1,
     {{line(45, 0, 0, -0.1767767, 0.1767767, 0, {}),
         line(45, 0, 0.176777, -0.1767767, 0.1767767, 4, {0.3125, -0.0625, 0, -0.0625})}}},
    // 7
    {"ANSI36", 1, 1,
     {{line(45, 0, 0, 0.06629126, 0.243068, 4, {0.3125, -0.0625, 0, -0.0625})}}},
    // 8
    {"ANSI37", 2, 1,
     {{line(45, 0, 0, -0.08838835, 0.08838835, 0, {}),
         line(135, 0, 0, -0.08838835, -0.08838835, 0, {})}}},
    // 9
    {"ANSI138", 2, 1,
     {{line(45, 0, 0, -0.08838835, 0.08838835, 0, {}),
         line(135, 0, 0, -0.265165, 0.08838835, 2, {0.3125, -0.1875})}}},
    // 10
    {"AR-B816", 2, 0.2,
     {{line(0, 0, 0, 0, 0.8, 0, {}),
         line(90, 0, 0, -0.8, 0.8, 2, {0.8, -0.8})}}},
    // 11
    {"AR-HBONE", 2, 1,
     {{line(45, 0, 0, 0, 0.5656854, 2, {1.2, -0.4}),
         line(135, 0.282843, 0.282843, 0, 0.5656854, 2, {1.2, -0.4})}}},
    // 12
    {"AR-SAND", 4, 0.25,
     {{line(37.5, 0, 0, -0.06299336, 1.926824, 6, {0, -1.52, 0, -1.7, 0, -1.625}),
         line(7.5, 0, 0, 1.769777, 2.822146, 6, {0, -0.82, 0, -1.37, 0, -0.525}),
         line(327.5, -1.23, 0, 3.114142, 0.005659054, 6, {0, -0.5, 0, -1.8, 0, -2.35}),
         line(317.5, -1.23, 0, 3.006127, 0.8776756, 6, {0, -0.25, 0, -1.18, 0, -1.35})}}},
    // 13
    {"BRASS", 2, 1,
     {{line(0, 0, 0, 0, 0.25, 0, {}),
         line(0, 0, 0.125, 0, 0.25, 2, {0.125, -0.0625})}}},
    // 14
    {"CLAY", 4, 1,
     {{line(0, 0, 0, 0, 0.1875, 0, {}),
         line(0, 0, 0.03125, 0, 0.1875, 0, {}),
         line(0, 0, 0.0625, 0, 0.1875, 0, {}),
         line(0, 0, 0.125, 0, 0.1875, 2, {0.1875, -0.125})}}},
    // 15
    {"CORK", 4, 1,
     {{line(0, 0, 0, 0, 0.125, 0, {}),
         line(135, 0.0625, -0.0625, -0.25, -0.25, 2, {0.176779, -0.176779}),
         line(135, 0.09375, -0.0625, -0.25, -0.25, 2, {0.176779, -0.176779}),
         line(135, 0.125, -0.0625, -0.25, -0.25, 2, {0.176779, -0.176779})}}},
    // 16
    {"CROSS", 2, 1,
     {{line(0, 0, 0, 0.25, 0.25, 2, {0.125, -0.375}),
         line(90, 0.0625, -0.0625, 0.25, 0.25, 2, {0.125, -0.375})}}},
    // 17
    {"DASH", 1, 1,
     {{line(0, 0, 0, 0.125, 0.125, 2, {0.125, -0.125})}}},
    // 18
    {"DOLMIT", 2, 1,
     {{line(0, 0, 0, 0, 0.25, 0, {}),
         line(45, 0, 0, -0.5, 0.5, 2, {0.353553, -0.707108})}}},
    // 19
    {"DOTS", 1, 1,
     {{line(0, 0, 0, 0.03125, 0.0625, 2, {0, -0.0625})}}},
    // 20
    {"EARTH", 6, 1,
     {{line(0, 0, 0, 0.25, 0.25, 0, {}),
         line(0, 0, 0.09375, 0.25, 0.25, 0, {}),
         line(0, 0, 0.1875, 0.25, 0.25, 0, {}),
         line(90, 0.03125, 0.21875, 0.25, 0.25, 0, {}),
         line(90, 0.125, 0.21875, -0.25, 0.25, 0, {}),
         line(90, 0.21875, 0.21875, -0.25, 0.25, 0, {})}}},
    // 21
    {"FLEX", 2, 1,
     {{line(0, 0, 0, 0, 0.25, 2, {0.25, -0.25}),
         line(45, 0.25, 0, 0, 0.25, 4, {0.0625, -0.228553, 0.0625, -0.353553})}}},
    // 22
    {"GRASS", 3, 0.4,
     {{line(90, 0, 0, -0.7071068, 0.7071068, 2, {0.1875, -1.226714}),
         line(45, 0, 0, -0.7071068, 0.7071068, 2, {0.1875, -0.8125}),
         line(135, 0, 0, -0.7071068, -0.7071068, 2, {0.1875, -0.8125})}}},
    // 23
    {"GRATE", 2, 1,
     {{line(0, 0, 0, 0, 0.03125, 0, {}),
         line(90, 0, 0, -0.125, 0, 0, {})}}},
    // 24
    {"HEX", 3, 1,
     {{line(0, 0, 0, 0, 0.2165064, 2, {0.125, -0.25}),
         line(120, 0, 0, -0.1875, -0.1082532, 2, {0.125, -0.25}),
         line(60, 0.125, 0, -0.1875, 0.1082532, 2, {0.125, -0.25})}}},
    // 25
    {"LINE", 1, 1,
     {{line(0, 0, 0, 0, 0.125, 0, {})}}},
    // 26
    {"MUDST", 1, 1,
     {{line(0, 0, 0, 0.5, 0.25, 6, {0.25, -0.25, 0, -0.25, 0, -0.25})}}},
    // 27
    {"NET", 2, 1,
     {{line(0, 0, 0, 0, 0.125, 0, {}),
         line(90, 0, 0, -0.125, 0, 0, {})}}},
    // 28
    {"NET3", 3, 1,
     {{line(0, 0, 0, 0, 0.125, 0, {}),
         line(60, 0, 0, -0.1082532, 0.0625, 0, {}),
         line(120, 0, 0, -0.1082532, -0.0625, 0, {})}}},
    // 29
    {"SQUARE", 2, 1,
     {{line(0, 0, 0, 0, 0.125, 2, {0.125, -0.125}),
         line(90, 0, 0, -0.125, 0, 2, {0.125, -0.125})}}},
    // 30
    {"STARS", 3, 1,
     {{line(0, 0, 0, 0, 0.2165064, 2, {0.125, -0.125}),
         line(60, 0, 0, -0.1875, 0.1082532, 2, {0.125, -0.125}),
         line(120, 0.0625, 0.108253, -0.1875, -0.1082532, 2, {0.125, -0.125})}}},
    // 31
    {"SWAMP", 6, 0.4,
     {{line(0, 0, 0, 0.5, 0.8660254, 2, {0.125, -0.875}),
         line(90, 0.0625, 0, -0.5, 0.8660254, 2, {0.0625, -1.669551}),
         line(90, 0.078125, 0, -0.5, 0.8660254, 2, {0.05, -1.682051}),
         line(90, 0.046875, 0, -0.5, 0.8660254, 2, {0.05, -1.682051}),
         line(60, 0.09375, 0, -0.5, 0.8660254, 2, {0.04, -0.96}),
         line(120, 0.03125, 0, -1, 3.922195e-10, 2, {0.04, -0.96})}}},
    // 32
    {"TRIANG", 3, 1,
     {{line(60, 0, 0, -0.1875, 0.3247595, 2, {0.1875, -0.1875}),
         line(120, 0, 0, -0.375, 2.095823e-10, 2, {0.1875, -0.1875}),
         line(0, -0.09375, 0.16238, 0.1875, 0.3247595, 2, {0.1875, -0.1875})}}},
    // 33
    {"ZIGZAG", 2, 1,
     {{line(0, 0, 0, 0.125, 0.125, 2, {0.125, -0.125}),
         line(90, 0.125, 0, -0.125, 0.125, 2, {0.125, -0.125})}}},
}};
// clang-format on

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

const HatchTemplate& hatch_template(int index) {
    if (index < 0 || index >= kHatchTemplateCount) index = 0;
    return kTemplates[static_cast<std::size_t>(index)];
}

int find_hatch_template(std::string_view name) {
    for (int i = 0; i < kHatchTemplateCount; ++i)
        if (same_name(kTemplates[static_cast<std::size_t>(i)].name, name)) return i;
    return 0;
}

SettingsPattern make_settings_pattern(const Settings& settings) {
    SettingsPattern made;
    made.entry = find_hatch_template(settings.HatchPattern);
    made.pattern = hatch_template(made.entry);
    if (settings.HatchScale > 0.0 && made.entry != 0) {
        const double factor = settings.HatchScale * made.pattern.scale;
        for (TemplateLine& l : made.pattern.lines) {
            l.base_x *= factor;
            l.base_y *= factor;
            l.offset_x *= factor;
            l.offset_y *= factor;
            for (double& d : l.dashes) d *= factor;
        }
    }
    return made;
}

}  // namespace penloom
