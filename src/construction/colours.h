// Colour numbers for RGB pen colours (PC). Colour numbers are those of a
// drawing: 0 BYBLOCK, 1 to 255 colours, 256 BYLAYER.
#pragma once

#include "construction/settings_values.h"

namespace penloom {

// The colour range of CR: the RGB values that stand for black and white.
struct ColourRange {
    int black[3] = {0, 0, 0};
    int white[3] = {255, 255, 255};
};

// The colour number of an RGB pen colour under the colour range of CR:
// the white reference gives 255 with `HardWhite` (else 7) and sets the
// white-colour mark, the black reference 250 with `HardBlack` (else 7);
// anything else is scaled by 255 / (white - black) per component and
// matched to the nearest entry of the colour table. The white mark
// (`white_colour`) is cleared by every other colour.
int rgb_to_colour(const ColourRange& range, const Settings& settings, bool& white_colour, int r, int g,
                  int b);

// The colour number of the table entry nearest to (r, g, b): the sum of the
// whole parts of the squared component differences, the first of equal
// entries winning; entry 0 comes out as 253.
int nearest_table_colour(double r, double g, double b);

}  // namespace penloom
