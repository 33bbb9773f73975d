// Pens: the pen table (default and current colour and width of pens 0 to
// 256), the current pen's attributes that every new entity takes, and the
// pen instructions SP, PW, WU, PC, CR, NP, LA, MC and TR. The defaults come
// from the built-in colours and the sections [HPGLPens] and [HPGLPenWidths]
// of the settings file, read again for every page.
#pragma once

#include <array>
#include <string>

#include "construction/colours.h"
#include "construction/pen_table.h"

namespace penloom {

struct InterpreterContext;

// Pen and line-pattern state kept in GraphicsState beside the current pen's
// attributes. The table and its settings flags are the base
// (construction/pen_table.h): layers read the default colours from it.
struct PenState : PenTable {
    double pattern_length = 20.0;  // millimetres of plot
    int pattern_mode = 0;          // 0 relative to the P1-P2 diagonal, else absolute
    ColourRange range;
    bool white_colour = false;  // the last PC colour was the white reference

    bool run_defaults_applied = false;  // the start-up pen values of the run are in
};

// The defaults into the current values of one pen, or of all pens for -1.
// Other pen numbers outside 0..256 are ignored.
void reset_pen_colours(InterpreterContext& ctx, int pen);
void reset_pen_widths(InterpreterContext& ctx, int pen);

// SP n (also PE's pen selection): with the pen down the path is re-opened
// first; the number is folded into the pens there are (pens above 255 give
// pen 1), a pending fill is written when the pen changes, the pen's layer
// becomes current (made on first use), and the current width, lineweight
// and colour are taken from the pen.
void select_pen(InterpreterContext& ctx, int pen);

// Ends the pen-down path and starts a new one at the current position with
// the pen still down, so that what follows gets the new attributes. Does
// nothing with the pen up.
void reopen_path(InterpreterContext& ctx);

}  // namespace penloom
