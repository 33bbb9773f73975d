// The pen table: default and current colour and width of pens 0 to 256.
// The defaults come from the built-in colours and the sections [HPGLPens]
// and [HPGLPenWidths] of the settings file; layers take their colours from
// them, the pen instructions change the current values.
#pragma once

#include <array>

#include "construction/profile.h"

namespace penloom {

// Pens 0 to 256.
inline constexpr int kPenTableSize = 257;

struct PenEntry {
    // From the built-in table and the settings (load_pen_defaults).
    int default_colour = 7;             // colour number
    bool colour_from_settings = false;  // [HPGLPens] gave it
    double default_width = 0.35;        // millimetres
    int default_code = 35;              // lineweight, hundredths of a millimetre
    bool width_from_settings = false;   // [HPGLPenWidths] gave it

    // What the plot has made of it (PC, PW).
    int colour = 7;       // colour number of new entities
    double width = 0.35;  // millimetres
    int code = 35;        // lineweight, hundredths of a millimetre
};

struct PenTable {
    std::array<PenEntry, kPenTableSize> table{};

    // Read from [Settings] with the defaults, for every page.
    bool colours_from_settings = false;  // `HPGLPens`
    bool widths_from_settings = false;   // `HPGLPenWidths`
    double default_pen_width = 0.35;     // `defaultpenwidth`, millimetres
};

// Built-in colour of a pen: pens 0 to 7 have their own, every pen from 8 on
// the colour of its number.
int built_in_colour(int pen);

// The lineweight of a width in millimetres: the nearest standard lineweight,
// a tie going to the thinner one; widths beyond 2.055 mm (and NaN) give 0.
int width_code(double millimetres);

// Fills every pen's default colour and width from the built-in values and
// the settings file (`settings_file` of the reader): [Settings] `HPGLPens`,
// `defaultpenwidth`, `HPGLPenWidths`, then the sections [HPGLPens] and
// [HPGLPenWidths] when switched on. The current values are not touched.
void load_pen_defaults(PenTable& pens, ProfileReader& profile);

}  // namespace penloom
