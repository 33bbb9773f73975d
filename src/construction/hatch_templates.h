// The built-in hatch patterns (the names a `HatchPattern` setting may
// give), and the settings pattern made from one of them. Lengths are in
// pattern units, used as drawing units; angles are radians.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace penloom {

struct Settings;

inline constexpr int kTemplateLines = 8;
inline constexpr int kTemplateDashes = 6;
inline constexpr int kHatchTemplateCount = 34;

struct TemplateLine {
    double angle = 0.0;  // radians
    double base_x = 0.0, base_y = 0.0;
    double offset_x = 0.0, offset_y = 0.0;
    std::int16_t dash_count = 0;
    std::array<double, kTemplateDashes> dashes{};  // positive dash, negative gap, 0 dot
};

struct HatchTemplate {
    std::string_view name;
    std::int32_t line_count = 0;
    double scale = 0.0;
    std::array<TemplateLine, kTemplateLines> lines{};
};

// Entry i of the table, 0 ("SOLID") to 33 ("ZIGZAG").
const HatchTemplate& hatch_template(int index);

// The entry whose name equals `name` without regard to case; 0 ("SOLID")
// when there is none.
int find_hatch_template(std::string_view name);

// A working copy of one template entry, as the settings ask for it.
struct SettingsPattern {
    int entry = 0;  // 0: the settings ask for solid fills
    HatchTemplate pattern;
};

// The entry `HatchPattern` names; when `HatchScale` is above 0 and the entry
// is not SOLID, every base point, offset and dash multiplied by
// HatchScale x the entry's scale (angles unchanged).
SettingsPattern make_settings_pattern(const Settings& settings);

}  // namespace penloom
