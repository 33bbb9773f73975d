// Character widths of the two shape fonts labels are measured with
// ("SIMPLEX" and "TXT"), and the width of a label line built from them.
// In: a line of bytes, the current height and width factor. Out: drawing
// units. Used to decide whether a label lies inside the clip window.
#pragma once

#include <string_view>

#include "construction/text_styles.h"

namespace penloom {

// Widths in units of the character height.
struct CharWidth {
    double extent = 0.0;   // how far the ink reaches right of the origin
    double advance = 0.0;  // origin to the next character's origin
};

enum class WidthFont { simplex, txt };

// The entry of a byte (0..255) in the chosen font.
CharWidth char_width(WidthFont font, unsigned char code);

// The font the current label is measured in: TXT when the font file of
// text style record 0 (standard font current, `current_font` 0) or 1
// (alternate) is exactly "txt" without regard to case, else SIMPLEX.
WidthFont label_width_font(const TextStyleTable& styles, int current_font);

// The advances of all characters but the last, the extent of the last,
// plus 0.3333, times width factor x height.
double measure_line(WidthFont font, std::string_view line, double height, double width_factor);

}  // namespace penloom
