// The pen table's defaults: built-in colours, the standard lineweights and
// the pen sections of the settings file.
#include "construction/pen_table.h"

#include <iterator>

#include "construction/settings_values.h"

namespace penloom {

namespace {

// Built-in colours of pens 0 to 7; every pen from 8 on has its own number.
constexpr int kFirstPenColours[8] = {254, 7, 1, 3, 2, 5, 6, 4};

}  // namespace

int built_in_colour(int pen) {
    return pen < 8 ? kFirstPenColours[pen] : pen;
}

int width_code(double millimetres) {
    constexpr std::size_t count = std::size(standard_lineweights);
    for (std::size_t i = 0; i + 1 < count; ++i) {
        // The midpoint in millimetres, computed so that it is the nearest
        // double to the decimal value: ties then really go to the thinner.
        double midpoint = (standard_lineweights[i] + standard_lineweights[i + 1]) / 200.0;
        if (midpoint >= millimetres) return standard_lineweights[i];
    }
    return 0;
}

void load_pen_defaults(PenTable& pens, ProfileReader& profile) {
    const std::string path = profile.settings_file;
    select_profile(profile, path, "Settings");
    pens.colours_from_settings = get_int(profile, "HPGLPens", 0) != 0;
    pens.default_pen_width = get_double(profile, "defaultpenwidth", 0.35);
    pens.widths_from_settings = get_int(profile, "HPGLPenWidths", 0) != 0;

    const int default_code = width_code(pens.default_pen_width);
    for (int pen = 0; pen < kPenTableSize; ++pen) {
        PenEntry& entry = pens.table[static_cast<std::size_t>(pen)];
        entry.default_colour = built_in_colour(pen);
        entry.colour_from_settings = false;
        entry.default_width = pens.default_pen_width;
        entry.default_code = default_code;
        entry.width_from_settings = false;
    }
    if (pens.colours_from_settings) {
        select_profile(profile, path, "HPGLPens");
        for (int pen = 0; pen < kPenTableSize; ++pen) {
            int colour = get_int_indexed(profile, pen, -1);
            if (colour == -1) continue;
            PenEntry& entry = pens.table[static_cast<std::size_t>(pen)];
            entry.default_colour = colour;
            entry.colour_from_settings = true;
        }
    }
    if (pens.widths_from_settings) {
        select_profile(profile, path, "HPGLPenWidths");
        for (int pen = 0; pen < kPenTableSize; ++pen) {
            double width = get_double_indexed(profile, pen, -1.0);
            if (!(width >= 0.0)) continue;
            PenEntry& entry = pens.table[static_cast<std::size_t>(pen)];
            entry.default_width = width;
            entry.default_code = width_code(width);
            entry.width_from_settings = true;
        }
    }
}

}  // namespace penloom
