// Pens: the pen table (default and current colour and width of pens 0 to
// 256), the current pen's attributes that every new entity takes, and the
// pen instructions SP, PW, WU, PC, CR, NP, LA, MC and TR. The defaults come
// from the built-in colours and the sections [HPGLPens] and [HPGLPenWidths]
// of the settings file, read again for every page.
#pragma once

#include <array>
#include <string>

#include "construction/colours.h"

namespace penloom {

struct Context;

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

// Pen and line-pattern state kept in GraphicsState beside the current pen's
// attributes.
struct PenState {
    std::array<PenEntry, kPenTableSize> table{};

    // Read from [Settings] with the defaults, for every page.
    bool colours_from_settings = false;  // `HPGLPens`
    bool widths_from_settings = false;   // `HPGLPenWidths`
    double default_pen_width = 0.35;     // `defaultpenwidth`, millimetres

    double pattern_length = 20.0;  // millimetres of plot
    int pattern_mode = 0;          // 0 relative to the P1-P2 diagonal, else absolute
    ColourRange range;
    bool white_colour = false;  // the last PC colour was the white reference

    bool run_defaults_applied = false;  // the start-up pen values of the run are in
};

// The settings file the pen and layer sections are read from: "penloom.ini"
// in the program folder. Empty (nothing is read) while no program folder is
// known, as in a context that a test makes.
std::string settings_file_of(const Context& ctx);

// The lineweight of a width in millimetres: the nearest standard lineweight,
// a tie going to the thinner one; widths beyond 2.055 mm (and NaN) give 0.
int width_code(double millimetres);

// Fills every pen's default colour and width from the built-in values and
// the settings file: [Settings] `HPGLPens`, `defaultpenwidth`,
// `HPGLPenWidths`, then the sections [HPGLPens] and [HPGLPenWidths] when
// switched on. The current values are not touched.
void load_pen_defaults(Context& ctx);

// The defaults into the current values of one pen, or of all pens for -1.
// Other pen numbers outside 0..256 are ignored.
void reset_pen_colours(Context& ctx, int pen);
void reset_pen_widths(Context& ctx, int pen);

// SP n (also PE's pen selection): with the pen down the path is re-opened
// first; the number is folded into the pens there are (pens above 255 give
// pen 1), a pending fill is written when the pen changes, the pen's layer
// becomes current (made on first use), and the current width, lineweight
// and colour are taken from the pen.
void select_pen(Context& ctx, int pen);

// Ends the pen-down path and starts a new one at the current position with
// the pen still down, so that what follows gets the new attributes. Does
// nothing with the pen up.
void reopen_path(Context& ctx);

}  // namespace penloom
